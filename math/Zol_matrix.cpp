// Two-, three- and four-dimensional number containers.
#include "math/Zol_matrix.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "base/Zol_streams.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_math1.h"
#include "math/Zol_vecmatbase.h"

namespace zol {

const char* const DistModeNames[6] = {"Jaccard coefficient", "Manhattan",        "Euclidean",
                                      "squared Euclidean",   "Dice coefficient", "user defined"};
const char* const xmlMatXmlTag[8] = {"numcols", "numrows", "numplanes", "numtimeslots",
                                     "cell",    "matrix",  "/matrix",   "invalidtag"};
int LUPermSign = 1;

namespace {

// ==================================================================== dense kernels
// All matrices column-major with a leading dimension (distance between columns).

using v2d = double __attribute__((vector_size(16)));

constexpr int MR = 4;    // rows of a register tile
constexpr int NR = 4;    // columns of a register tile
constexpr int KC = 256;  // depth of a packed block
constexpr int MC = 128;  // rows of a packed block of A

// C(m×n) += A(m×k) · B(k×n).
void Gemm(int m, int n, int k, const double* A, size_t lda, const double* B, size_t ldb, double* C, size_t ldc) {
  if (m <= 0 || n <= 0 || k <= 0) return;
  std::vector<double> apack(static_cast<size_t>(MC + MR) * KC);
  std::vector<double> bpack(static_cast<size_t>(KC) * NR);
  for (int pc = 0; pc < k; pc += KC) {
    const int kc = std::min(KC, k - pc);
    for (int ic = 0; ic < m; ic += MC) {
      const int mc = std::min(MC, m - ic);
      // pack A[ic.., pc..] into row panels of MR: apack[panel][p][0..MR)
      const int npan = (mc + MR - 1) / MR;
      for (int ip = 0; ip < npan; ++ip) {
        double* dst = apack.data() + static_cast<size_t>(ip) * kc * MR;
        const int r0 = ic + ip * MR;
        const int rr = std::min(MR, m - r0);
        for (int p = 0; p < kc; ++p) {
          const double* src = A + static_cast<size_t>(pc + p) * lda + r0;
          int r = 0;
          for (; r < rr; ++r) dst[p * MR + r] = src[r];
          for (; r < MR; ++r) dst[p * MR + r] = 0.0;
        }
      }
      for (int jc = 0; jc < n; jc += NR) {
        const int nc = std::min(NR, n - jc);
        for (int p = 0; p < kc; ++p)
          for (int c = 0; c < NR; ++c)
            bpack[static_cast<size_t>(p) * NR + c] = c < nc ? B[static_cast<size_t>(jc + c) * ldb + pc + p] : 0.0;
        for (int ip = 0; ip < npan; ++ip) {
          const double* ap = apack.data() + static_cast<size_t>(ip) * kc * MR;
          const double* bp = bpack.data();
          v2d c00 = {0, 0}, c10 = {0, 0}, c01 = {0, 0}, c11 = {0, 0};
          v2d c02 = {0, 0}, c12 = {0, 0}, c03 = {0, 0}, c13 = {0, 0};
          for (int p = 0; p < kc; ++p) {
            v2d a0, a1;
            std::memcpy(&a0, ap + p * MR, sizeof(v2d));
            std::memcpy(&a1, ap + p * MR + 2, sizeof(v2d));
            const double* b = bp + p * NR;
            v2d b0 = {b[0], b[0]}, b1 = {b[1], b[1]}, b2 = {b[2], b[2]}, b3 = {b[3], b[3]};
            c00 += a0 * b0;
            c10 += a1 * b0;
            c01 += a0 * b1;
            c11 += a1 * b1;
            c02 += a0 * b2;
            c12 += a1 * b2;
            c03 += a0 * b3;
            c13 += a1 * b3;
          }
          const int r0 = ic + ip * MR;
          const int rr = std::min(MR, m - r0);
          double tile[NR][MR];
          std::memcpy(&tile[0][0], &c00, 16);
          std::memcpy(&tile[0][2], &c10, 16);
          std::memcpy(&tile[1][0], &c01, 16);
          std::memcpy(&tile[1][2], &c11, 16);
          std::memcpy(&tile[2][0], &c02, 16);
          std::memcpy(&tile[2][2], &c12, 16);
          std::memcpy(&tile[3][0], &c03, 16);
          std::memcpy(&tile[3][2], &c13, 16);
          for (int c = 0; c < nc; ++c) {
            double* cp = C + static_cast<size_t>(jc + c) * ldc + r0;
            for (int r = 0; r < rr; ++r) cp[r] += tile[c][r];
          }
        }
      }
    }
  }
}

// In-place LU factorisation with implicit (row-scaled) partial pivoting of
// the n×n column-major matrix a (leading dimension n): P·A = L·U, L unit lower
// triangular below the diagonal of a, U on and above it.  perm receives the
// original row of every position, sign the permutation's sign.  Returns false
// when a row is zero or a pivot is negligible (then it is replaced by a tiny
// value and the factorisation continues); with StopOnSingular it returns at
// once instead.  Blocked: panels of NB columns, the trailing matrix updated
// through Gemm.  Every panel advances ProcStat and calls MathFeedBackProc;
// AbortMathProc (cleared at the start) stops the factorisation (false).
bool LUFactor(double* a, int n, std::vector<int>& perm, int& sign, bool StopOnSingular) {
  const size_t ld = static_cast<size_t>(n);
  std::vector<double> scale(n, 0.0);
  perm.resize(n);
  sign = 1;
  bool ok = true;
  for (int i = 0; i < n; ++i) perm[i] = i;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) scale[i] = std::max(scale[i], std::fabs(a[j * ld + i]));
  for (int i = 0; i < n; ++i) {
    if (scale[i] == 0.0 || !std::isfinite(scale[i])) return false;
    scale[i] = 1.0 / scale[i];
  }
  const double tol = static_cast<double>(n) * 2.220446049250313e-16;
  constexpr int NB = 48;
  AbortMathProc = false;
  for (int jb = 0; jb < n; jb += NB) {
    ++ProcStat;
    if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    if (AbortMathProc) return false;
    const int nb = std::min(NB, n - jb);
    // factor the panel jb..jb+nb−1 (left-looking inside the panel)
    for (int j = jb; j < jb + nb; ++j) {
      double* colj = a + j * ld;
      // apply the earlier panel columns to column j
      for (int k = jb; k < j; ++k) {
        const double t = colj[k];
        if (t != 0.0) {
          const double* colk = a + k * ld;
          for (int i = k + 1; i < n; ++i) colj[i] -= t * colk[i];
        }
      }
      // pivot: largest scaled magnitude, the last one on ties
      int imax = j;
      double big = -1.0;
      for (int i = j; i < n; ++i) {
        const double d = scale[i] * std::fabs(colj[i]);
        if (d >= big) {
          big = d;
          imax = i;
        }
      }
      if (imax != j) {
        for (int c = 0; c < n; ++c) std::swap(a[c * ld + imax], a[c * ld + j]);
        std::swap(scale[imax], scale[j]);
        std::swap(perm[imax], perm[j]);
        sign = -sign;
      }
      double piv = colj[j];
      if (!(std::fabs(piv) * scale[j] > tol) || std::fabs(piv) < 1e-100) {
        ok = false;
        if (StopOnSingular) return false;
        piv = colj[j] = 1e-20;
      }
      const double inv = 1.0 / piv;
      for (int i = j + 1; i < n; ++i) colj[i] *= inv;
    }
    const int j2 = jb + nb;
    if (j2 >= n) break;
    // U12 = L11⁻¹ · A12 (unit lower triangular solve on the panel rows)
    for (int c = j2; c < n; ++c) {
      double* colc = a + c * ld;
      for (int k = jb; k < j2; ++k) {
        const double t = colc[k];
        if (t != 0.0) {
          const double* colk = a + k * ld;
          for (int i = k + 1; i < j2; ++i) colc[i] -= t * colk[i];
        }
      }
    }
    // A22 −= L21 · U12
    const int m2 = n - j2;
    std::vector<double> l21(static_cast<size_t>(m2) * nb);
    for (int k = 0; k < nb; ++k)
      for (int i = 0; i < m2; ++i) l21[static_cast<size_t>(k) * m2 + i] = -a[(jb + k) * ld + j2 + i];
    Gemm(m2, m2, nb, l21.data(), m2, a + j2 * ld + jb, ld, a + j2 * ld + j2, ld);
  }
  return ok;
}

// Solves L·U·X = B for the m right-hand sides in b (n×m, leading dimension n)
// with the factors in lu (unit lower L, upper U).
void LUSolve(const double* lu, int n, double* b, int m) {
  const size_t ld = static_cast<size_t>(n);
  constexpr int NB = 64;
  // forward: L·Y = B
  for (int kb = 0; kb < n; kb += NB) {
    const int nb = std::min(NB, n - kb);
    for (int c = 0; c < m; ++c) {
      double* x = b + c * ld;
      for (int k = kb; k < kb + nb; ++k) {
        const double t = x[k];
        if (t != 0.0)
          for (int i = k + 1; i < kb + nb; ++i) x[i] -= t * lu[k * ld + i];
      }
    }
    const int r2 = kb + nb;
    if (r2 < n) {
      std::vector<double> neg(static_cast<size_t>(n - r2) * nb);
      for (int k = 0; k < nb; ++k)
        for (int i = r2; i < n; ++i) neg[static_cast<size_t>(k) * (n - r2) + (i - r2)] = -lu[(kb + k) * ld + i];
      Gemm(n - r2, m, nb, neg.data(), n - r2, b + kb, ld, b + r2, ld);
    }
  }
  // backward: U·X = Y
  for (int ke = n; ke > 0; ke -= NB) {
    const int kb = std::max(0, ke - NB);
    for (int c = 0; c < m; ++c) {
      double* x = b + c * ld;
      for (int k = ke - 1; k >= kb; --k) {
        x[k] /= lu[k * ld + k];
        const double t = x[k];
        if (t != 0.0)
          for (int i = kb; i < k; ++i) x[i] -= t * lu[k * ld + i];
      }
    }
    if (kb > 0) {
      std::vector<double> neg(static_cast<size_t>(kb) * (ke - kb));
      for (int k = kb; k < ke; ++k)
        for (int i = 0; i < kb; ++i) neg[static_cast<size_t>(k - kb) * kb + i] = -lu[k * ld + i];
      Gemm(kb, m, ke - kb, neg.data(), kb, b + kb, ld, b, ld);
    }
  }
}

double Pythag(double a, double b) {
  const double aa = std::fabs(a), ab = std::fabs(b);
  if (aa > ab) return aa * std::sqrt(1.0 + (ab / aa) * (ab / aa));
  return ab == 0.0 ? 0.0 : ab * std::sqrt(1.0 + (aa / ab) * (aa / ab));
}

double SignOf(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// Singular value decomposition (Householder bidiagonalisation and implicit
// shifted QR): a (m rows × n columns, column-major, leading dimension m) is
// replaced by U, w receives the n singular values, v (n × n) V.  False when a
// value needs more than 30 iterations or AbortMathProc is set.
bool SVD(std::vector<double>& a, int m, int n, std::vector<double>& w, std::vector<double>& v) {
  auto A = [&](int i, int j) -> double& { return a[static_cast<size_t>(j) * m + i]; };
  auto V = [&](int i, int j) -> double& { return v[static_cast<size_t>(j) * n + i]; };
  w.assign(n, 0.0);
  v.assign(static_cast<size_t>(n) * n, 0.0);
  std::vector<double> rv1(n, 0.0);
  double g = 0, scale = 0, anorm = 0, s, f, h;
  AbortMathProc = false;
  int l = 0;
  for (int i = 0; i < n; ++i) {
    l = i + 1;
    rv1[i] = scale * g;
    g = s = scale = 0.0;
    if (i < m) {
      for (int k = i; k < m; ++k) scale += std::fabs(A(k, i));
      if (scale != 0.0) {
        for (int k = i; k < m; ++k) {
          A(k, i) /= scale;
          s += A(k, i) * A(k, i);
        }
        f = A(i, i);
        g = -SignOf(std::sqrt(s), f);
        h = f * g - s;
        A(i, i) = f - g;
        for (int j = l; j < n; ++j) {
          s = 0.0;
          for (int k = i; k < m; ++k) s += A(k, i) * A(k, j);
          f = s / h;
          for (int k = i; k < m; ++k) A(k, j) += f * A(k, i);
        }
        for (int k = i; k < m; ++k) A(k, i) *= scale;
      }
    }
    w[i] = scale * g;
    g = s = scale = 0.0;
    if (i < m && i != n - 1) {
      for (int k = l; k < n; ++k) scale += std::fabs(A(i, k));
      if (scale != 0.0) {
        for (int k = l; k < n; ++k) {
          A(i, k) /= scale;
          s += A(i, k) * A(i, k);
        }
        f = A(i, l);
        g = -SignOf(std::sqrt(s), f);
        h = f * g - s;
        A(i, l) = f - g;
        for (int k = l; k < n; ++k) rv1[k] = A(i, k) / h;
        for (int j = l; j < m; ++j) {
          s = 0.0;
          for (int k = l; k < n; ++k) s += A(j, k) * A(i, k);
          for (int k = l; k < n; ++k) A(j, k) += s * rv1[k];
        }
        for (int k = l; k < n; ++k) A(i, k) *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
  }
  for (int i = n - 1; i >= 0; --i) {
    if (i < n - 1) {
      if (g != 0.0) {
        for (int j = l; j < n; ++j) V(j, i) = (A(i, j) / A(i, l)) / g;
        for (int j = l; j < n; ++j) {
          s = 0.0;
          for (int k = l; k < n; ++k) s += A(i, k) * V(k, j);
          for (int k = l; k < n; ++k) V(k, j) += s * V(k, i);
        }
      }
      for (int j = l; j < n; ++j) V(i, j) = V(j, i) = 0.0;
    }
    V(i, i) = 1.0;
    g = rv1[i];
    l = i;
  }
  for (int i = std::min(m, n) - 1; i >= 0; --i) {
    l = i + 1;
    g = w[i];
    for (int j = l; j < n; ++j) A(i, j) = 0.0;
    if (g != 0.0) {
      g = 1.0 / g;
      for (int j = l; j < n; ++j) {
        s = 0.0;
        for (int k = l; k < m; ++k) s += A(k, i) * A(k, j);
        f = (s / A(i, i)) * g;
        for (int k = i; k < m; ++k) A(k, j) += f * A(k, i);
      }
      for (int j = i; j < m; ++j) A(j, i) *= g;
    } else {
      for (int j = i; j < m; ++j) A(j, i) = 0.0;
    }
    A(i, i) += 1.0;
  }
  for (int k = n - 1; k >= 0; --k) {
    ++ProcStat;
    if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    if (AbortMathProc) return false;
    for (int its = 1; its <= 30; ++its) {
      bool flag = true;
      int nm = 0;
      for (l = k; l >= 0; --l) {
        nm = l - 1;
        if (std::fabs(rv1[l]) + anorm == anorm) {
          flag = false;
          break;
        }
        if (std::fabs(w[nm]) + anorm == anorm) break;
      }
      if (flag) {
        double c = 0.0;
        s = 1.0;
        for (int i = l; i <= k; ++i) {
          f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) + anorm == anorm) break;
          g = w[i];
          h = Pythag(f, g);
          w[i] = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          for (int j = 0; j < m; ++j) {
            const double y = A(j, nm), z = A(j, i);
            A(j, nm) = y * c + z * s;
            A(j, i) = z * c - y * s;
          }
        }
      }
      double z = w[k];
      if (l == k) {
        if (z < 0.0) {
          w[k] = -z;
          for (int j = 0; j < n; ++j) V(j, k) = -V(j, k);
        }
        break;
      }
      if (its == 30) return false;
      double x = w[l];
      nm = k - 1;
      double y = w[nm];
      g = rv1[nm];
      h = rv1[k];
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = Pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + SignOf(g, f))) - h)) / x;
      double c = 1.0;
      s = 1.0;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = rv1[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = Pythag(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        for (int jj = 0; jj < n; ++jj) {
          x = V(jj, j);
          z = V(jj, i);
          V(jj, j) = x * c + z * s;
          V(jj, i) = z * c - x * s;
        }
        z = Pythag(f, h);
        w[j] = z;
        if (z != 0.0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        for (int jj = 0; jj < m; ++jj) {
          y = A(jj, j);
          z = A(jj, i);
          A(jj, j) = y * c + z * s;
          A(jj, i) = z * c - y * s;
        }
      }
      rv1[l] = 0.0;
      rv1[k] = f;
      w[k] = x;
    }
  }
  return true;
}

