#include "math/Zol_fourier.h"

#include "base/Zol_cpuid.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <new>
#include <numbers>

namespace zol {

namespace {
bool IsPowerOf2(int n) { return n > 0 && (n & (n - 1)) == 0; }
}  // namespace

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) {
  FData.assign(2 * static_cast<size_t>(FN), 0.0);
  FWeights.assign(static_cast<size_t>(FN), 1.0);
}

void TFastFourier::SetNumData(int n) {
  if (!IsPowerOf2(n)) throw EZOLFourierError(ComponentMsg("data length must be power of 2"));
  try {
    std::vector<double> d(2 * static_cast<size_t>(n), 0.0), w(static_cast<size_t>(n), 0.0);
    FData.swap(d);
    FWeights.swap(w);
  } catch (const std::bad_alloc&) {
    throw EZOLFourierError(ComponentMsg("not enough memory on heap"));
  }
  FN = n;
  FExtremesValid = false;
}

double TFastFourier::GetRealVal(int i) const {
  return (i >= 1 && i <= FN) ? FData[2 * static_cast<size_t>(i - 1)] : 0.0;
}
void TFastFourier::SetRealVal(int i, double v) {
  if (i < 1 || i > FN) return;
  FData[2 * static_cast<size_t>(i - 1)] = v;
  FExtremesValid = false;
}
double TFastFourier::GetImagVal(int i) const {
  return (i >= 1 && i <= FN) ? FData[2 * static_cast<size_t>(i - 1) + 1] : 0.0;
}
void TFastFourier::SetImagVal(int i, double v) {
  if (i < 1 || i > FN) return;
  FData[2 * static_cast<size_t>(i - 1) + 1] = v;
  FExtremesValid = false;
}
double TFastFourier::GetWgtVal(int i) const {
  return (i >= 1 && i <= FN) ? FWeights[static_cast<size_t>(i - 1)] : 0.0;
}
void TFastFourier::SetWgtVal(int i, double v) {
  if (i >= 1 && i <= FN) FWeights[static_cast<size_t>(i - 1)] = v;
}

void TFastFourier::Clear() {
  std::fill(FData.begin(), FData.end(), 0.0);
  FExtremesValid = false;
}
void TFastFourier::ClearReal() {
  for (size_t i = 0; i < FData.size(); i += 2) FData[i] = 0;
  FExtremesValid = false;
}
void TFastFourier::ClearImag() {
  for (size_t i = 1; i < FData.size(); i += 2) FData[i] = 0;
  FExtremesValid = false;
}

void TFastFourier::ApplyWindow() {
  const double N = FN;
  const double pi = std::numbers::pi;
  for (int i = 1; i <= FN; ++i) {
    double t = (i - N / 2) / N, f = 1;
    switch (FWindow) {
      case fwRectangle: return;
      case fwTriangle: {
        // The b-th element from either end is weighted 2b/N.
        int b = std::min(i, FN + 1 - i);
        f = 2.0 * b / N;
        break;
      }
      case fwCos2: f = std::cos(pi * t) * std::cos(pi * t); break;
      case fwGauss: f = std::exp(-0.5 * (6 * t) * (6 * t)); break;
      case fwHamming: f = 0.543478261 + 0.456521739 * std::cos(2 * pi * t); break;
      case fwBlackman: f = 0.42659 + 0.49656 * std::cos(2 * pi * t) + 0.076848 * std::cos(4 * pi * t); break;
      case fwBlkmHarris:
        f = 0.35875 + 0.48829 * std::cos(2 * pi * t) + 0.14128 * std::cos(4 * pi * t) +
            0.01168 * std::cos(6 * pi * t);
        break;
      case fwBlkmNuttall:
        f = 0.3635819 + 0.4891775 * std::cos(2 * pi * t) + 0.1365995 * std::cos(4 * pi * t) +
            0.0106411 * std::cos(6 * pi * t);
        break;
      case fwUserDef: f = FWeights[static_cast<size_t>(i - 1)]; break;
    }
    FData[2 * static_cast<size_t>(i - 1)] *= f;
    FData[2 * static_cast<size_t>(i - 1) + 1] *= f;
  }
}