// ==================================================================== common helpers
bool ParseNum(std::string_view s, double& v) {
  return vecmat::ParseWhole(vecmat::TrimNumber(s, " \t\r\n", " \t\r\n"), v);
}

bool ParseInt64(std::string_view s, int64_t& v) {
  double d;
  if (!ParseNum(s, d) || !(std::fabs(d) < 9e15) || d != std::floor(d)) return false;
  v = static_cast<int64_t>(d);
  return true;
}

// Splits a line into fields separated by blanks, tabs, commas or semicolons.
std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  auto sep = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r'; };
  while (i < line.size()) {
    while (i < line.size() && sep(line[i])) ++i;
    if (i >= line.size()) break;
    size_t j = i;
    while (j < line.size() && !sep(line[j])) ++j;
    out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

std::string Num(double v) { return vecstat::DoubleToRoundTrip(v); }

// 32-bit two's complement result of a wider integer (wraps instead of overflowing).
int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// Reads a whitespace-separated table: '#' lines carry comments ("# dataid X"
// is kept).  Every data row must have the same number of fields.
bool ReadTextTable(const std::string& FileName, int64_t& NCols, int64_t& NRows, std::vector<double>& RowMajor,
                   std::string& ID, bool& HaveID) {
  std::vector<std::string> lines;
  if (!vecmat::ReadAllLines(FileName, lines)) return false;
  NCols = -1;
  NRows = 0;
  HaveID = false;
  int64_t statedCols = -1, statedRows = -1;
  for (const std::string& line : lines) {
    const size_t p = line.find_first_not_of(" \t\r");
    if (p == std::string::npos) continue;
    if (line[p] == '#') {
      if (line.compare(p, 9, "# dataid ") == 0) {
        ID = line.substr(p + 9);
        HaveID = true;
      } else if (line.compare(p, 10, "# columns ") == 0) {
        auto f = SplitFields(std::string_view(line).substr(p + 10));
        if (f.size() != 3 || f[1] != "rows" || !ParseInt64(f[0], statedCols) || !ParseInt64(f[2], statedRows))
          statedCols = statedRows = -1;
      }
      continue;
    }
    auto f = SplitFields(line);
    // a line of separators only holds no values: a table of rows without
    // columns cannot be written back, so it is refused
    if (f.empty()) return false;
    if (NCols < 0) NCols = static_cast<int64_t>(f.size());
    if (static_cast<int64_t>(f.size()) != NCols) return false;
    for (auto s : f) {
      double v;
      if (!ParseNum(s, v)) return false;
      RowMajor.push_back(v);
    }
    ++NRows;
  }
  if (NCols < 0) NCols = 0;
  // our own files state their shape: a file cut short is refused
  if (statedRows >= 0 && (statedRows != NRows || (NRows > 0 && statedCols != NCols))) return false;
  return NCols <= INT32_MAX && NRows <= INT32_MAX;
}

void WriteTextTable(const std::string& FileName, int NCols, int NRows, const std::string& ID, const char* Kind,
                    const std::function<std::string(int, int)>& Cell) {
  TextFile F;
  AssignFile(F, FileName);
  Rewrite(F);
  WriteLn(F, std::string("# ZOL ") + Kind);
  WriteLn(F, "# columns " + std::to_string(NCols) + " rows " + std::to_string(NRows));
  WriteLn(F, "# dataid " + ID);
  std::string line;
  for (int r = 1; r <= NRows; ++r) {
    line.clear();
    for (int c = 1; c <= NCols; ++c) {
      if (c > 1) line += ' ';
      line += Cell(c, r);
    }
    WriteLn(F, line);
  }
  CloseFile(F);
}

// ---------------------------------------------------------------- binary helpers
void PutI32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(u >> (8 * k));
}
int32_t GetI32(const uint8_t* p) {
  uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<uint32_t>(p[k]) << (8 * k);
  return static_cast<int32_t>(u);
}
void PutF64(uint8_t* p, double v) {
  const uint64_t u = std::bit_cast<uint64_t>(v);
  for (int k = 0; k < 8; ++k) p[k] = static_cast<uint8_t>(u >> (8 * k));
}
double GetF64(const uint8_t* p) {
  uint64_t u = 0;
  for (int k = 0; k < 8; ++k) u |= static_cast<uint64_t>(p[k]) << (8 * k);
  return std::bit_cast<double>(u);
}
// A length-byte string of capacity 255 at p (256 bytes).
void PutShortString(uint8_t* p, const std::string& s) {
  const std::string t = Utf8Truncate(s, 255);
  std::memset(p, 0, 256);
  p[0] = static_cast<uint8_t>(t.size());
  std::memcpy(p + 1, t.data(), t.size());
}
// Bytes that are not UTF-8 are read as Latin-1 and may grow; the result is
// cut to the field's capacity so that it is written back unchanged.
std::string GetShortString(const uint8_t* p) {
  return Utf8Truncate(BytesToUtf8(std::string_view(reinterpret_cast<const char*>(p + 1), p[0])), 255);
}

constexpr int MatHeaderSize = 272;
constexpr int32_t MatMaxEmptyDim = 65536;
const char MatMagicD[8] = {'Z', 'O', 'L', 'M', 'T', 'X', 0x1A, 1};
const char MatMagicI[8] = {'Z', 'O', 'L', 'I', 'M', 'X', 0x1A, 1};

// Reads and checks the 272-byte matrix header; the file length must cover
// the values.
bool ReadMatHeader(TFileStream& fs, const char* Magic, int ElemSize, int& NCols, int& NRows, std::string& ID) {
  uint8_t h[MatHeaderSize];
  const int64_t len = fs.Size();
  if (len < MatHeaderSize) return false;
  fs.SetPosition(0);
  if (fs.Read(h, MatHeaderSize) != MatHeaderSize) return false;
  if (std::memcmp(h, Magic, 8) != 0) return false;
  const int32_t nc = GetI32(h + 8), nr = GetI32(h + 12);
  if (nc < 0 || nr < 0) return false;
  // nc·nr ≤ 2^62: the product fits, the division keeps the size check exact
  if (static_cast<int64_t>(nc) * static_cast<int64_t>(nr) > (len - MatHeaderSize) / ElemSize) return false;
  // An empty matrix (no rows or no columns) carries no values, so the file
  // length cannot bound the other dimension; storage is still allocated for
  // it, so it is limited to MatMaxEmptyDim.
  if ((nc == 0 || nr == 0) && std::max(nc, nr) > MatMaxEmptyDim) return false;
  NCols = nc;
  NRows = nr;
  ID = GetShortString(h + 16);
  return true;
}

void WriteMatHeader(TStream& s, const char* Magic, int NCols, int NRows, const std::string& ID) {
  uint8_t h[MatHeaderSize];
  std::memcpy(h, Magic, 8);
  PutI32(h + 8, NCols);
  PutI32(h + 12, NRows);
  PutShortString(h + 16, ID);
  s.WriteBuffer(h, MatHeaderSize);
}

// ---------------------------------------------------------------- tagged-text helpers
const std::vector<std::string>& MatTagList() {
  static const std::vector<std::string> tags(std::begin(xmlMatXmlTag), std::end(xmlMatXmlTag));
  return tags;
}

std::string XmlQuoteAttr(const std::string& s) {
  std::string r;
  for (char c : s) r += (c == '"') ? '\'' : c;
  return r;
}

// Builds a matrix record; Cells lists "<cell ...>v</cell>" lines.
void EmitXmlRecord(const std::function<void(const std::string&)>& Line, bool CreateHeader, const char* ClassName,
                   const std::string& ID, const std::vector<std::pair<int, int>>& Dims,
                   const std::function<void(const std::function<void(const std::string&)>&)>& Cells) {
  if (CreateHeader) {
    Line("<?xml version=\"1.0\"?>");
    Line("");
  }
  Line(std::string("<!-- ") + ClassName + " / ZOL Component Suite -->");
  Line(std::string("<matrix sig=\"") + ZolSignature + "\" vers=\"" + ZolRecordVersion + "\" id=\"" +
       XmlQuoteAttr(ID) + "\">");
  for (const auto& [tag, val] : Dims) {
    const std::string name = xmlMatXmlTag[tag];
    Line("  <" + name + ">" + std::to_string(val) + "</" + name + ">");
  }
  Cells(Line);
  Line("</matrix>");
}

// Parsed contents of a matrix record.
struct TXmlMat {
  int64_t dims[4] = {1, 1, 1, 1};  // cols, rows, layers, slots
  struct Cell {
    int64_t idx[4];
    double v;
  };
  std::vector<Cell> cells;
};

// Finds the record with the given id in the text read by NextTag and parses it.
template <typename NextTagFn>
bool FindXmlRecord(NextTagFn NextTag, const std::function<bool()>& AtEnd, const std::string& ID, TXmlMat& out) {
  const auto& tags = MatTagList();
  std::string content, attrs;
  for (int guard = 0; guard < 100000000; ++guard) {
    if (AtEnd()) return false;
    const int t = NextTag(tags, content, attrs);
    if (t != xmlMatBegin) continue;
    if (ScanForXMLAttrib(attrs, "sig") != ZolSignature) continue;
    if (ScanForXMLAttrib(attrs, "id") != ID) continue;
    // parse the children
    size_t pos = 0;
    std::string c2, a2;
    const char* d = content.data();
    const size_t len = content.size();
    out = TXmlMat();
    while (pos < len) {
      const size_t before = pos;
      const int k = ReadNextTagInBuffer(d, len, pos, tags, c2, a2);
      if (pos <= before) break;
      int64_t iv;
      switch (k) {
        case xmlMatNumCols:
        case xmlMatNumRows:
        case xmlMatNumLayers:
        case xmlMatNumTimeSlots:
          if (!ParseInt64(c2, iv) || iv < 0 || iv > INT32_MAX) return false;
          out.dims[k - xmlMatNumCols] = iv;
          break;
        case xmlMatCell: {
          TXmlMat::Cell cell{{1, 1, 1, 1}, 0.0};
          static const char* const names[4] = {"c", "r", "l", "t"};
          bool okc = true;
          for (int q = 0; q < 4; ++q) {
            const std::string s = ScanForXMLAttrib(a2, names[q]);
            if (!s.empty() && !ParseInt64(s, cell.idx[q])) okc = false;
          }
          if (!ParseNum(c2, cell.v)) okc = false;
          // a cell cut off by the end of the input has no end tag
          if (pos < 7 || !SameText(content.substr(pos - 7, 7), "</cell>")) okc = false;
          if (okc) out.cells.push_back(cell);
          break;
        }
        default:
          break;
      }
    }
    // every element has its cell: the storage (at least one element per
    // dimension) is bounded by the record's length, so hostile dimensions
    // cannot force a huge allocation, and a truncated record is refused.
    // A record with a zero dimension has no elements and is kept as it
    // stands (an empty matrix is written that way and must read back).
    int64_t alloc = 1, total = 1;
    for (int q = 0; q < 4; ++q) {
      alloc *= std::max<int64_t>(out.dims[q], 1);
      total *= out.dims[q];
      if (alloc > static_cast<int64_t>(content.size()) + 1) return false;
    }
    int64_t inside = 0;
    for (const auto& cell : out.cells) {
      bool in = true;
      for (int q = 0; q < 4; ++q) in = in && cell.idx[q] >= 1 && cell.idx[q] <= out.dims[q];
      if (in) ++inside;
    }
    return inside >= total;
  }
  return false;
}

bool FindXmlInStream(TStream& Stream, const std::string& ID, TXmlMat& out) {
  try {
    return FindXmlRecord(
        [&](const std::vector<std::string>& tags, std::string& c, std::string& a) {
          return ReadNextTagInStream(Stream, tags, c, a);
        },
        [&]() { return Stream.Position() >= Stream.Size(); }, ID, out);
  } catch (const std::exception&) {
    return false;
  }
}

bool FindXmlInFile(TextFile& F, const std::string& ID, TXmlMat& out) {
  try {
    return FindXmlRecord(
        [&](const std::vector<std::string>& tags, std::string& c, std::string& a) {
          return ReadNextTagInTextFile(F, tags, c, a);
        },
        [&]() { return Eof(F); }, ID, out);
  } catch (const std::exception&) {
    return false;
  }
}

void StreamLine(TStream& s, const std::string& line) {
  s.WriteBuffer(line.data(), static_cast<int64_t>(line.size()));
  s.WriteBuffer("\r\n", 2);
}

// Region checks and the 10-byte extended stream format of the matrices.
bool ReadRegionHeader(TStream& s, int64_t r[4]) {
  if (!vecmat::ReadExtendedIndices(s, r, 4)) return false;
  return r[0] >= 1 && r[1] >= 1 && r[2] >= r[0] && r[3] >= r[1] && r[2] <= INT32_MAX && r[3] <= INT32_MAX;
}

}  // namespace

// ==================================================================== TMatrixBase
namespace {

// What differs between the element types of the matrices.
template <typename Elem>
struct TMatElem;

template <>
struct TMatElem<double> {
  using CRC = vecstat::TCRC64Builder;
  static constexpr bool CanBeSparse = false;
  static constexpr const char* ClassName = "TMatrix";
  static constexpr const char* Kind = "matrix";
  static constexpr const char* Magic = MatMagicD;
  static constexpr int Size = 8;
  static constexpr double MinStart = 1.7e308, MaxStart = -1.7e308;
  static double Plus(double a, double b) { return a + b; }
  static double Minus(double a, double b) { return a - b; }
  static double Distance(double a, double b) { return std::fabs(a - b); }
  static std::string Format(double v) { return Num(v); }
  static void Put(uint8_t* p, double v) { PutF64(p, v); }
  static double Get(const uint8_t* p) { return GetF64(p); }
  static double FromExtended(long double x) { return static_cast<double>(x); }
  // a value read from a text or tagged-text file
  static bool FromDouble(double v, double& out) {
    out = v;
    return true;
  }
};

template <>
struct TMatElem<int32_t> {
  using CRC = vecstat::TCRC32Builder;
  static constexpr bool CanBeSparse = true;
  static constexpr const char* ClassName = "TIntMatrix";
  static constexpr const char* Kind = "integer matrix";
  static constexpr const char* Magic = MatMagicI;
  static constexpr int Size = 4;
  static constexpr int32_t MinStart = 2147483647, MaxStart = -2147483647;
  static int32_t Plus(int32_t a, int32_t b) { return Wrap32(static_cast<int64_t>(a) + b); }
  static int32_t Minus(int32_t a, int32_t b) { return Wrap32(static_cast<int64_t>(a) - b); }
  static int64_t Distance(int32_t a, int32_t b) { return std::llabs(static_cast<int64_t>(a) - b); }
  static std::string Format(int32_t v) { return std::to_string(v); }
  static void Put(uint8_t* p, int32_t v) { PutI32(p, v); }
  static int32_t Get(const uint8_t* p) { return GetI32(p); }
  static int32_t FromExtended(long double x) { return vecmat::ExtendedToInt32(x); }
  // a value read from a text or tagged-text file must be a whole int32
  static bool FromDouble(double v, int32_t& out) {
    if (v != std::floor(v) || v < -2147483648.0 || v > 2147483647.0) return false;
    out = static_cast<int32_t>(v);
    return true;
  }
};

void MatCellsOut(const std::function<void(const std::string&)>& Line, int nc, int nr,
                 const std::function<std::string(int, int)>& val) {
  for (int c = 1; c <= nc; ++c)
    for (int r = 1; r <= nr; ++r)
      Line("  <cell c=" + std::to_string(c) + " r=" + std::to_string(r) + ">" + val(c, r) + "</cell>");
}

}  // namespace

#define ZOL_MATBASE(Ret) \
  template <typename D, typename E, typename V> \
  Ret TMatrixBase<D, E, V>

ZOL_MATBASE(void)::Changed() {
  if (OnChange) OnChange(this);
}

ZOL_MATBASE(void)::SetNCols(int n) { Self().Resize(n, FNRows); }
ZOL_MATBASE(void)::SetNRows(int n) { Self().Resize(FNCols, n); }

ZOL_MATBASE(void)::SetDataID(const std::string& v) {
  if (v == FDataID) return;
  FDataID = v;
  Changed();
}

ZOL_MATBASE(void)::ResizeDense(int NCols, int NRows) {
  NCols = std::max(NCols, 0);
  NRows = std::max(NRows, 0);
  const int ac = std::max(NCols, 1), ar = std::max(NRows, 1);
  try {
    std::vector<E> nd(static_cast<size_t>(ac) * static_cast<size_t>(ar), E{});
    const int oc = std::min(ac, std::max(FNCols, 1)), orows = std::min(ar, FAllocRows);
    for (int c = 0; c < oc; ++c)
      std::copy_n(FData.data() + static_cast<size_t>(c) * FAllocRows, orows, nd.data() + static_cast<size_t>(c) * ar);
    FData.swap(nd);
  } catch (const std::bad_alloc&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  } catch (const std::length_error&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  FNCols = NCols;
  FNRows = NRows;
  FAllocRows = ar;
}

ZOL_MATBASE(void)::TransposeDense() {
  const int ac = std::max(FNCols, 1), ar = std::max(FNRows, 1);
  std::vector<E> nd;
  try {
    nd.resize(FData.size());
  } catch (const std::bad_alloc&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  for (int c = 0; c < ac; ++c)
    for (int r = 0; r < ar; ++r) nd[static_cast<size_t>(r) * ac + c] = FData[static_cast<size_t>(c) * ar + r];
  FData.swap(nd);
  FAllocRows = ac;
}

ZOL_MATBASE(void)::CopyFrom(const D* Src, int ColLo, int RowLo, int ColHi, int RowHi, int DestCol, int DestRow) {
  if (Src == nullptr) return;
  Src->MakeValidColRange(ColLo, ColHi);
  Src->MakeValidRowRange(RowLo, RowHi);
  // through a copy, so that Src may be self
  std::vector<E> tmp;
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r) tmp.push_back(Src->GetVal(c, r));
  size_t k = 0;
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r, ++k) {
      const int64_t dc = static_cast<int64_t>(DestCol) + (c - ColLo), dr = static_cast<int64_t>(DestRow) + (r - RowLo);
      if (dc >= 1 && dc <= FNCols && dr >= 1 && dr <= FNRows)
        Self().RawSet(static_cast<int>(dc), static_cast<int>(dr), tmp[k]);
    }
  Changed();
}

ZOL_MATBASE(void)::CopyRowToVec(V* Vec, int Row, int ColLo, int ColHi) const {
  if (Vec == nullptr) return;
  std::fill(Vec->Data(), Vec->Data() + Vec->NrOfElem(), E{});
  MakeValidColRange(ColLo, ColHi);
  Row = std::clamp(Row, 1, std::max(FNRows, 1));
  ColHi = std::min(ColHi, ColLo + Vec->NrOfElem() - 1);
  if (FNRows >= 1)
    for (int c = ColLo; c <= ColHi; ++c) Vec->Data()[c - ColLo] = Self().GetVal(c, Row);
  Vec->Changed();
}

ZOL_MATBASE(void)::CopyColToVec(V* Vec, int Col, int RowLo, int RowHi) const {
  if (Vec == nullptr) return;
  std::fill(Vec->Data(), Vec->Data() + Vec->NrOfElem(), E{});
  MakeValidRowRange(RowLo, RowHi);
  Col = std::clamp(Col, 1, std::max(FNCols, 1));
  RowHi = std::min(RowHi, RowLo + Vec->NrOfElem() - 1);
  for (int r = RowLo; r <= RowHi; ++r) Vec->Data()[r - RowLo] = Self().GetVal(Col, r);
  Vec->Changed();
}

ZOL_MATBASE(void)::MirrorColumns() {
  for (int c = 1, d = FNCols; c < d; ++c, --d) ExchangeColumns(c, d);
  Changed();
}

ZOL_MATBASE(void)::MirrorRows() {
  for (int r = 1, d = FNRows; r < d; ++r, --d) ExchangeRows(r, d);
  Changed();
}

ZOL_MATBASE(void)::ExchangeColumns(int c1, int c2) {
  if (c1 < 1 || c1 > FNCols || c2 < 1 || c2 > FNCols || c1 == c2) return;
  for (int r = 1; r <= FNRows; ++r) Self().SwapVals(c1, r, c2, r);
  Changed();
}

ZOL_MATBASE(void)::ExchangeRows(int r1, int r2) {
  if (r1 < 1 || r1 > FNRows || r2 < 1 || r2 > FNRows || r1 == r2) return;
  for (int c = 1; c <= FNCols; ++c) Self().SwapVals(c, r1, c, r2);
  Changed();
}

ZOL_MATBASE(std::string)::CRCofData() const {
  typename TMatElem<E>::CRC b;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) b.Add(Self().GetVal(c, r));
  return b.Result();
}

ZOL_MATBASE(bool)::Add(const D* m) {
  if (m == nullptr || m->FNCols != FNCols || m->FNRows != FNRows) return false;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) {
      const E b = m->GetVal(c, r);
      // an integer 0 changes nothing (and adds no sparse entry)
      if (std::is_integral_v<E> && b == 0) continue;
      Self().RawSet(c, r, TMatElem<E>::Plus(Self().GetVal(c, r), b));
    }
  Changed();
  return true;
}

ZOL_MATBASE(bool)::Subtract(const D* m) {
  if (m == nullptr || m->FNCols != FNCols || m->FNRows != FNRows) return false;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) {
      const E b = m->GetVal(c, r);
      if (std::is_integral_v<E> && b == 0) continue;
      Self().RawSet(c, r, TMatElem<E>::Minus(Self().GetVal(c, r), b));
    }
  Changed();
  return true;
}

ZOL_MATBASE(void)::SAdd(E f) {
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) Self().RawSet(c, r, TMatElem<E>::Plus(Self().GetVal(c, r), f));
  Changed();
}

ZOL_MATBASE(double)::Correlate(const D* m) const {
  if (m == nullptr || m->FNCols != FNCols || m->FNRows != FNRows)
    throw EZOLMatrixError(ComponentMsg("matrices do not match"));
  const double n = static_cast<double>(FNCols) * FNRows;
  if (!(n > 2)) return 0.0;
  double sx = 0, sy = 0;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) {
      sx += Self().GetVal(c, r);
      sy += m->GetVal(c, r);
    }
  // centred sums (same value as the raw-sum formula, without its cancellation)
  const double mx = sx / n, my = sy / n;
  double qx = 0, qy = 0, qxy = 0;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) {
      const double dx = Self().GetVal(c, r) - mx, dy = m->GetVal(c, r) - my;
      qx += dx * dx;
      qy += dy * dy;
      qxy += dx * dy;
    }
  if (qx == 0.0 || qy == 0.0) return 0.0;
  return qxy / std::sqrt(std::fabs(qx * qy));
}

ZOL_MATBASE(void)::MakeValidColRange(int& Lo, int& Hi) const { vecmat::NormRange(Lo, Hi, FNCols); }
ZOL_MATBASE(void)::MakeValidRowRange(int& Lo, int& Hi) const { vecmat::NormRange(Lo, Hi, FNRows); }

ZOL_MATBASE(std::vector<double>)::Region(int ColLo, int RowLo, int ColHi, int RowHi) const {
  std::vector<double> v;
  if (FNCols < 1 || FNRows < 1) return v;
  v.reserve(static_cast<size_t>(ColHi - ColLo + 1) * (RowHi - RowLo + 1));
  for (int c = ColLo; c <= ColHi; ++c) {
    if (FSparse) {
      for (int r = RowLo; r <= RowHi; ++r) v.push_back(Self().GetVal(c, r));
    } else {
      const E* col = FData.data() + Idx(c, 1);
      v.insert(v.end(), col + RowLo - 1, col + RowHi);
    }
  }
  return v;
}

// The region statistics: the region made valid, its values column by column.
#define ZOL_MAT_REGION             \
  MakeValidColRange(ColLo, ColHi); \
  MakeValidRowRange(RowLo, RowHi); \
  const std::vector<double> reg = Region(ColLo, RowLo, ColHi, RowHi)

ZOL_MATBASE(double)::Sum(int ColLo, int RowLo, int ColHi, int RowHi) const {
  ZOL_MAT_REGION;
  return vecstat::Sum(reg);
}

ZOL_MATBASE(void)::MinMax(int ColLo, int RowLo, int ColHi, int RowHi, E& Min, E& Max) const {
  ZOL_MAT_REGION;
  Min = TMatElem<E>::MinStart;
  Max = TMatElem<E>::MaxStart;
  for (double v : reg) {
    Min = std::min(Min, static_cast<E>(v));
    Max = std::max(Max, static_cast<E>(v));
  }
}

ZOL_MATBASE(void)::MeanVar(int ColLo, int RowLo, int ColHi, int RowHi, double& Mean, double& Variance) const {
  ZOL_MAT_REGION;
  vecstat::MeanVar(reg, Mean, Variance);
}

ZOL_MATBASE(double)::GeometricMean(int ColLo, int RowLo, int ColHi, int RowHi) const {
  ZOL_MAT_REGION;
  if (vecstat::HasNegative(reg)) throw EZOLMatrixError(ComponentMsg("negative argument passed to GeometricMean"));
  return vecstat::GeometricMean(reg);
}

ZOL_MATBASE(double)::HarmonicMean(int ColLo, int RowLo, int ColHi, int RowHi) const {
  ZOL_MAT_REGION;
  if (vecstat::HasNonPositive(reg))
    throw EZOLMatrixError(ComponentMsg("negative or zero argument passed to HarmonicMean"));
  return vecstat::HarmonicMean(reg);
}

ZOL_MATBASE(void)::SkewKurt(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness, double& Kurtosis) const {
  ZOL_MAT_REGION;
  vecstat::SkewKurt(reg, Skewness, Kurtosis);
}

ZOL_MATBASE(void)::SkewKurtSample(int ColLo, int RowLo, int ColHi, int RowHi, double& Skewness,
                                  double& Kurtosis) const {
  ZOL_MAT_REGION;
  vecstat::SkewKurtSample(reg, Skewness, Kurtosis);
}

ZOL_MATBASE(bool)::Quartiles(int ColLo, int RowLo, int ColHi, int RowHi, double& Q1, double& Q2, double& Q3) const {
  ZOL_MAT_REGION;
  Q1 = Q2 = Q3 = 0.0;
  if (reg.empty()) return false;
  vecstat::Quartiles(reg, Q1, Q2, Q3);
  return true;
}

ZOL_MATBASE(double)::Percentile(double p, int ColLo, int RowLo, int ColHi, int RowHi) const {
  ZOL_MAT_REGION;
  return vecstat::Percentile(reg, p);
}

#undef ZOL_MAT_REGION

ZOL_MATBASE(bool)::Histogram(int ColLo, int RowLo, int ColHi, int RowHi, double FirstBin, double LastBin,
                             double BinWidth, TIntVector* Hist, int& Underflow, int& Overflow, int& MaxCount) const {
  // the region is taken as given; elements outside the matrix are skipped
  if (ColLo > ColHi) std::swap(ColLo, ColHi);
  if (RowLo > RowHi) std::swap(RowLo, RowHi);
  ColLo = std::max(ColLo, 1);
  RowLo = std::max(RowLo, 1);
  ColHi = std::min(ColHi, FNCols);
  RowHi = std::min(RowHi, FNRows);
  std::vector<double> reg;
  if (ColLo <= ColHi && RowLo <= RowHi) reg = Region(ColLo, RowLo, ColHi, RowHi);
  return vecstat::Histogram(reg, FirstBin, LastBin, BinWidth, Hist, Underflow, Overflow, MaxCount);
}