// The transform core.  Decimation in frequency, radix 4: a pass over a block
// of length L combines two radix-2 stages (L and L/2) and leaves the halves and
// quarters in the order radix-2 stages would, so that the result is the
// bit-reversed spectrum; a reordering at the end puts it into natural order.
// Blocks longer than kCacheBlock points are split depth-first (one pass over
// the block, then its four quarters one after the other), so that each block
// of kCacheBlock points stays in the cache for all its remaining passes.  The
// last stage (blocks of 4 or 2 points) needs no twiddle factors.
//
// Twiddle factors: for every pass length L a table of e^(2 pi i j/L), j < L/4
// (cos and sin computed directly, not by a recurrence), for the passes within
// a cache block also of their squares and cubes; the long passes, which wait
// for the memory anyway, form those themselves.  The tables depend only on N
// and serve both signs (the inverse uses the conjugates).
//
// The kernels are written once for a "complex vector" type V holding V::W
// complex values: CplxScalar (portable) and CplxAvx (two values in a 256-bit
// register, compiled for AVX2 and chosen at run time through CPUHas; ZOL_CPU_PORTABLE=1 forces the portable one).
namespace {

#define ZOL_FFT_INLINE [[gnu::always_inline]] inline

constexpr size_t kCacheBlock = size_t(1) << 15;

struct CplxScalar {
  static constexpr size_t W = 1;
  struct T {
    double r, i;
  };
  ZOL_FFT_INLINE static T Load(const double* p) { return {p[0], p[1]}; }
  ZOL_FFT_INLINE static void Store(double* p, T a) {
    p[0] = a.r;
    p[1] = a.i;
  }
  ZOL_FFT_INLINE static T Add(T a, T b) { return {a.r + b.r, a.i + b.i}; }
  ZOL_FFT_INLINE static T Sub(T a, T b) { return {a.r - b.r, a.i - b.i}; }
  ZOL_FFT_INLINE static T Mul(T a, T w) { return {a.r * w.r - a.i * w.i, a.r * w.i + a.i * w.r}; }
  // a·(S·i)
  template <int S>
  ZOL_FFT_INLINE static T MulI(T a) {
    return S > 0 ? T{-a.i, a.r} : T{a.i, -a.r};
  }
  // The twiddle factor for the sign S from the table entry e^(+i…).
  template <int S>
  ZOL_FFT_INLINE static T Tw(T w) {
    return S > 0 ? w : T{w.r, -w.i};
  }
  // Blocks of 4 points: the two last radix-2 stages without twiddle factors.
  template <int S>
  ZOL_FFT_INLINE static void Leaf4(double* x, size_t n) {
    for (size_t g = 0; g < n; g += 4, x += 8) {
      const T a = Load(x), b = Load(x + 2), c = Load(x + 4), d = Load(x + 6);
      const T apc = Add(a, c), amc = Sub(a, c), bpd = Add(b, d), bmd = MulI<S>(Sub(b, d));
      Store(x, Add(apc, bpd));
      Store(x + 2, Sub(apc, bpd));
      Store(x + 4, Add(amc, bmd));
      Store(x + 6, Sub(amc, bmd));
    }
  }
  // Blocks of 2 points.
  ZOL_FFT_INLINE static void Leaf2(double* x, size_t n) {
    for (size_t g = 0; g < n; g += 2, x += 4) {
      const T a = Load(x), b = Load(x + 2);
      Store(x, Add(a, b));
      Store(x + 2, Sub(a, b));
    }
  }
};

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZOL_FFT_AVX2 1
// The vector helpers are always inlined into DifAvx2; the note on the ABI of
// 32-byte vectors in functions compiled without AVX (reported at the end of
// the file) does not concern them.
#pragma GCC diagnostic ignored "-Wpsabi"
typedef double V4d __attribute__((vector_size(32)));
typedef long long V4i __attribute__((vector_size(32)));

// Two complex values (re0, im0, re1, im1) in generic vector arithmetic; the
// code is generated for AVX2 where it is inlined into DifAvx2.
struct CplxAvx {
  static constexpr size_t W = 2;
  using T = V4d;
  ZOL_FFT_INLINE static T Load(const double* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  ZOL_FFT_INLINE static void Store(double* p, const T& a) { std::memcpy(p, &a, sizeof a); }
  ZOL_FFT_INLINE static T Add(const T& a, const T& b) { return a + b; }
  ZOL_FFT_INLINE static T Sub(const T& a, const T& b) { return a - b; }
  ZOL_FFT_INLINE static T Neg(const T& a, const V4i& mask) { return reinterpret_cast<T>(reinterpret_cast<V4i>(a) ^ mask); }
  static constexpr long long kSign = static_cast<long long>(0x8000000000000000ULL);
  ZOL_FFT_INLINE static T Mul(const T& a, const T& w) {
    const T wr = __builtin_shufflevector(w, w, 0, 0, 2, 2), wi = __builtin_shufflevector(w, w, 1, 1, 3, 3);
    const T as = __builtin_shufflevector(a, a, 1, 0, 3, 2);
    return a * wr + Neg(as * wi, V4i{kSign, 0, kSign, 0});
  }
  template <int S>
  ZOL_FFT_INLINE static T MulI(const T& a) {
    const T as = __builtin_shufflevector(a, a, 1, 0, 3, 2);
    return S > 0 ? Neg(as, V4i{kSign, 0, kSign, 0}) : Neg(as, V4i{0, kSign, 0, kSign});
  }
  template <int S>
  ZOL_FFT_INLINE static T Tw(const T& w) {
    return S > 0 ? w : Neg(w, V4i{0, kSign, 0, kSign});
  }
  template <int S>
  ZOL_FFT_INLINE static void Leaf4(double* x, size_t n) {
    for (size_t g = 0; g < n; g += 4, x += 8) {
      const T p = Load(x), q = Load(x + 4);  // (a, b), (c, d)
      const T s = p + q, d = p - q;          // (a+c, b+d), (a-c, b-d)
      const T di = __builtin_shufflevector(d, MulI<S>(d), 0, 1, 6, 7);
      const T u = __builtin_shufflevector(s, di, 0, 1, 4, 5), v = __builtin_shufflevector(s, di, 2, 3, 6, 7);
      const T e = u + v, f = u - v;  // (out0, out2), (out1, out3)
      Store(x, __builtin_shufflevector(e, f, 0, 1, 4, 5));
      Store(x + 4, __builtin_shufflevector(e, f, 2, 3, 6, 7));
    }
  }
  ZOL_FFT_INLINE static void Leaf2(double* x, size_t n) {
    for (size_t g = 0; g < n; g += 2, x += 4) {
      const T p = Load(x);
      Store(x, Neg(p, V4i{0, 0, kSign, kSign}) + __builtin_shufflevector(p, p, 2, 3, 0, 1));
    }
  }
};
#endif

// The length of the blocks that are finished one after the other.
size_t CacheBlockOf(size_t n) {
  size_t block = n;
  while (block > kCacheBlock && block >= 8) block /= 4;
  return block;
}

// One radix-4 pass over `blocks` consecutive blocks of length len (>= 4·W).
// With AllTwiddles the table holds W^j, W^2j and W^3j for each pair of j
// (j, j+1: the first factors of both, then the squares, then the cubes);
// otherwise only W^j, and the square and cube are formed here.
template <class V, int S, bool AllTwiddles>
ZOL_FFT_INLINE void Radix4Pass(double* x, size_t len, size_t blocks, const double* tw) {
  using T = typename V::T;
  const size_t q = len / 4;
  for (size_t b = 0; b < blocks; ++b, x += 2 * len) {
    double* x0 = x;
    double* x1 = x + 2 * q;
    double* x2 = x + 4 * q;
    double* x3 = x + 6 * q;
    for (size_t j = 0; j < q; j += V::W) {
      T w1, w2, w3;
      if constexpr (AllTwiddles) {
        const double* t = tw + 12 * (j / 2) + 2 * (j % 2);
        w1 = V::template Tw<S>(V::Load(t));
        w2 = V::template Tw<S>(V::Load(t + 4));
        w3 = V::template Tw<S>(V::Load(t + 8));
      } else {
        w1 = V::template Tw<S>(V::Load(tw + 2 * j));
        w2 = V::Mul(w1, w1);
        w3 = V::Mul(w1, w2);
      }
      const T a = V::Load(x0 + 2 * j), b = V::Load(x1 + 2 * j), c = V::Load(x2 + 2 * j), d = V::Load(x3 + 2 * j);
      const T apc = V::Add(a, c), amc = V::Sub(a, c), bpd = V::Add(b, d);
      const T bmd = V::template MulI<S>(V::Sub(b, d));
      V::Store(x0 + 2 * j, V::Add(apc, bpd));
      V::Store(x1 + 2 * j, V::Mul(V::Sub(apc, bpd), w2));
      V::Store(x2 + 2 * j, V::Mul(V::Add(amc, bmd), w1));
      V::Store(x3 + 2 * j, V::Mul(V::Sub(amc, bmd), w3));
    }
  }
}

// All passes and the last stage over n points (bit-reversed result);
// tw[k] is the twiddle table of the pass length n/4^k.
template <class V, int S>
ZOL_FFT_INLINE void DifTransform(double* x, size_t n, const double* const* tw) {
  const size_t block = CacheBlockOf(n);
  int blockLevel = 0;
  for (size_t len = n; len > block; len /= 4) ++blockLevel;
  for (size_t s = 0; s < n; s += block) {
    // The passes over the long blocks that begin here, longest first.
    size_t len = n;
    for (int k = 0; k < blockLevel; ++k, len /= 4)
      if (s % len == 0) Radix4Pass<V, S, false>(x + 2 * s, len, 1, tw[k]);
    // The rest of this block, pass by pass.
    int k = blockLevel;
    for (len = block; len >= 8; len /= 4, ++k) Radix4Pass<V, S, true>(x + 2 * s, len, block / len, tw[k]);
    if (len == 4)
      V::template Leaf4<S>(x + 2 * s, block);
    else if (len == 2)
      V::Leaf2(x + 2 * s, block);
  }
}

void DifPortable(double* x, size_t n, const double* const* tw, int sign) {
  if (sign > 0)
    DifTransform<CplxScalar, 1>(x, n, tw);
  else
    DifTransform<CplxScalar, -1>(x, n, tw);
}

#ifdef ZOL_FFT_AVX2
__attribute__((target("avx2"))) void DifAvx2(double* x, size_t n, const double* const* tw, int sign) {
  if (sign > 0)
    DifTransform<CplxAvx, 1>(x, n, tw);
  else
    DifTransform<CplxAvx, -1>(x, n, tw);
}
#endif

size_t ReverseBits(size_t v, unsigned bits) {
  size_t r = 0;
  for (unsigned b = 0; b < bits; ++b, v >>= 1) r = (r << 1) | (v & 1);
  return r;
}

void SwapPoints(double* x, size_t i, size_t j) {
  std::swap(x[2 * i], x[2 * j]);
  std::swap(x[2 * i + 1], x[2 * j + 1]);
}

// Bit-reversal reordering of 2^m points.  From 2^8 points on the index is
// split into its top 4 bits a, middle bits b and low 4 bits c; the tile of
// the 16 × 16 points with the middle bits b is exchanged with the tile of the
// reversed middle bits, each point i = (a, b, c) going to (rev c, rev b, rev a).
// Both tiles (16 runs of 16 consecutive points) stay in the cache meanwhile.
void BitReverse(double* x, unsigned m) {
  const size_t n = size_t(1) << m;
  if (m < 8) {
    for (size_t i = 0; i < n; ++i) {
      const size_t j = ReverseBits(i, m);
      if (j > i) SwapPoints(x, i, j);
    }
    return;
  }
  static constexpr uint8_t kRev4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  // Within a tile whose middle bits read the same reversed, (a, c) and
  // (rev c, rev a) are exchanged once: the 120 pairs with (a, c) first.
  struct DiagonalPairs {
    uint8_t a[120], c[120];
    DiagonalPairs() {
      int k = 0;
      for (int pa = 0; pa < 16; ++pa)
        for (int pc = 0; pc < 16; ++pc)
          if (pa * 16 + pc < kRev4[pc] * 16 + kRev4[pa]) {
            a[k] = static_cast<uint8_t>(pa);
            c[k++] = static_cast<uint8_t>(pc);
          }
    }
  };
  static const DiagonalPairs diag;
  const unsigned mb = m - 8, hi = m - 4;
  for (size_t b = 0; b < (size_t(1) << mb); ++b) {
    const size_t br = ReverseBits(b, mb);
    if (br < b) continue;
    if (br == b) {
      for (int k = 0; k < 120; ++k) {
        const size_t a = diag.a[k], c = diag.c[k];
        SwapPoints(x, (a << hi) | (b << 4) | c, (size_t(kRev4[c]) << hi) | (b << 4) | kRev4[a]);
      }
      continue;
    }
    for (size_t a = 0; a < 16; ++a)
      for (size_t c = 0; c < 16; ++c)
        SwapPoints(x, (a << hi) | (b << 4) | c, (size_t(kRev4[c]) << hi) | (br << 4) | kRev4[a]);
  }
}

}  // namespace

namespace {

// The transform of n complex points in place (natural order), with the
// twiddle tables of n points in table (built when tableN is not n).
void ComplexTransform(double* d, size_t n, int sign, std::vector<double>& table, size_t& tableN) {
  unsigned m = 0;
  while ((size_t(1) << m) < n) ++m;
  // Twiddle tables of the pass lengths n, n/4, … down to 8, one after
  // another: W^j for the passes over blocks longer than CacheBlockOf(n),
  // W^j, W^2j, W^3j (grouped as Radix4Pass reads them) for the others.
  const size_t block = CacheBlockOf(n);
  auto tableSize = [block](size_t len) { return (len > block ? 2 : 6) * (len / 4); };
  if (tableN != n) {
    size_t total = 0;
    for (size_t len = n; len >= 8; len /= 4) total += tableSize(len);
    table.assign(total, 0.0);
    double* t = table.data();
    for (size_t len = n; len >= 8; len /= 4) {
      const size_t q = len / 4;
      auto put = [len](double* p, size_t e) {
        const double a = 2 * std::numbers::pi * static_cast<double>(e) / static_cast<double>(len);
        p[0] = std::cos(a);
        p[1] = std::sin(a);
      };
      for (size_t j = 0; j < q; ++j)
        if (len > block) {
          put(t + 2 * j, j);
        } else {
          double* g = t + 12 * (j / 2) + 2 * (j % 2);
          put(g, j);
          put(g + 4, 2 * j);
          put(g + 8, 3 * j);
        }
      t += tableSize(len);
    }
    tableN = n;
  }
  const double* tw[32];
  size_t off = 0;
  int k = 0;
  for (size_t len = n; len >= 8; len /= 4, ++k) {
    tw[k] = table.data() + off;
    off += tableSize(len);
  }
#ifdef ZOL_FFT_AVX2
  if (CPUHas(cfAVX2))
    DifAvx2(d, n, tw, sign);
  else
#endif
    DifPortable(d, n, tw, sign);
  BitReverse(d, m);
}

}  // namespace

// A real signal of N points (every imaginary part 0) goes through one complex
// transform of M = N/2 points z_j = x_2j + i·x_2j+1: with Z its transform,
// E_k = (Z_k + conj Z_M-k)/2 and O_k = (Z_k - conj Z_M-k)/(2i) are the
// transforms of the even and the odd points, line k is E_k + W^k·O_k and
// line M-k is conj(E_k - W^k·O_k) (W = e^(±2 pi i/N)); the upper half of the
// spectrum holds the conjugates of the lower.
void TFastFourier::Fft(int sign) {
  const size_t n = static_cast<size_t>(FN);
  double* d = FData.data();
  FExtremesValid = false;
  bool real = n >= 16;
  for (size_t i = 1; real && i < 2 * n; i += 2) real = d[i] == 0;
  if (!real) {
    ComplexTransform(d, n, sign, FTwiddle, FTwiddleN);
    return;
  }
  const size_t half = n / 2;
  for (size_t i = 1; i < n; ++i) d[i] = d[2 * i];  // the real parts, as half complex points
  ComplexTransform(d, half, sign, FHalfTwiddle, FHalfTwiddleN);
  if (FRealTwiddleN != n) {
    FRealTwiddle.assign(2 * (n / 4 + 1), 0.0);  // e^(2 pi i k/N), k <= N/4
    for (size_t k = 0; k <= n / 4; ++k) {
      const double a = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
      FRealTwiddle[2 * k] = k == n / 4 ? 0.0 : std::cos(a);
      FRealTwiddle[2 * k + 1] = k == n / 4 ? 1.0 : std::sin(a);
    }
    FRealTwiddleN = n;
  }
  const double s = sign >= 0 ? 1.0 : -1.0;
  const double z0r = d[0], z0i = d[1];
  d[0] = z0r + z0i;
  d[1] = 0;
  d[2 * half] = z0r - z0i;
  d[2 * half + 1] = 0;
  for (size_t k = 1; k <= half / 2; ++k) {
    const size_t mk = half - k;
    const double ar = d[2 * k], ai = d[2 * k + 1], br = d[2 * mk], bi = d[2 * mk + 1];
    const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);   // E_k
    const double orr = 0.5 * (ai + bi), oi = -0.5 * (ar - br);  // O_k
    const double wr = FRealTwiddle[2 * k], wi = s * FRealTwiddle[2 * k + 1];
    const double tr = wr * orr - wi * oi, ti = wr * oi + wi * orr;  // W^k·O_k
    const double xr = er + tr, xi = ei + ti;        // line k
    const double yr = er - tr, yi = -(ei - ti);     // line M-k
    d[2 * k] = xr;
    d[2 * k + 1] = xi;
    d[2 * (n - k)] = xr;
    d[2 * (n - k) + 1] = -xi;
    if (mk != k) {
      d[2 * mk] = yr;
      d[2 * mk + 1] = yi;
      d[2 * (half + k)] = yr;
      d[2 * (half + k) + 1] = -yi;
    }
  }
}