ZOL_MATBASE(void)::Find(int ColLo, int RowLo, int ColHi, int RowHi, E x, int& Col, int& Row) const {
  MakeValidColRange(ColLo, ColHi);
  MakeValidRowRange(RowLo, RowHi);
  Col = Row = 0;
  decltype(TMatElem<E>::Distance(x, x)) bd{};
  for (int c = ColLo; c <= ColHi && FNRows > 0 && FNCols > 0; ++c)
    for (int r = RowLo; r <= RowHi; ++r) {
      const auto d = TMatElem<E>::Distance(Self().GetVal(c, r), x);
      if (Col == 0 || d < bd) {
        bd = d;
        Col = c;
        Row = r;
      }
    }
}

ZOL_MATBASE(int)::FindInSortedColumn(int Col, bool Ascending, E x) const {
  if (Col < 1 || Col > FNCols || FNRows < 1) return 0;
  return vecmat::BisectSorted(FNRows, Ascending, static_cast<double>(x),
                              [this, Col](int r) { return static_cast<double>(Self().GetVal(Col, r)); });
}

ZOL_MATBASE(void)::SortRows(int KeyCol, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
  MakeValidColRange(ColLo, ColHi);
  MakeValidRowRange(RowLo, RowHi);
  if (RowHi - RowLo <= 0 || KeyCol < 1 || KeyCol > FNCols) return;
  vecmat::CombSortIdx(
      RowLo, RowHi, Ascending, [&](int r) { return Self().GetVal(KeyCol, r); },
      [&](int a, int b) {
        for (int c = ColLo; c <= ColHi; ++c) Self().SwapVals(c, a, c, b);
        if (KeyCol < ColLo || KeyCol > ColHi) Self().SwapVals(KeyCol, a, KeyCol, b);
        if (OnSortExchange) OnSortExchange(this, 2, a, b, ColLo, ColHi);
      });
  Changed();
}

ZOL_MATBASE(void)::SortCols(int KeyRow, bool Ascending, int ColLo, int RowLo, int ColHi, int RowHi) {
  MakeValidColRange(ColLo, ColHi);
  MakeValidRowRange(RowLo, RowHi);
  if (ColHi - ColLo <= 0 || KeyRow < 1 || KeyRow > FNRows) return;
  vecmat::CombSortIdx(
      ColLo, ColHi, Ascending, [&](int c) { return Self().GetVal(c, KeyRow); },
      [&](int a, int b) {
        for (int r = RowLo; r <= RowHi; ++r) Self().SwapVals(a, r, b, r);
        if (KeyRow < RowLo || KeyRow > RowHi) Self().SwapVals(a, KeyRow, b, KeyRow);
        if (OnSortExchange) OnSortExchange(this, 1, a, b, RowLo, RowHi);
      });
  Changed();
}


// ==================================================================== TMatrix
bool TMatrix::Resize(int NCols, int NRows) {
  ResizeDense(NCols, NRows);
  Changed();
  return true;
}

void TMatrix::SetVal(int c, int r, double v) {
  if (c < 1 || c > FNCols || r < 1 || r > FNRows) return;
  FData[Idx(c, r)] = v;
  Changed();
}

void TMatrix::SetFPrecis(int i, int v) {
  v = std::clamp(v, -1, 25);
  int& p = i <= 1 ? FPrecis[0] : FPrecis[1];
  if (p == v) return;
  p = v;
  Changed();
}

void TMatrix::Fill(double v) {
  std::fill(FData.begin(), FData.end(), v);
  Changed();
}

void TMatrix::FillRandomUniform(double Low, double High) {
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) FData[Idx(c, r)] = Low + Random() * (High - Low);
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) {
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) FData[Idx(c, r)] = Mean + StdDev * GRandom();
  Changed();
}

void TMatrix::Clone(const TMatrix* Src) {
  if (Src == nullptr || Src == this) return;
  FData = Src->FData;
  FNCols = Src->FNCols;
  FNRows = Src->FNRows;
  FAllocRows = Src->FAllocRows;
  FDataID = Src->FDataID;
  Changed();
}

void TMatrix::CopyFrom(const TIntMatrix* Src, int ColLo, int RowLo, int ColHi, int RowHi, int DestCol,
                       int DestRow) {
  if (Src == nullptr) return;
  Src->MakeValidColRange(ColLo, ColHi);
  Src->MakeValidRowRange(RowLo, RowHi);
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r) {
      const int64_t dc = static_cast<int64_t>(DestCol) + (c - ColLo), dr = static_cast<int64_t>(DestRow) + (r - RowLo);
      if (dc >= 1 && dc <= FNCols && dr >= 1 && dr <= FNRows)
        FData[Idx(static_cast<int>(dc), static_cast<int>(dr))] = Src->GetVal(c, r);
    }
  Changed();
}

void TMatrix::CopyFromVec(const TVector* Vec, int VecLo, int VecHi, int DestCol, int DestRow) {
  if (Vec == nullptr) return;
  Vec->MakeValidElemRange(VecLo, VecHi);
  if (DestCol >= 1 && DestCol <= FNCols)
    for (int i = VecLo; i <= VecHi; ++i) {
      const int64_t r = static_cast<int64_t>(DestRow) + (i - VecLo);
      if (r >= 1 && r <= FNRows) FData[Idx(DestCol, static_cast<int>(r))] = Vec->GetVal(i);
    }
  Changed();
}

void TMatrix::Transpose() {
  TransposeDense();
  std::swap(FNCols, FNRows);
  Changed();
}

void TMatrix::SMult(double f) {
  for (double& x : FData) x *= f;
  Changed();
}

bool TMatrix::Multiply(const TMatrix* B, TMatrix* Prod) const {
  if (B == nullptr || Prod == nullptr) return false;
  if (FNCols != B->FNRows || Prod->FNCols != B->FNCols || Prod->FNRows != FNRows) return false;
  const int m = FNRows, n = B->FNCols, k = FNCols;
  std::vector<double> res(static_cast<size_t>(std::max(m, 1)) * std::max(n, 1), 0.0);
  Gemm(m, n, k, FData.data(), FAllocRows, B->FData.data(), B->FAllocRows, res.data(), std::max(m, 1));
  // the result goes through a working copy, so Prod may be self or B
  for (int c = 1; c <= n; ++c)
    std::copy_n(res.data() + static_cast<size_t>(c - 1) * std::max(m, 1), m, Prod->ColumnData(c));
  Prod->Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* B, TMatrix* Prod) const {
  if (B == nullptr || Prod == nullptr) return false;
  if (FNRows != B->FNRows || Prod->FNCols != B->FNCols || Prod->FNRows != FNCols) return false;
  const int n = B->FNCols, m = FNCols;
  std::vector<double> res(static_cast<size_t>(std::max(m, 1)) * std::max(n, 1), 0.0);
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= m; ++i) {
      const double* a = ColumnData(i);
      const double* b = B->ColumnData(j);
      double s = 0.0;
      for (int k = 0; k < FNRows; ++k) s += a[k] * b[k];
      res[static_cast<size_t>(j - 1) * std::max(m, 1) + (i - 1)] = s;
    }
  for (int c = 1; c <= n; ++c)
    std::copy_n(res.data() + static_cast<size_t>(c - 1) * std::max(m, 1), m, Prod->ColumnData(c));
  Prod->Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TVector* v, TVector* Prod) const {
  if (v == nullptr || Prod == nullptr) return false;
  if (v->NrOfElem() != FNRows || Prod->NrOfElem() != FNCols) return false;
  std::vector<double> res(FNCols, 0.0);
  for (int i = 1; i <= FNCols; ++i) {
    const double* a = ColumnData(i);
    double s = 0.0;
    for (int k = 0; k < FNRows; ++k) s += a[k] * v->Data()[k];
    res[i - 1] = s;
  }
  std::copy(res.begin(), res.end(), Prod->Data());
  Prod->Changed();
  return true;
}

double TMatrix::Trace() const {
  if (FNCols != FNRows) return 0.0;
  double s = 0.0;
  for (int i = 1; i <= FNCols; ++i) s += FData[Idx(i, i)];
  return s;
}

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) {
  for (int c = 1; c <= FNCols; ++c) {
    double mean, var;
    vecstat::MeanVar(std::span<const double>(ColumnData(c), FNRows), mean, var);
    const double sd = std::sqrt(var);
    if (var > 0.0)
      for (int r = 1; r <= FNRows; ++r) FData[Idx(c, r)] = (FData[Idx(c, r)] - mean) / sd;
    if (Means && c <= Means->NrOfElem()) Means->Data()[c - 1] = mean;
    if (StdDevs && c <= StdDevs->NrOfElem()) StdDevs->Data()[c - 1] = sd;
  }
  if (Means) Means->Changed();
  if (StdDevs) StdDevs->Changed();
  Changed();
}

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) {
  std::vector<double> row(FNCols);
  for (int r = 1; r <= FNRows; ++r) {
    for (int c = 1; c <= FNCols; ++c) row[c - 1] = FData[Idx(c, r)];
    double mean, var;
    vecstat::MeanVar(row, mean, var);
    const double sd = std::sqrt(var);
    if (var > 0.0)
      for (int c = 1; c <= FNCols; ++c) FData[Idx(c, r)] = (row[c - 1] - mean) / sd;
    if (Means && r <= Means->NrOfElem()) Means->Data()[r - 1] = mean;
    if (StdDevs && r <= StdDevs->NrOfElem()) StdDevs->Data()[r - 1] = sd;
  }
  if (Means) Means->Changed();
  if (StdDevs) StdDevs->Changed();
  Changed();
}

void TMatrix::MeanCenterColumns(TVector* Means) {
  for (int c = 1; c <= FNCols; ++c) {
    const double mean = FNRows > 0 ? vecstat::Sum(std::span<const double>(ColumnData(c), FNRows)) / FNRows : 0.0;
    for (int r = 1; r <= FNRows; ++r) FData[Idx(c, r)] -= mean;
    if (Means && c <= Means->NrOfElem()) Means->Data()[c - 1] = mean;
  }
  if (Means) Means->Changed();
  Changed();
}

void TMatrix::MeanCenterRows(TVector* Means) {
  for (int r = 1; r <= FNRows; ++r) {
    double s = 0.0;
    for (int c = 1; c <= FNCols; ++c) s += FData[Idx(c, r)];
    const double mean = FNCols > 0 ? s / FNCols : 0.0;
    for (int c = 1; c <= FNCols; ++c) FData[Idx(c, r)] -= mean;
    if (Means && r <= Means->NrOfElem()) Means->Data()[r - 1] = mean;
  }
  if (Means) Means->Changed();
  Changed();
}

// ---------------------------------------------------------------- linear algebra
bool TMatrix::LUdecomposition(TMatrix* L, TMatrix* U) const {
  if (L == nullptr || U == nullptr || FNCols != FNRows || FNCols < 1) return false;
  const int n = FNCols;
  std::vector<double> a(static_cast<size_t>(n) * n);
  for (int c = 1; c <= n; ++c) std::copy_n(ColumnData(c), n, a.data() + static_cast<size_t>(c - 1) * n);
  std::vector<int> perm;
  int sign = 1;
  const bool ok = LUFactor(a.data(), n, perm, sign, false);
  LUPermSign = sign;
  L->Resize(n, n);
  U->Resize(n, n);
  for (int c = 1; c <= n; ++c)
    for (int r = 1; r <= n; ++r) {
      const double v = a[static_cast<size_t>(c - 1) * n + (r - 1)];
      L->FData[L->Idx(c, r)] = r > c ? v : (r == c ? 1.0 : 0.0);
      U->FData[U->Idx(c, r)] = r <= c ? v : 0.0;
    }
  L->Changed();
  U->Changed();
  return ok;
}

double TMatrix::Determinant() const {
  if (FNCols != FNRows || FNCols < 1) return 0.0;
  const int n = FNCols;
  std::vector<double> a(static_cast<size_t>(n) * n);
  for (int c = 1; c <= n; ++c) std::copy_n(ColumnData(c), n, a.data() + static_cast<size_t>(c - 1) * n);
  std::vector<int> perm;
  int sign = 1;
  if (!LUFactor(a.data(), n, perm, sign, true)) return 0.0;
  LUPermSign = sign;
  double d = sign;
  for (int i = 0; i < n; ++i) d *= a[static_cast<size_t>(i) * n + i];
  return d;
}

bool TMatrix::Invert() {
  if (FNCols != FNRows || FNCols < 1) return false;
  const int n = FNCols;
  std::vector<double> a, b;
  try {
    a.resize(static_cast<size_t>(n) * n);
    b.assign(static_cast<size_t>(n) * n, 0.0);
  } catch (const std::bad_alloc&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  for (int c = 1; c <= n; ++c) std::copy_n(ColumnData(c), n, a.data() + static_cast<size_t>(c - 1) * n);
  std::vector<int> perm;
  int sign = 1;
  if (!LUFactor(a.data(), n, perm, sign, true)) return false;
  LUPermSign = sign;
  // P·A = L·U, so A⁻¹ = U⁻¹·L⁻¹·P: the right-hand sides are the permuted unit vectors
  for (int i = 0; i < n; ++i) b[static_cast<size_t>(perm[i]) * n + i] = 1.0;
  LUSolve(a.data(), n, b.data(), n);
  for (int c = 1; c <= n; ++c) std::copy_n(b.data() + static_cast<size_t>(c - 1) * n, n, ColumnData(c));
  Changed();
  return true;
}

bool TMatrix::SingularValueDecomposition(TMatrix* U, TVector* W, TMatrix* V) const {
  const int n = FNCols, m = FNRows;
  if (n < 1 || m < 1) return false;
  std::vector<double> a(static_cast<size_t>(m) * n), w, v;
  for (int c = 1; c <= n; ++c) std::copy_n(ColumnData(c), m, a.data() + static_cast<size_t>(c - 1) * m);
  const bool ok = SVD(a, m, n, w, v);
  if (U) {
    U->Resize(n, m);
    for (int c = 1; c <= n; ++c) std::copy_n(a.data() + static_cast<size_t>(c - 1) * m, m, U->ColumnData(c));
    U->Changed();
  }
  if (W) {
    W->Resize(n);
    std::copy(w.begin(), w.end(), W->Data());
    W->Changed();
  }
  if (V) {
    V->Resize(n, n);
    for (int c = 1; c <= n; ++c) std::copy_n(v.data() + static_cast<size_t>(c - 1) * n, n, V->ColumnData(c));
    V->Changed();
  }
  return ok;
}

double TMatrix::Norm(TNormType NormType) const {
  switch (NormType) {
    case ntColwise: {
      double best = 0.0;
      for (int c = 1; c <= FNCols; ++c) {
        double s = 0.0;
        for (int r = 1; r <= FNRows; ++r) s += std::fabs(FData[Idx(c, r)]);
        best = std::max(best, s);
      }
      return best;
    }
    case ntRowwise: {
      double best = 0.0;
      for (int r = 1; r <= FNRows; ++r) {
        double s = 0.0;
        for (int c = 1; c <= FNCols; ++c) s += std::fabs(FData[Idx(c, r)]);
        best = std::max(best, s);
      }
      return best;
    }
    case ntFrobenius: {
      double s = 0.0;
      for (int c = 1; c <= FNCols; ++c)
        for (int r = 1; r <= FNRows; ++r) s += FData[Idx(c, r)] * FData[Idx(c, r)];
      return std::sqrt(s);
    }
    case ntSpectral: {
      if (FNCols < 1 || FNRows < 1) return 0.0;
      const int n = FNCols, m = FNRows;
      std::vector<double> a(static_cast<size_t>(m) * n), w, v;
      for (int c = 1; c <= n; ++c) std::copy_n(ColumnData(c), m, a.data() + static_cast<size_t>(c - 1) * m);
      if (!SVD(a, m, n, w, v)) throw EZOLMatrixError(ComponentMsg("near singular covariance matrix"));
      return *std::max_element(w.begin(), w.end());
    }
  }
  return 0.0;
}

// Distances (or similarities) of one row x to the rows j0 .. j1-1 (at most
// kDistBlock of them) of the column-wise data cols (column k of all rows at
// cols + k·stride).  The sums of the rows run side by side, each of them over
// the columns in their order, so every value is summed exactly as for a
// single pair.
static constexpr int kDistBlock = 256;

template <TDistMode Mode>
static void DistOfRowBlock(const double* cols, size_t stride, int p, const double* x, int j0, int j1, double* out) {
  const int m = j1 - j0;
  double a[kDistBlock], b[kDistBlock], c[kDistBlock];
  for (int j = 0; j < m; ++j) a[j] = b[j] = c[j] = 0.0;
  for (int k = 0; k < p; ++k) {
    const double xk = x[k];
    const double* y = cols + static_cast<size_t>(k) * stride + j0;
    if constexpr (Mode == dmManhattan) {
      for (int j = 0; j < m; ++j) a[j] += std::fabs(xk - y[j]);
    } else if constexpr (Mode == dmEuclid || Mode == dmEuclidSqr) {
      for (int j = 0; j < m; ++j) {
        const double t = xk - y[j];
        a[j] += t * t;
      }
    } else {
      for (int j = 0; j < m; ++j) {
        a[j] += xk * y[j];
        b[j] += xk * xk;
        c[j] += y[j] * y[j];
      }
    }
  }
  for (int j = 0; j < m; ++j) {
    if constexpr (Mode == dmManhattan || Mode == dmEuclidSqr) {
      out[j] = a[j];
    } else if constexpr (Mode == dmEuclid) {
      out[j] = std::sqrt(a[j]);
    } else if constexpr (Mode == dmJaccard) {
      // two all-zero rows are identical: similarity 1 instead of 0/0
      const double den = b[j] + c[j] - a[j];
      out[j] = den != 0.0 ? a[j] / den : 1.0;
    } else {
      const double den = b[j] + c[j];
      out[j] = den != 0.0 ? 2.0 * a[j] / den : 1.0;
    }
  }
}

// The lower half of the columns 1..n, rows i > column, of the values computed
// for the upper half: dist(j, i) = dist(i, j), tile by tile.
template <class At>
static void MirrorUpperHalf(int n, At at) {
  constexpr int kTile = 64;
  for (int ib = 1; ib <= n; ib += kTile)
    for (int jb = ib; jb <= n; jb += kTile)
      for (int i = ib; i < std::min(ib + kTile, n + 1); ++i)
        for (int j = std::max(jb, i + 1); j < std::min(jb + kTile, n + 1); ++j) at(j, i) = at(i, j);
}

int TMatrix::CalcDistMat(TDistMode Mode, TMatrix* DistMat) const {
  if (DistMat == nullptr || DistMat->FNCols != DistMat->FNRows) return -1;
  if (DistMat->FNRows != FNRows) return -2;
  const int n = FNRows, p = FNCols;
  auto at = [DistMat](int c, int r) -> double& { return DistMat->FData[DistMat->Idx(c, r)]; };
  // The diagonal holds the value of a row with itself: 0 for the distances,
  // 1 for the similarities (as for two identical rows).
  const double self = (Mode == dmJaccard || Mode == dmDice) ? 1.0 : 0.0;
  if (Mode == dmUserDef) {
    for (int i = 1; i <= n; ++i) at(i, i) = self;
    for (int i = 1; i <= n; ++i)
      for (int j = i + 1; j <= n; ++j) {
        double d = 0.0;
        if (OnCalcDistance) OnCalcDistance(const_cast<TMatrix*>(this), i, j, d);
        at(i, j) = d;
        at(j, i) = d;
      }
    DistMat->Changed();
    return 0;
  }
  // A copy of the data column by column (DistMat may be this matrix), and row
  // i of it while its distances are computed.
  const size_t stride = static_cast<size_t>(n);
  std::vector<double> cols(stride * static_cast<size_t>(std::max(p, 1)));
  for (int c = 1; c <= p; ++c) std::copy_n(ColumnData(c), n, cols.data() + static_cast<size_t>(c - 1) * stride);
  std::vector<double> x(static_cast<size_t>(std::max(p, 1)));
  auto run = [&](auto kernel) {
    for (int i = 1; i <= n; ++i) {
      for (int k = 0; k < p; ++k) x[static_cast<size_t>(k)] = cols[static_cast<size_t>(k) * stride + (i - 1)];
      // Column i, rows i+1..n: the distances of row i to the later rows.
      double* out = &at(i, 1);
      for (int j0 = i; j0 < n; j0 += kDistBlock) {
        const int j1 = std::min(j0 + kDistBlock, n);
        kernel(cols.data(), stride, p, x.data(), j0, j1, out + j0);
      }
    }
  };
  switch (Mode) {
    case dmJaccard: run(DistOfRowBlock<dmJaccard>); break;
    case dmManhattan: run(DistOfRowBlock<dmManhattan>); break;
    case dmEuclid: run(DistOfRowBlock<dmEuclid>); break;
    case dmEuclidSqr: run(DistOfRowBlock<dmEuclidSqr>); break;
    case dmDice: run(DistOfRowBlock<dmDice>); break;
    case dmUserDef: break;
  }
  MirrorUpperHalf(n, at);
  for (int i = 1; i <= n; ++i) at(i, i) = self;
  DistMat->Changed();
  return 0;
}

// ---------------------------------------------------------------- storage
// The storage formats of both matrix classes.
ZOL_MATBASE(void)::SetFromParsed(int NCols, int NRows, const std::vector<E>& Vals, const std::string& ID) {
  // dense result of the stated size
  if constexpr (TMatElem<E>::CanBeSparse)
    if (FSparse) Self().BecomeDense();
  Self().Resize(NCols, NRows);
  for (int c = 1; c <= NCols; ++c)
    for (int r = 1; r <= NRows; ++r) FData[Idx(c, r)] = Vals[static_cast<size_t>(c - 1) * NRows + (r - 1)];
  FDataID = ID;
  Changed();
}

ZOL_MATBASE(bool)::StoreOnFile(int ColLo, int RowLo, int ColHi, int RowHi, const std::string& FileName) const {
  MakeValidColRange(ColLo, ColHi);
  MakeValidRowRange(RowLo, RowHi);
  // an empty matrix is written as a table without rows
  const int nc = (FNCols > 0 && FNRows > 0) ? ColHi - ColLo + 1 : 0, nr = nc > 0 ? RowHi - RowLo + 1 : 0;
  try {
    WriteTextTable(FileName, nc, nr, FDataID, TMatElem<E>::Kind, [&](int c, int r) {
      return TMatElem<E>::Format(Self().GetVal(ColLo + c - 1, RowLo + r - 1));
    });
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ZOL_MATBASE(bool)::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  int64_t nc, nr;
  std::vector<double> rm;
  std::string id;
  bool haveID;
  if (!ReadTextTable(FileName, nc, nr, rm, id, haveID)) return false;
  std::vector<E> vals(rm.size());
  for (size_t k = 0; k < rm.size(); ++k)
    if (!TMatElem<E>::FromDouble(rm[k], vals[k])) return false;
  if (AdjustSize) Self().Resize(static_cast<int>(nc), static_cast<int>(nr));
  for (int64_t r = 1; r <= nr && r <= FNRows; ++r)
    for (int64_t c = 1; c <= nc && c <= FNCols; ++c)
      Self().RawSet(static_cast<int>(c), static_cast<int>(r), vals[static_cast<size_t>((r - 1) * nc + (c - 1))]);
  if (haveID) FDataID = id;
  Changed();
  return true;
}

ZOL_MATBASE(void)::SaveToStream(TStream& Stream, int ColLo, int RowLo, int ColHi, int RowHi) const {
  MakeValidColRange(ColLo, ColHi);
  MakeValidRowRange(RowLo, RowHi);
  WriteExtendedToStream(Stream, ColLo);
  WriteExtendedToStream(Stream, RowLo);
  WriteExtendedToStream(Stream, ColHi);
  WriteExtendedToStream(Stream, RowHi);
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r) WriteExtendedToStream(Stream, Self().GetVal(c, r));
}

ZOL_MATBASE(void)::SaveToStream(std::unique_ptr<TMemoryStream>& Stream, int ColLo, int RowLo, int ColHi,
                                int RowHi) const {
  if (!Stream) Stream = std::make_unique<TMemoryStream>();
  SaveToStream(*Stream, ColLo, RowLo, ColHi, RowHi);
}

ZOL_MATBASE(bool)::LoadFromStream(TStream* Stream, bool AdjustSize) {
  if (Stream == nullptr) return false;
  int64_t start = 0;
  try {
    start = Stream->Position();
    const int64_t avail = Stream->Size() - start;
    int64_t rg[4];
    if (avail < 40 || !ReadRegionHeader(*Stream, rg)) {
      Stream->SetPosition(start);
      return false;
    }
    const int64_t cnt = (rg[2] - rg[0] + 1) * (rg[3] - rg[1] + 1);
    // the gap in front of the region must stay proportionate to the data
    const int64_t total = rg[2] * rg[3];
    if (cnt > (avail - 40) / 10 || total > cnt + 16 * 1024 * 1024 ||
        (!AdjustSize && (rg[2] > FNCols || rg[3] > FNRows))) {
      Stream->SetPosition(start);
      return false;
    }
    std::vector<uint8_t> raw(static_cast<size_t>(cnt) * 10);
    if (Stream->Read(raw.data(), static_cast<int64_t>(raw.size())) != static_cast<int64_t>(raw.size())) {
      Stream->SetPosition(start);
      return false;
    }
    if (AdjustSize) Self().Resize(static_cast<int>(rg[2]), static_cast<int>(rg[3]));
    size_t k = 0;
    for (int64_t c = rg[0]; c <= rg[2]; ++c)
      for (int64_t r = rg[1]; r <= rg[3]; ++r, ++k)
        Self().RawSet(static_cast<int>(c), static_cast<int>(r), TMatElem<E>::FromExtended(BytesToExtended(&raw[k * 10])));
    Changed();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ZOL_MATBASE(bool)::SaveBinary(const std::string& FileName) const {
  constexpr int es = TMatElem<E>::Size;
  try {
    TFileStream fs(FileName, fmCreate);
    WriteMatHeader(fs, TMatElem<E>::Magic, FNCols, FNRows, FDataID);
    std::vector<uint8_t> buf(static_cast<size_t>(std::max(FNRows, 0)) * es);
    for (int c = 1; c <= FNCols; ++c) {
      for (int r = 1; r <= FNRows; ++r) TMatElem<E>::Put(&buf[static_cast<size_t>(r - 1) * es], Self().GetVal(c, r));
      fs.WriteBuffer(buf.data(), static_cast<int64_t>(buf.size()));
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ZOL_MATBASE(bool)::ReadBinaryHeader(const std::string& FileName, int& NCols, int& NRows, std::string& DataID) const {
  NCols = NRows = 0;
  DataID.clear();
  try {
    TFileStream fs(FileName, fmOpenRead);
    return ReadMatHeader(fs, TMatElem<E>::Magic, TMatElem<E>::Size, NCols, NRows, DataID);
  } catch (const std::exception&) {
    return false;
  }
}

ZOL_MATBASE(bool)::LoadBinary(const std::string& FileName) {
  constexpr int es = TMatElem<E>::Size;
  try {
    TFileStream fs(FileName, fmOpenRead);
    int nc, nr;
    std::string id;
    if (!ReadMatHeader(fs, TMatElem<E>::Magic, es, nc, nr, id)) return false;
    std::vector<uint8_t> raw(static_cast<size_t>(nc) * static_cast<size_t>(nr) * es);
    if (fs.Read(raw.data(), static_cast<int64_t>(raw.size())) != static_cast<int64_t>(raw.size())) return false;
    std::vector<E> vals(static_cast<size_t>(nc) * nr);
    for (size_t k = 0; k < vals.size(); ++k) vals[k] = TMatElem<E>::Get(&raw[k * es]);
    SetFromParsed(nc, nr, vals, id);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ZOL_MATBASE(void)::WriteXml(const std::function<void(const std::string&)>& Line, bool CreateHeader,
                            const std::string& DataID) const {
  EmitXmlRecord(Line, CreateHeader, TMatElem<E>::ClassName, DataID, {{xmlMatNumCols, FNCols}, {xmlMatNumRows, FNRows}},
                [&](const auto& L) {
                  MatCellsOut(L, FNCols, FNRows, [&](int c, int r) { return TMatElem<E>::Format(Self().GetVal(c, r)); });
                });
}

ZOL_MATBASE(void)::WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
  WriteXml([&](const std::string& l) { StreamLine(Stream, l); }, CreateHeader, DataID);
}

ZOL_MATBASE(void)::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
  WriteXml([&](const std::string& l) { WriteLn(F, l); }, CreateHeader, DataID);
}

namespace {
// The elements of a parsed record, column by column; false for a value the
// element type cannot hold.
template <typename E>
bool XmlToVals(const TXmlMat& x, std::vector<E>& vals) {
  const int64_t nc = x.dims[0], nr = x.dims[1];
  vals.assign(static_cast<size_t>(nc * nr), E{});
  for (const auto& cell : x.cells)
    if (cell.idx[0] >= 1 && cell.idx[0] <= nc && cell.idx[1] >= 1 && cell.idx[1] <= nr) {
      if (!TMatElem<E>::FromDouble(cell.v, vals[static_cast<size_t>((cell.idx[0] - 1) * nr + (cell.idx[1] - 1))]))
        return false;
    }
  return true;
}
}  // namespace

ZOL_MATBASE(bool)::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  TXmlMat x;
  std::vector<E> vals;
  if (!FindXmlInStream(Stream, DataID, x) || !XmlToVals(x, vals)) return false;
  SetFromParsed(static_cast<int>(x.dims[0]), static_cast<int>(x.dims[1]), vals, DataID);
  return true;
}

ZOL_MATBASE(bool)::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  TXmlMat x;
  std::vector<E> vals;
  if (!FindXmlInFile(F, DataID, x) || !XmlToVals(x, vals)) return false;
  SetFromParsed(static_cast<int>(x.dims[0]), static_cast<int>(x.dims[1]), vals, DataID);
  return true;
}

ZOL_MATBASE(bool)::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, DataID); });
}