void TFastFourier::Transform() {
  ApplyWindow();
  Fft(+1);
}

void TFastFourier::InverseTransform() {
  Fft(-1);
  const double inv = 1.0 / FN;
  for (double& v : FData) v *= inv;
}

double TFastFourier::PowerTerm(int k) const {
  auto sq = [this](int line) {
    double re = FData[2 * static_cast<size_t>(line)], im = FData[2 * static_cast<size_t>(line) + 1];
    return re * re + im * im;
  };
  if (k == 0 || 2 * k == FN) return sq(k);
  return sq(k) + sq(FN - k);
}

double TFastFourier::PowerSpec(int k) const {
  if (k < 0 || k > FN / 2) return 0;
  return PowerTerm(k) / FN;
}

double TFastFourier::Magnitude(int k) const {
  if (k < 0 || k > FN / 2) return 0;
  const double re = FData[2 * static_cast<size_t>(k)], im = FData[2 * static_cast<size_t>(k) + 1];
  if (k == 0 || 2 * k == FN) return std::sqrt(re * re + im * im) / FN;
  const double re2 = FData[2 * static_cast<size_t>(FN - k)], im2 = FData[2 * static_cast<size_t>(FN - k) + 1];
  return std::sqrt((re + re2) * (re + re2) + (im - im2) * (im - im2)) / FN;
}