ZOL_MATBASE(bool)::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return ReadRecordFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, DataID); });
}

#undef ZOL_MATBASE

// ==================================================================== TIntMatrix
TIntMatrix::TIntMatrix(TComponent* AOwner, int Increment) : TMatrixBase(AOwner), FIncrement(std::max(Increment, 1)) {
  FNCols = FNRows = 0;
  FData.clear();
  FSparse = true;
  FCapacity = static_cast<size_t>(FIncrement);
}

bool TIntMatrix::Resize(int NCols, int NRows) {
  NCols = std::max(NCols, 0);
  NRows = std::max(NRows, 0);
  if (FSparse) {
    std::erase_if(FEntries, [&](const TSparseEntry& e) { return e.Col > NCols || e.Row > NRows; });
    UpdateSparseBounds();
    FNCols = NCols;
    FNRows = NRows;
    Changed();
    return true;
  }
  ResizeDense(NCols, NRows);
  Changed();
  return true;
}

static bool EntryLess(const TSparseEntry& e, int c, int r) { return e.Col < c || (e.Col == c && e.Row < r); }

int32_t TIntMatrix::GetVal(int c, int r) const {
  if (!FSparse) return (c >= 1 && c <= FNCols && r >= 1 && r <= FNRows) ? FData[Idx(c, r)] : 0;
  if (FEntries.empty() || c < FMinCol || c > FMaxCol || r < FMinRow || r > FMaxRow) return 0;
  auto it = std::lower_bound(FEntries.begin(), FEntries.end(), 0,
                             [&](const TSparseEntry& e, int) { return EntryLess(e, c, r); });
  return (it != FEntries.end() && it->Col == c && it->Row == r) ? it->Value : 0;
}

void TIntMatrix::RawSet(int c, int r, int32_t v) {
  if (!FSparse) {
    if (c >= 1 && c <= FNCols && r >= 1 && r <= FNRows) FData[Idx(c, r)] = v;
    return;
  }
  if (c < 1 || r < 1) return;
  auto it = std::lower_bound(FEntries.begin(), FEntries.end(), 0,
                             [&](const TSparseEntry& e, int) { return EntryLess(e, c, r); });
  if (it != FEntries.end() && it->Col == c && it->Row == r) {
    it->Value = v;
    return;
  }
  try {
    if (FEntries.size() >= FCapacity) FCapacity += static_cast<size_t>(FIncrement);
    FEntries.insert(it, TSparseEntry{c, r, v});
  } catch (const std::bad_alloc&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  FMinCol = std::min(FMinCol, c);
  FMaxCol = std::max(FMaxCol, c);
  FMinRow = std::min(FMinRow, r);
  FMaxRow = std::max(FMaxRow, r);
  // the stated dimensions grow with the entries but never shrink here
  FNCols = std::max(FNCols, FMaxCol);
  FNRows = std::max(FNRows, FMaxRow);
}

void TIntMatrix::SetVal(int c, int r, int32_t v) {
  if (!FSparse && (c < 1 || c > FNCols || r < 1 || r > FNRows)) return;
  if (FSparse && (c < 1 || r < 1)) return;
  RawSet(c, r, v);
  Changed();
}

void TIntMatrix::ArrayToSparse(int Increment) {
  if (FSparse) return;
  std::vector<TSparseEntry> e;
  try {
    for (int c = 1; c <= FNCols; ++c)
      for (int r = 1; r <= FNRows; ++r)
        if (FData[Idx(c, r)] != 0) e.push_back({c, r, FData[Idx(c, r)]});
  } catch (const std::bad_alloc&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  FIncrement = std::max(Increment, 1);
  FCapacity = std::max(e.size(), static_cast<size_t>(FIncrement));
  FEntries.swap(e);
  FSparse = true;
  FData.clear();
  FData.shrink_to_fit();
  UpdateSparseBounds();
  Changed();
}

void TIntMatrix::SparseToArray() {
  if (!FSparse) return;
  // the stated dimensions are kept (trailing zero rows/columns included)
  const int nc = std::max(FNCols, FEntries.empty() ? 0 : FMaxCol);
  const int nr = std::max(FNRows, FEntries.empty() ? 0 : FMaxRow);
  const int ac = std::max(nc, 1), ar = std::max(nr, 1);
  std::vector<int32_t> nd;
  try {
    nd.assign(static_cast<size_t>(ac) * ar, 0);
  } catch (const std::bad_alloc&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  } catch (const std::length_error&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  for (const auto& e : FEntries) nd[static_cast<size_t>(e.Col - 1) * ar + (e.Row - 1)] = e.Value;
  FData.swap(nd);
  FNCols = nc;
  FNRows = nr;
  FAllocRows = ar;
  FSparse = false;
  FEntries.clear();
  FEntries.shrink_to_fit();
  Changed();
}

void TIntMatrix::Fill(int32_t v) {
  if (FSparse) {
    FEntries.clear();
    if (v != 0)
      for (int c = 1; c <= FNCols; ++c)
        for (int r = 1; r <= FNRows; ++r) RawSet(c, r, v);
  } else {
    std::fill(FData.begin(), FData.end(), v);
  }
  Changed();
}

void TIntMatrix::FillRandomUniform(int32_t Low, int32_t High) {
  if (Low > High) std::swap(Low, High);
  const int64_t span = static_cast<int64_t>(High) - Low + 1;
  for (int c = 1; c <= FNCols; ++c)
    for (int r = 1; r <= FNRows; ++r) {
      int64_t off = static_cast<int64_t>(Random() * static_cast<double>(span));
      if (off >= span) off = span - 1;
      RawSet(c, r, static_cast<int32_t>(Low + off));
    }
  Changed();
}

void TIntMatrix::Clone(const TIntMatrix* Src) {
  if (Src == nullptr || Src == this) return;
  FNCols = Src->FNCols;
  FNRows = Src->FNRows;
  FAllocRows = Src->FAllocRows;
  FData = Src->FData;
  FSparse = Src->FSparse;
  FEntries = Src->FEntries;
  FIncrement = Src->FIncrement;
  FCapacity = Src->FCapacity;
  FMinCol = Src->FMinCol;
  FMaxCol = Src->FMaxCol;
  FMinRow = Src->FMinRow;
  FMaxRow = Src->FMaxRow;
  FDataID = Src->FDataID;
  Changed();
}

void TIntMatrix::Transpose() {
  if (FSparse) {
    for (auto& e : FEntries) std::swap(e.Col, e.Row);
    std::sort(FEntries.begin(), FEntries.end(),
              [](const TSparseEntry& a, const TSparseEntry& b) { return EntryLess(a, b.Col, b.Row); });
    std::swap(FMinCol, FMinRow);
    std::swap(FMaxCol, FMaxRow);
  } else {
    TransposeDense();
  }
  std::swap(FNCols, FNRows);
  Changed();
}

void TIntMatrix::UpdateSparseBounds() {
  FMinCol = FMinRow = 2147483647;
  FMaxCol = FMaxRow = 1;
  for (const auto& e : FEntries) {
    FMinCol = std::min(FMinCol, e.Col);
    FMaxCol = std::max(FMaxCol, e.Col);
    FMinRow = std::min(FMinRow, e.Row);
    FMaxRow = std::max(FMaxRow, e.Row);
  }
}

void TIntMatrix::SwapVals(int c1, int r1, int c2, int r2) {
  // equal values are left alone (no sparse entry is created for them)
  const int32_t a = GetVal(c1, r1), b = GetVal(c2, r2);
  if (a != b) {
    RawSet(c1, r1, b);
    RawSet(c2, r2, a);
  }
}

void TIntMatrix::BecomeDense() {
  FSparse = false;
  FEntries.clear();
  FNCols = FNRows = 0;
  FAllocRows = 1;
  FData.assign(1, 0);
}

void TIntMatrix::SMult(int32_t f) {
  if (FSparse)
    for (auto& e : FEntries) e.Value = Wrap32(static_cast<int64_t>(e.Value) * f);
  else
    for (auto& x : FData) x = Wrap32(static_cast<int64_t>(x) * f);
  Changed();
}

bool TIntMatrix::Multiply(const TIntMatrix* B, TIntMatrix* Prod) const {
  if (B == nullptr || Prod == nullptr) return false;
  if (FNCols != B->FNRows || Prod->FNCols != B->FNCols || Prod->FNRows != FNRows) return false;
  const int m = FNRows, n = B->FNCols, k = FNCols;
  std::vector<int64_t> res(static_cast<size_t>(std::max(m, 1)) * std::max(n, 1), 0);
  std::vector<int64_t> acol(m);
  for (int kk = 1; kk <= k; ++kk) {
    for (int i = 1; i <= m; ++i) acol[i - 1] = GetVal(kk, i);
    for (int j = 1; j <= n; ++j) {
      const int64_t b = B->GetVal(j, kk);
      if (b == 0) continue;
      int64_t* rc = res.data() + static_cast<size_t>(j - 1) * m;
      for (int i = 0; i < m; ++i) rc[i] = static_cast<int64_t>(static_cast<uint64_t>(rc[i]) + static_cast<uint64_t>(acol[i] * b));
    }
  }
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= m; ++i) Prod->RawSet(j, i, Wrap32(res[static_cast<size_t>(j - 1) * m + (i - 1)]));
  Prod->Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix* B, TIntMatrix* Prod) const {
  if (B == nullptr || Prod == nullptr) return false;
  if (FNRows != B->FNRows || Prod->FNCols != B->FNCols || Prod->FNRows != FNCols) return false;
  const int n = B->FNCols, m = FNCols;
  std::vector<int32_t> res(static_cast<size_t>(std::max(m, 1)) * std::max(n, 1), 0);
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= m; ++i) {
      uint64_t s = 0;
      for (int k = 1; k <= FNRows; ++k)
        s += static_cast<uint64_t>(static_cast<int64_t>(GetVal(i, k)) * B->GetVal(j, k));
      res[static_cast<size_t>(j - 1) * m + (i - 1)] = static_cast<int32_t>(static_cast<uint32_t>(s));
    }
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= m; ++i) Prod->RawSet(j, i, res[static_cast<size_t>(j - 1) * m + (i - 1)]);
  Prod->Changed();
  return true;
}

int64_t TIntMatrix::Trace() const {
  if (FNCols != FNRows) return 0;
  int64_t s = 0;
  for (int i = 1; i <= FNCols; ++i) s += GetVal(i, i);
  return s;
}

// ---------------------------------------------------------------- TIntMatrix sparse storage
bool TIntMatrix::StoreSparseMat(const std::string& FileName) const {
  try {
    TextFile F;
    AssignFile(F, FileName);
    Rewrite(F);
    std::vector<TSparseEntry> e;
    if (FSparse) {
      e = FEntries;
    } else {
      for (int c = 1; c <= FNCols; ++c)
        for (int r = 1; r <= FNRows; ++r)
          if (FData[Idx(c, r)] != 0) e.push_back({c, r, FData[Idx(c, r)]});
    }
    WriteLn(F, "%%MatrixMarket matrix coordinate integer general");
    WriteLn(F, "% dataid " + FDataID);
    WriteLn(F, std::to_string(FNRows) + " " + std::to_string(FNCols) + " " + std::to_string(e.size()));
    for (const auto& x : e)
      WriteLn(F, std::to_string(x.Row) + " " + std::to_string(x.Col) + " " + std::to_string(x.Value));
    CloseFile(F);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TIntMatrix::LoadSparseMat(const std::string& FileName) {
  std::vector<std::string> lines;
  if (!vecmat::ReadAllLines(FileName, lines) || lines.empty()) return false;
  auto banner = SplitFields(lines[0]);
  if (banner.size() < 5 || !SameText(std::string(banner[0]), "%%MatrixMarket") ||
      !SameText(std::string(banner[1]), "matrix") || !SameText(std::string(banner[2]), "coordinate") ||
      !SameText(std::string(banner[3]), "integer") || !SameText(std::string(banner[4]), "general"))
    return false;
  std::string id;
  size_t i = 1;
  for (; i < lines.size(); ++i) {
    const size_t p = lines[i].find_first_not_of(" \t");
    if (p == std::string::npos) continue;
    if (lines[i][p] != '%') break;
    if (lines[i].compare(p, 9, "% dataid ") == 0) id = lines[i].substr(p + 9);
  }
  if (i >= lines.size()) return false;
  auto sz = SplitFields(lines[i]);
  int64_t nr, nc, nnz;
  if (sz.size() != 3 || !ParseInt64(sz[0], nr) || !ParseInt64(sz[1], nc) || !ParseInt64(sz[2], nnz)) return false;
  if (nr < 0 || nc < 0 || nnz < 0 || nr > INT32_MAX || nc > INT32_MAX) return false;
  if (nnz > static_cast<int64_t>(lines.size() - i - 1)) return false;
  std::vector<TSparseEntry> e;
  e.reserve(static_cast<size_t>(nnz));
  for (size_t k = i + 1; k < lines.size() && static_cast<int64_t>(e.size()) < nnz; ++k) {
    auto f = SplitFields(lines[k]);
    if (f.empty() || f[0].front() == '%') continue;
    int64_t r, c, v;
    if (f.size() != 3 || !ParseInt64(f[0], r) || !ParseInt64(f[1], c) || !ParseInt64(f[2], v)) return false;
    if (r < 1 || r > nr || c < 1 || c > nc || v < INT32_MIN || v > INT32_MAX) return false;
    e.push_back({static_cast<int32_t>(c), static_cast<int32_t>(r), static_cast<int32_t>(v)});
  }
  if (static_cast<int64_t>(e.size()) != nnz) return false;
  std::stable_sort(e.begin(), e.end(),
                   [](const TSparseEntry& a, const TSparseEntry& b) { return EntryLess(a, b.Col, b.Row); });
  // a repeated position keeps its last value
  std::vector<TSparseEntry> u;
  for (const auto& x : e) {
    if (!u.empty() && u.back().Col == x.Col && u.back().Row == x.Row)
      u.back() = x;
    else
      u.push_back(x);
  }
  FSparse = true;
  FData.clear();
  FData.shrink_to_fit();
  FEntries.swap(u);
  FCapacity = std::max(FEntries.size(), static_cast<size_t>(FIncrement));
  FNCols = static_cast<int>(nc);
  FNRows = static_cast<int>(nr);
  UpdateSparseBounds();
  FDataID = id;
  Changed();
  return true;
}

template class TMatrixBase<TMatrix, double, TVector>;
template class TMatrixBase<TIntMatrix, int32_t, TIntVector>;

// ==================================================================== TMat3D
TMat3D::TMat3D(TComponent* AOwner) : TComponent(AOwner), FData(1, 0.0) {}

void TMat3D::Changed() {
  if (OnChange) OnChange(this);
}

void TMat3D::SetDataID(const std::string& v) {
  if (v == FDataID) return;
  FDataID = v;
  Changed();
}

bool TMat3D::Resize(int NCols, int NRows, int NLayers) {
  if (NCols <= 0 || NRows <= 0 || NLayers <= 0) return false;
  std::vector<double> nd;
  try {
    nd.assign(static_cast<size_t>(NCols) * static_cast<size_t>(NRows) * static_cast<size_t>(NLayers), 0.0);
  } catch (const std::exception&) {
    throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
  }
  const int mc = std::min(NCols, FNC), mr = std::min(NRows, FNR), ml = std::min(NLayers, FNL);
  for (int l = 1; l <= ml; ++l)
    for (int r = 1; r <= mr; ++r)
      for (int c = 1; c <= mc; ++c)
        nd[static_cast<size_t>(c - 1) + static_cast<size_t>(NCols) * (static_cast<size_t>(r - 1) + static_cast<size_t>(NRows) * (l - 1))] =
            FData[Addr(c, r, l)];
  FData.swap(nd);
  FNC = NCols;
  FNR = NRows;
  FNL = NLayers;
  Changed();
  return true;
}

double TMat3D::GetVal(int c, int r, int l) const {
  if (c < 1 || c > FNC || r < 1 || r > FNR || l < 1 || l > FNL) return 0.0;
  return FData[Addr(c, r, l)];
}

void TMat3D::SetVal(int c, int r, int l, double v) {
  if (c < 1 || c > FNC || r < 1 || r > FNR || l < 1 || l > FNL) return;
  FData[Addr(c, r, l)] = v;
}

void TMat3D::Fill(double v) {
  std::fill(FData.begin(), FData.end(), v);
  Changed();
}

void TMat3D::FillRandomUniform(double Low, double High) {
  for (double& x : FData) x = Low + Random() * (High - Low);
  Changed();
}

void TMat3D::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : FData) x = Mean + StdDev * GRandom();
  Changed();
}