double TFastFourier::FSerCos(int k) const {
  if (k < 0 || k > FN / 2) return 0;
  const double re = FData[2 * static_cast<size_t>(k)];
  if (k == 0 || 2 * k == FN) return re / FN;
  return (re + FData[2 * static_cast<size_t>(FN - k)]) / FN;
}

double TFastFourier::FSerSin(int k) const {
  if (k <= 0 || k > FN / 2 || 2 * k == FN) return 0;
  return (FData[2 * static_cast<size_t>(k) + 1] - FData[2 * static_cast<size_t>(FN - k) + 1]) / FN;
}

double TFastFourier::Phase(int k) const {
  if (k <= 0 || k > FN / 2) return 0;
  return std::atan2(FData[2 * static_cast<size_t>(k) + 1], FData[2 * static_cast<size_t>(k)]);
}

double TFastFourier::RMS(int k1, int k2) const {
  k1 = std::clamp(k1, 0, FN / 2);
  k2 = std::clamp(k2, 0, FN / 2);
  if (k1 > k2) std::swap(k1, k2);
  double s = 0;
  for (int k = k1; k <= k2; ++k) s += PowerTerm(k);
  return std::sqrt(s) / FN;
}

double TFastFourier::FreqOfLine(int k, double SamplingInterval) const {
  if (k < 1 || k > FN / 2 || SamplingInterval == 0) return 0;
  return k / (SamplingInterval * FN);
}

int TFastFourier::LineOfFreq(double Freq, double SamplingInterval) const {
  double l = std::round(FN * Freq * SamplingInterval);
  if (!(l >= 1 && l <= FN / 2)) return 0;
  return static_cast<int>(l);
}

void TFastFourier::UpdateExtremes() const {
  if (FExtremesValid) return;
  FMaxPower = FMaxMagni = 0;
  FMaxReal = FMaxImag = -1e308;
  FMinReal = FMinImag = 1e308;
  for (int i = 0; i < FN; ++i) {
    double re = FData[2 * static_cast<size_t>(i)], im = FData[2 * static_cast<size_t>(i) + 1];
    FMaxReal = std::max(FMaxReal, re);
    FMinReal = std::min(FMinReal, re);
    FMaxImag = std::max(FMaxImag, im);
    FMinImag = std::min(FMinImag, im);
  }
  for (int k = 0; k <= FN / 2; ++k) {
    FMaxPower = std::max(FMaxPower, PowerSpec(k));
    FMaxMagni = std::max(FMaxMagni, Magnitude(k));
  }
  FExtremesValid = true;
}

double TFastFourier::MaxPower() const { return UpdateExtremes(), FMaxPower; }
double TFastFourier::MaxMagni() const { return UpdateExtremes(), FMaxMagni; }
double TFastFourier::MaxReal() const { return UpdateExtremes(), FMaxReal; }
double TFastFourier::MaxImag() const { return UpdateExtremes(), FMaxImag; }
double TFastFourier::MinReal() const { return UpdateExtremes(), FMinReal; }
double TFastFourier::MinImag() const { return UpdateExtremes(), FMinImag; }

}  // namespace zol