void TMat3D::Find(int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, double x, int& c, int& r,
                  int& l) const {
  vecmat::NormRange(ColLo, ColHi, FNC);
  vecmat::NormRange(RowLo, RowHi, FNR);
  vecmat::NormRange(LayerLo, LayerHi, FNL);
  c = r = l = 0;
  double bd = 0.0;
  for (int ic = ColLo; ic <= ColHi; ++ic)
    for (int ir = RowLo; ir <= RowHi; ++ir)
      for (int il = LayerLo; il <= LayerHi; ++il) {
        const double d = std::fabs(FData[Addr(ic, ir, il)] - x);
        if (c == 0 || d < bd) {
          bd = d;
          c = ic;
          r = ir;
          l = il;
        }
      }
}

std::string TMat3D::CRCofData() const {
  // column, then row, then layer (the layer index varies fastest)
  vecstat::TCRC64Builder b;
  for (int c = 1; c <= FNC; ++c)
    for (int r = 1; r <= FNR; ++r)
      for (int l = 1; l <= FNL; ++l) b.Add(FData[Addr(c, r, l)]);
  return b.Result();
}

static void Cells3Out(const std::function<void(const std::string&)>& Line, const TMat3D& m) {
  for (int l = 1; l <= m.NrOfLayers(); ++l)
    for (int c = 1; c <= m.NrOfColumns(); ++c)
      for (int r = 1; r <= m.NrOfRows(); ++r)
        Line("  <cell c=" + std::to_string(c) + " r=" + std::to_string(r) + " l=" + std::to_string(l) + ">" +
             Num(m.GetVal(c, r, l)) + "</cell>");
}

void TMat3D::WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
  EmitXmlRecord([&](const std::string& l) { StreamLine(Stream, l); }, CreateHeader, "TMat3D", DataID,
                {{xmlMatNumCols, FNC}, {xmlMatNumRows, FNR}, {xmlMatNumLayers, FNL}},
                [&](const auto& Line) { Cells3Out(Line, *this); });
}

void TMat3D::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
  EmitXmlRecord([&](const std::string& l) { WriteLn(F, l); }, CreateHeader, "TMat3D", DataID,
                {{xmlMatNumCols, FNC}, {xmlMatNumRows, FNR}, {xmlMatNumLayers, FNL}},
                [&](const auto& Line) { Cells3Out(Line, *this); });
}

static bool Apply3D(TMat3D& m, const TXmlMat& x, const std::string& ID) {
  if (x.dims[0] < 1 || x.dims[1] < 1 || x.dims[2] < 1) return false;
  const int nc = static_cast<int>(x.dims[0]), nr = static_cast<int>(x.dims[1]), nl = static_cast<int>(x.dims[2]);
  m.Resize(nc, nr, nl);
  m.Fill(0.0);
  for (const auto& cell : x.cells)
    m.SetVal(static_cast<int>(std::clamp<int64_t>(cell.idx[0], 0, INT32_MAX)),
             static_cast<int>(std::clamp<int64_t>(cell.idx[1], 0, INT32_MAX)),
             static_cast<int>(std::clamp<int64_t>(cell.idx[2], 0, INT32_MAX)), cell.v);
  m.SetDataID(ID);
  m.Changed();
  return true;
}

bool TMat3D::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  TXmlMat x;
  return FindXmlInStream(Stream, DataID, x) && Apply3D(*this, x, DataID);
}

bool TMat3D::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  TXmlMat x;
  return FindXmlInFile(F, DataID, x) && Apply3D(*this, x, DataID);
}

bool TMat3D::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, DataID); });
}

bool TMat3D::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return ReadRecordFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, DataID); });
}

// ==================================================================== TMat4D
TMat4D::TMat4D(TComponent* AOwner) : TComponent(AOwner), FData(1, 0.0) {}

void TMat4D::Changed() {
  if (OnChange) OnChange(this);
}

void TMat4D::SetDataID(const std::string& v) {
  if (v == FDataID) return;
  FDataID = v;
  Changed();
}

bool TMat4D::Resize(int NCols, int NRows, int NLayers, int NTimeSlots) {
  if (NCols <= 0 || NRows <= 0 || NLayers <= 0 || NTimeSlots <= 0) return false;
  if (NCols != FNC || NRows != FNR || NLayers != FNL || NTimeSlots != FNT) {
    std::vector<double> nd;
    try {
      nd.assign(static_cast<size_t>(NCols) * static_cast<size_t>(NRows) * static_cast<size_t>(NLayers) *
                    static_cast<size_t>(NTimeSlots),
                0.0);
    } catch (const std::exception&) {
      throw EZOLMatrixError(ComponentMsg("not enough memory on heap"));
    }
    FData.swap(nd);
    FNC = NCols;
    FNR = NRows;
    FNL = NLayers;
    FNT = NTimeSlots;
  }
  Changed();
  return true;
}

double TMat4D::GetVal(int c, int r, int l, int t) const {
  if (c < 1 || c > FNC || r < 1 || r > FNR || l < 1 || l > FNL || t < 1 || t > FNT) return 0.0;
  return FData[static_cast<size_t>(Addr4D(c, r, l, t))];
}

void TMat4D::SetVal(int c, int r, int l, int t, double v) {
  if (c < 1 || c > FNC || r < 1 || r > FNR || l < 1 || l > FNL || t < 1 || t > FNT) return;
  FData[static_cast<size_t>(Addr4D(c, r, l, t))] = v;
}

double TMat4D::MemoryConsumed() const { return static_cast<double>(FData.size()) * 8.0 / 1048576.0; }

void TMat4D::Fill(double v) {
  std::fill(FData.begin(), FData.end(), v);
  Changed();
}

void TMat4D::FillLayer(int Layer, double v) {
  if (Layer < 1 || Layer > FNL) return;
  for (int t = 1; t <= FNT; ++t)
    std::fill_n(FData.begin() + Addr4D(1, 1, Layer, t), static_cast<size_t>(FNC) * FNR, v);
  Changed();
}

void TMat4D::FillRandomUniform(double Low, double High) {
  for (double& x : FData) x = Low + Random() * (High - Low);
  Changed();
}

void TMat4D::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : FData) x = Mean + StdDev * GRandom();
  Changed();
}

void TMat4D::NormRange(int& Lo, int& Hi, int N) const { vecmat::NormRange(Lo, Hi, N); }

void TMat4D::Find(int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, int SlotLo, int SlotHi,
                  double x, int& c, int& r, int& l, int& t) const {
  NormRange(ColLo, ColHi, FNC);
  NormRange(RowLo, RowHi, FNR);
  NormRange(LayerLo, LayerHi, FNL);
  NormRange(SlotLo, SlotHi, FNT);
  c = r = l = t = 0;
  double bd = 0.0;
  for (int ic = ColLo; ic <= ColHi; ++ic)
    for (int ir = RowLo; ir <= RowHi; ++ir)
      for (int il = LayerLo; il <= LayerHi; ++il)
        for (int it = SlotLo; it <= SlotHi; ++it) {
          const double d = std::fabs(FData[static_cast<size_t>(Addr4D(ic, ir, il, it))] - x);
          if (c == 0 || d < bd) {
            bd = d;
            c = ic;
            r = ir;
            l = il;
            t = it;
          }
        }
}

std::vector<double> TMat4D::Region(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi,
                                   int LayerHi, int SlotHi) const {
  NormRange(ColLo, ColHi, FNC);
  NormRange(RowLo, RowHi, FNR);
  NormRange(LayerLo, LayerHi, FNL);
  NormRange(SlotLo, SlotHi, FNT);
  std::vector<double> v;
  for (int t = SlotLo; t <= SlotHi; ++t)
    for (int l = LayerLo; l <= LayerHi; ++l)
      for (int r = RowLo; r <= RowHi; ++r)
        for (int c = ColLo; c <= ColHi; ++c) v.push_back(FData[static_cast<size_t>(Addr4D(c, r, l, t))]);
  return v;
}

void TMat4D::MinMax(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi, int SlotHi,
                    double& Min, double& Max) const {
  const auto v = Region(ColLo, RowLo, LayerLo, SlotLo, ColHi, RowHi, LayerHi, SlotHi);
  Min = 1.7e308;
  Max = -1.7e308;
  for (double x : v) {
    Min = std::min(Min, x);
    Max = std::max(Max, x);
  }
}

void TMat4D::MeanVar(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi, int SlotHi,
                     double& Mean, double& Variance) const {
  vecstat::MeanVar(Region(ColLo, RowLo, LayerLo, SlotLo, ColHi, RowHi, LayerHi, SlotHi), Mean, Variance);
}

double TMat4D::Sum(int ColLo, int RowLo, int LayerLo, int SlotLo, int ColHi, int RowHi, int LayerHi,
                   int SlotHi) const {
  return vecstat::Sum(Region(ColLo, RowLo, LayerLo, SlotLo, ColHi, RowHi, LayerHi, SlotHi));
}

void TMat4D::CopyLayerToMatrix(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int Layer, int Slot) const {
  if (Layer < 1 || Layer > FNL) throw EZOLMatrixError(ComponentMsg("specified layer beyond data range"));
  if (Slot < 1 || Slot > FNT) throw EZOLMatrixError(ComponentMsg("specified time slot beyond data range"));
  if (m == nullptr) return;
  NormRange(ColLo, ColHi, FNC);
  NormRange(RowLo, RowHi, FNR);
  m->Resize(ColHi - ColLo + 1, RowHi - RowLo + 1);
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r)
      m->ColumnData(c - ColLo + 1)[r - RowLo] = FData[static_cast<size_t>(Addr4D(c, r, Layer, Slot))];
  m->Changed();
}

void TMat4D::CopyMatrixToLayer(const TMatrix* m, int MColLo, int MColHi, int MRowLo, int MRowHi, int Layer,
                               int Slot, int DestCol, int DestRow) {
  if (Layer < 1 || Layer > FNL) throw EZOLMatrixError(ComponentMsg("specified layer beyond data range"));
  if (Slot < 1 || Slot > FNT) throw EZOLMatrixError(ComponentMsg("specified time slot beyond data range"));
  if (m == nullptr) return;
  m->MakeValidColRange(MColLo, MColHi);
  m->MakeValidRowRange(MRowLo, MRowHi);
  for (int c = MColLo; c <= MColHi; ++c)
    for (int r = MRowLo; r <= MRowHi; ++r) {
      const int64_t dc = static_cast<int64_t>(DestCol) + (c - MColLo), dr = static_cast<int64_t>(DestRow) + (r - MRowLo);
      if (dc >= 1 && dc <= FNC && dr >= 1 && dr <= FNR)
        FData[static_cast<size_t>(Addr4D(static_cast<int>(dc), static_cast<int>(dr), Layer, Slot))] = m->GetVal(c, r);
    }
  Changed();
}

void TMat4D::LayerStats(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi,
                        int SlotLo, int SlotHi, bool StdDev) const {
  if (m == nullptr) return;
  NormRange(ColLo, ColHi, FNC);
  NormRange(RowLo, RowHi, FNR);
  NormRange(LayerLo, LayerHi, FNL);
  NormRange(SlotLo, SlotHi, FNT);
  m->Resize(ColHi - ColLo + 1, RowHi - RowLo + 1);
  m->Fill(0.0);
  const int nl = LayerHi - LayerLo + 1, nt = SlotHi - SlotLo + 1;
  const int64_t step = static_cast<int64_t>(nl) * nt / 100 + 1;
  std::vector<double> vals(static_cast<size_t>(nl) * nt);
  int64_t count = 0;
  for (int c = ColLo; c <= ColHi; ++c)
    for (int r = RowLo; r <= RowHi; ++r) {
      size_t k = 0;
      for (int t = SlotLo; t <= SlotHi; ++t)
        for (int l = LayerLo; l <= LayerHi; ++l) vals[k++] = FData[static_cast<size_t>(Addr4D(c, r, l, t))];
      double v;
      if (StdDev) {
        // sample standard deviation (two-pass); 0 for a single value
        const double mean = vecstat::Sum(vals) / static_cast<double>(vals.size());
        double s2 = 0.0;
        for (double x : vals) s2 += (x - mean) * (x - mean);
        v = vals.size() > 1 ? std::sqrt(s2 / static_cast<double>(vals.size() - 1)) : 0.0;
      } else {
        v = vecstat::Sum(vals) / static_cast<double>(vals.size());
      }
      m->ColumnData(c - ColLo + 1)[r - RowLo] = v;
      if (++count % step == 0) {
        ++ProcStat;
        if (MathFeedBackProc) MathFeedBackProc(ProcStat);
      }
    }
  m->Changed();
}

void TMat4D::MeanOfLayersToMatrix(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi,
                                  int SlotLo, int SlotHi) const {
  LayerStats(m, ColLo, ColHi, RowLo, RowHi, LayerLo, LayerHi, SlotLo, SlotHi, false);
}

void TMat4D::StdDevOfLayersToMatrix(TMatrix* m, int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo,
                                    int LayerHi, int SlotLo, int SlotHi) const {
  LayerStats(m, ColLo, ColHi, RowLo, RowHi, LayerLo, LayerHi, SlotLo, SlotHi, true);
}

void TMat4D::Cut(int ColLo, int ColHi, int RowLo, int RowHi, int LayerLo, int LayerHi, int SlotLo, int SlotHi) {
  NormRange(ColLo, ColHi, FNC);
  NormRange(RowLo, RowHi, FNR);
  NormRange(LayerLo, LayerHi, FNL);
  NormRange(SlotLo, SlotHi, FNT);
  std::vector<double> nd = Region(ColLo, RowLo, LayerLo, SlotLo, ColHi, RowHi, LayerHi, SlotHi);
  FData.swap(nd);
  FNC = ColHi - ColLo + 1;
  FNR = RowHi - RowLo + 1;
  FNL = LayerHi - LayerLo + 1;
  FNT = SlotHi - SlotLo + 1;
  Changed();
}

void TMat4D::MirrorColumns() {
  for (int t = 1; t <= FNT; ++t)
    for (int l = 1; l <= FNL; ++l)
      for (int r = 1; r <= FNR; ++r) {
        auto b = FData.begin() + Addr4D(1, r, l, t);
        std::reverse(b, b + FNC);
      }
  Changed();
}

void TMat4D::MirrorRows() {
  for (int t = 1; t <= FNT; ++t)
    for (int l = 1; l <= FNL; ++l)
      for (int r = 1, q = FNR; r < q; ++r, --q)
        std::swap_ranges(FData.begin() + Addr4D(1, r, l, t), FData.begin() + Addr4D(1, r, l, t) + FNC,
                         FData.begin() + Addr4D(1, q, l, t));
  Changed();
}

void TMat4D::MirrorLayers() {
  const size_t plane = static_cast<size_t>(FNC) * FNR;
  for (int t = 1; t <= FNT; ++t)
    for (int l = 1, q = FNL; l < q; ++l, --q)
      std::swap_ranges(FData.begin() + Addr4D(1, 1, l, t), FData.begin() + Addr4D(1, 1, l, t) + plane,
                       FData.begin() + Addr4D(1, 1, q, t));
  Changed();
}

void TMat4D::MirrorTimeSlots() {
  const size_t vol = static_cast<size_t>(FNC) * FNR * FNL;
  for (int t = 1, q = FNT; t < q; ++t, --q)
    std::swap_ranges(FData.begin() + Addr4D(1, 1, 1, t), FData.begin() + Addr4D(1, 1, 1, t) + vol,
                     FData.begin() + Addr4D(1, 1, 1, q));
  Changed();
}

std::string TMat4D::CRCofData() const {
  vecstat::TCRC64Builder b;
  for (double v : FData) b.Add(v);
  return b.Result();
}

// ---------------------------------------------------------------- TMat4D binary file
namespace {
constexpr int64_t Rec4D = 4096;
constexpr int64_t ValsPerRec = 512;

struct T4DHeader {
  int32_t nc = 0, nr = 0, nl = 0, nt = 0;
  std::string id;
};

bool Read4DHeader(TStream& s, T4DHeader& h) {
  uint8_t b[Rec4D];
  if (s.Size() < Rec4D) return false;
  s.SetPosition(0);
  if (s.Read(b, 272) != 272) return false;
  h.nc = GetI32(b);
  h.nr = GetI32(b + 4);
  h.nl = GetI32(b + 8);
  h.nt = GetI32(b + 12);
  h.id = GetShortString(b + 16);
  return true;
}

void Write4DHeader(TStream& s, int nc, int nr, int nl, int nt, const std::string& id) {
  uint8_t b[Rec4D];
  std::memset(b, 0, sizeof(b));
  PutI32(b, nc);
  PutI32(b + 4, nr);
  PutI32(b + 8, nl);
  PutI32(b + 12, nt);
  PutShortString(b + 16, id);
  s.SetPosition(0);
  s.WriteBuffer(b, Rec4D);
}

// Writes Count doubles from Vals at the file's current position, in pieces,
// reporting progress through Report(done, total).
void WriteDoubles(TStream& s, const double* Vals, int64_t Count, const std::function<void(int64_t)>& Report) {
  std::vector<uint8_t> buf(static_cast<size_t>(ValsPerRec) * 8);
  for (int64_t done = 0; done < Count;) {
    const int64_t n = std::min(ValsPerRec, Count - done);
    for (int64_t k = 0; k < n; ++k) PutF64(&buf[static_cast<size_t>(k) * 8], Vals[done + k]);
    s.WriteBuffer(buf.data(), n * 8);
    done += n;
    Report(done);
  }
}

// Progress in hundredths: fires whenever another percent has been completed.
struct TPercent {
  const TOnPercentDoneEvent& ev;
  TObject* sender;
  int64_t total;
  int64_t last = -1;
  void operator()(int64_t done) {
    if (!ev || total <= 0) return;
    const int64_t p = done * 100 / total;
    if (p != last) {
      last = p;
      ev(sender, static_cast<int>(std::llround(100.0 * static_cast<double>(done) / static_cast<double>(total))));
    }
  }
};
}  // namespace

void TMat4D::SaveBinary(const std::string& FileName, int SlotFirst, int SlotLast) {
  if (SlotFirst > FNT) throw EZOLMatrixError(ComponentMsg("specified time slot beyond data range"));
  if (SlotFirst <= 0 || SlotLast <= 0) {
    SlotFirst = 1;
    SlotLast = FNT;
  }
  SlotLast = std::min(SlotLast, FNT);
  const int ns = std::max(SlotLast - SlotFirst + 1, 0);
  const int64_t vol = static_cast<int64_t>(FNC) * FNR * FNL;
  TFileStream fs(FileName, fmCreate);
  Write4DHeader(fs, FNC, FNR, FNL, ns, FDataID);
  const int64_t count = vol * ns;
  TPercent pr{OnPercentDone, this, count};
  if (count > 0)
    WriteDoubles(fs, FData.data() + Addr4D(1, 1, 1, SlotFirst), count, [&](int64_t d) { pr(d); });
  // complete the last record
  const int64_t rest = (ValsPerRec - count % ValsPerRec) % ValsPerRec;
  if (rest > 0) {
    std::vector<uint8_t> z(static_cast<size_t>(rest) * 8, 0);
    fs.WriteBuffer(z.data(), static_cast<int64_t>(z.size()));
  }
}

bool TMat4D::ReadBinaryHeader(const std::string& FileName, int& NCols, int& NRows, int& NLayers, int& NTimeSlots,
                              std::string& DataID) const {
  NCols = NRows = NLayers = NTimeSlots = 0;
  DataID.clear();
  try {
    TFileStream fs(FileName, fmOpenRead);
    T4DHeader h;
    if (!Read4DHeader(fs, h)) return false;
    NCols = h.nc;
    NRows = h.nr;
    NLayers = h.nl;
    NTimeSlots = h.nt;
    DataID = h.id;
    return h.nl > 0 && h.nt > 0;
  } catch (const std::exception&) {
    return false;
  }
}

bool TMat4D::LoadBinary(const std::string& FileName, int SlotFirst, int SlotLast) {
  std::unique_ptr<TFileStream> fs;
  try {
    fs = std::make_unique<TFileStream>(FileName, fmOpenRead);
  } catch (const std::exception&) {
    return false;
  }
  T4DHeader h;
  try {
    if (!Read4DHeader(*fs, h)) return false;
  } catch (const std::exception&) {
    return false;
  }
  if (h.nc <= 0 || h.nr <= 0 || h.nl <= 0 || h.nt < 0) return false;
  if (SlotFirst > h.nt) throw EZOLMatrixError(ComponentMsg("specified time slot beyond data range"));
  if (SlotFirst <= 0 || SlotLast <= 0) {
    SlotFirst = 1;
    SlotLast = h.nt;
  }
  SlotLast = std::min(SlotLast, h.nt);
  if (SlotLast < SlotFirst) return false;
  const int ns = SlotLast - SlotFirst + 1;
  // sizes in 64 bits, checked against the file before anything is allocated
  // 64-bit sizes without overflow: nc·nr ≤ 2^62, then bounded before the next factor
  const int64_t plane = static_cast<int64_t>(h.nc) * h.nr;
  if (plane > (int64_t{1} << 40) / h.nl) return false;
  const int64_t vol = plane * h.nl;
  if (static_cast<int64_t>(h.nt) > (int64_t{1} << 40) / vol) return false;
  const int64_t offset = (static_cast<int64_t>(SlotFirst) - 1) * vol;
  const int64_t count = vol * ns;
  try {
    const int64_t len = fs->Size();
    if (Rec4D + (offset + count) * 8 > len) return false;
    std::vector<double> nd(static_cast<size_t>(count));
    fs->SetPosition(Rec4D + offset * 8);
    std::vector<uint8_t> buf(static_cast<size_t>(ValsPerRec) * 8);
    TPercent pr{OnPercentDone, this, count};
    for (int64_t done = 0; done < count;) {
      const int64_t n = std::min(ValsPerRec, count - done);
      if (fs->Read(buf.data(), n * 8) != n * 8) return false;
      for (int64_t k = 0; k < n; ++k) nd[static_cast<size_t>(done + k)] = GetF64(&buf[static_cast<size_t>(k) * 8]);
      done += n;
      pr(done);
    }
    FData.swap(nd);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::exception&) {
    return false;
  }
  FNC = h.nc;
  FNR = h.nr;
  FNL = h.nl;
  FNT = ns;
  FDataID = h.id;
  Changed();
  return true;
}

void TMat4D::AppendToBinaryFile(const std::string& FileName, int SlotFirst, int SlotLast) {
  if (!FileExists(FileName)) {
    SaveBinary(FileName, SlotFirst, SlotLast);
    return;
  }
  if (SlotFirst > FNT) throw EZOLMatrixError(ComponentMsg("specified time slot beyond data range"));
  if (SlotFirst <= 0 || SlotLast <= 0) {
    SlotFirst = 1;
    SlotLast = FNT;
  }
  SlotLast = std::min(SlotLast, FNT);
  const int ns = std::max(SlotLast - SlotFirst + 1, 0);
  TFileStream fs(FileName, fmOpenReadWrite);
  T4DHeader h;
  if (!Read4DHeader(fs, h) || h.nt < 0) throw EZOLMatrixError(ComponentMsg("X,Y,Z of matrices do not match"));
  if (h.nc != FNC || h.nr != FNR || h.nl != FNL) throw EZOLMatrixError(ComponentMsg("X,Y,Z of matrices do not match"));
  const int64_t vol = static_cast<int64_t>(FNC) * FNR * FNL;
  // the stored values must be present in the file
  if (static_cast<int64_t>(h.nt) > (fs.Size() - Rec4D) / 8 / vol)
    throw EZOLMatrixError(ComponentMsg("X,Y,Z of matrices do not match"));
  const int64_t stored = vol * h.nt;
  const int64_t count = vol * ns;
  if (static_cast<int64_t>(h.nt) + ns > INT32_MAX) throw EZOLMatrixError(ComponentMsg("X,Y,Z of matrices do not match"));
  // values first (directly behind the last stored value, completing a partly
  // filled record), the header last: an interruption leaves the old count valid
  fs.SetPosition(Rec4D + stored * 8);
  TPercent pr{OnPercentDone, this, count};
  if (count > 0) WriteDoubles(fs, FData.data() + Addr4D(1, 1, 1, SlotFirst), count, [&](int64_t d) { pr(d); });
  const int64_t total = stored + count;
  const int64_t rest = (ValsPerRec - total % ValsPerRec) % ValsPerRec;
  if (rest > 0) {
    std::vector<uint8_t> z(static_cast<size_t>(rest) * 8, 0);
    fs.WriteBuffer(z.data(), static_cast<int64_t>(z.size()));
  }
  Write4DHeader(fs, h.nc, h.nr, h.nl, h.nt + ns, h.id);
}

// ---------------------------------------------------------------- TMat4D tagged text
static void Cells4Out(const std::function<void(const std::string&)>& Line, const TMat4D& m) {
  for (int t = 1; t <= m.NrOfTimeSlots(); ++t)
    for (int l = 1; l <= m.NrOfLayers(); ++l)
      for (int r = 1; r <= m.NrOfRows(); ++r)
        for (int c = 1; c <= m.NrOfColumns(); ++c)
          Line("  <cell c=" + std::to_string(c) + " r=" + std::to_string(r) + " l=" + std::to_string(l) +
               " t=" + std::to_string(t) + ">" + Num(m.GetVal(c, r, l, t)) + "</cell>");
}

void TMat4D::WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const {
  EmitXmlRecord([&](const std::string& l) { StreamLine(Stream, l); }, CreateHeader, "TMat4D", DataID,
                {{xmlMatNumCols, FNC}, {xmlMatNumRows, FNR}, {xmlMatNumLayers, FNL}, {xmlMatNumTimeSlots, FNT}},
                [&](const auto& Line) { Cells4Out(Line, *this); });
}

void TMat4D::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const {
  EmitXmlRecord([&](const std::string& l) { WriteLn(F, l); }, CreateHeader, "TMat4D", DataID,
                {{xmlMatNumCols, FNC}, {xmlMatNumRows, FNR}, {xmlMatNumLayers, FNL}, {xmlMatNumTimeSlots, FNT}},
                [&](const auto& Line) { Cells4Out(Line, *this); });
}

static bool Apply4D(TMat4D& m, const TXmlMat& x, const std::string& ID) {
  for (int q = 0; q < 4; ++q)
    if (x.dims[q] < 1) return false;
  m.Resize(static_cast<int>(x.dims[0]), static_cast<int>(x.dims[1]), static_cast<int>(x.dims[2]),
           static_cast<int>(x.dims[3]));
  m.Fill(0.0);
  auto ci = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, INT32_MAX)); };
  for (const auto& cell : x.cells)
    m.SetVal(ci(cell.idx[0]), ci(cell.idx[1]), ci(cell.idx[2]), ci(cell.idx[3]), cell.v);
  m.SetDataID(ID);
  m.Changed();
  return true;
}

bool TMat4D::ReadFromXMLStream(TStream& Stream, const std::string& DataID) {
  TXmlMat x;
  return FindXmlInStream(Stream, DataID, x) && Apply4D(*this, x, DataID);
}

bool TMat4D::ReadFromOpenXMLFile(TextFile& F, const std::string& DataID) {
  TXmlMat x;
  return FindXmlInFile(F, DataID, x) && Apply4D(*this, x, DataID);
}

bool TMat4D::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const {
  return WriteRecordFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, DataID); });
}

bool TMat4D::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  return ReadRecordFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, DataID); });
}

}  // namespace zol
