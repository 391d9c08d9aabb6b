#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/Zol_streams.h"
#include "base/platform/Zol_sysutils.h"
#include "math/Zol_vector.h"

using namespace zol;

namespace {
#include "data/matrix_ref.inc"

std::string TempName(const std::string& stem) {
  return (std::filesystem::temp_directory_path() /
          ("zolvec_" + std::to_string(::getpid()) + "_" + stem))
      .string();
}

std::unique_ptr<TVector> VecOf(const std::vector<double>& v) {
  auto r = std::make_unique<TVector>(nullptr);
  r->Resize(static_cast<int>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) r->SetVal(static_cast<int>(i + 1), v[i]);
  return r;
}

std::unique_ptr<TVector> RefVec(const double* d, int n) { return VecOf(std::vector<double>(d, d + n)); }
}  // namespace

// ---------------------------------------------------------------- statistics
TEST(VectorStatistics, MatchNumpyAndScipy) {
  auto v = RefVec(kStatData, 37);
  double m, var;
  v->MeanVar(0, 0, m, var);
  EXPECT_NEAR(m, kStatMean, 1e-12);
  EXPECT_NEAR(var, kStatVar, 1e-11);
  double q1, q2, q3;
  ASSERT_TRUE(v->Quartiles(1, 37, q1, q2, q3));
  EXPECT_NEAR(q1, kStatQuart[0], 1e-12);
  EXPECT_NEAR(q2, kStatQuart[1], 1e-12);
  EXPECT_NEAR(q3, kStatQuart[2], 1e-12);
  for (int i = 0; i < 10; ++i) EXPECT_NEAR(v->Percentile(kStatPctP[i], 1, 37), kStatPct[i], 1e-12) << kStatPctP[i];
  double s, k;
  v->SkewKurt(0, 0, s, k);
  EXPECT_NEAR(s, kStatSkewPop, 1e-12);
  EXPECT_NEAR(k, kStatKurtPop, 1e-12);
  v->SkewKurtSample(0, 0, s, k);
  EXPECT_NEAR(s, kStatSkewSample, 1e-12);
  EXPECT_NEAR(k, kStatKurtSample, 1e-12);
  EXPECT_NEAR(v->GeometricMean(0, 0), kStatGMean, 1e-12);
  EXPECT_NEAR(v->HarmonicMean(0, 0), kStatHMean, 1e-12);
}

TEST(VectorStatistics, VarianceIsStableForConstantAndOffsetData) {
  // 49 copies of 0.3: the variance is exactly 0, never negative
  auto c = std::make_unique<TVector>(nullptr);
  c->Resize(49);
  c->Fill(0.3);
  double m, var;
  c->MeanVar(0, 0, m, var);
  EXPECT_GE(var, 0.0);
  EXPECT_LT(var, 1e-30);
  // a large offset must not eat the digits of the variance
  auto o = RefVec(kOffsetData, 25);
  o->MeanVar(0, 0, m, var);
  EXPECT_NEAR(var, kOffsetVar, 1e-9 * kOffsetVar);
  double sd;
  o->Standardize(m, sd);
  EXPECT_NEAR(sd, std::sqrt(kOffsetVar), 1e-9);
}

TEST(VectorStatistics, SmallSamplesAndEdgeRules) {
  auto v = VecOf({4.0, 8.0});
  double m, var;
  v->MeanVar(0, 0, m, var);
  EXPECT_EQ(m, 6.0);
  EXPECT_EQ(var, 1.0);  // fewer than 3 values
  double q1, q2, q3;
  v->Quartiles(1, 2, q1, q2, q3);
  EXPECT_EQ(q1, 4.0);
  EXPECT_EQ(q2, 6.0);
  EXPECT_EQ(q3, 8.0);
  auto w = VecOf({4, 1, 3, 2});
  w->Quartiles(1, 4, q1, q2, q3);
  EXPECT_DOUBLE_EQ(q1, 1.25);
  EXPECT_DOUBLE_EQ(q2, 2.5);
  EXPECT_DOUBLE_EQ(q3, 3.75);
  EXPECT_EQ(w->Percentile(100, 1, 4), 4.0);
  EXPECT_EQ(w->Percentile(0, 1, 4), 1.0);
  EXPECT_EQ(w->Percentile(250, 1, 4), 4.0);  // clamped to 100
  double s, k;
  w->SkewKurt(0, 0, s, k);  // n < 4 would be 0; n = 4 symmetric data gives skew 0
  EXPECT_NEAR(s, 0.0, 1e-15);
  auto z = VecOf({3, 0, 5});
  EXPECT_EQ(z->GeometricMean(0, 0), 0.0);
  EXPECT_THROW(z->HarmonicMean(0, 0), EZOLVectorError);
  auto n = VecOf({3, -1, 5});
  EXPECT_THROW(n->GeometricMean(0, 0), EZOLVectorError);
  auto md = VecOf({5, 2, 5, 2, 9});
  EXPECT_EQ(md->Mode(0, 0), 2.0);  // tie: the smaller value
  auto diff = VecOf({3, 1, 2});
  EXPECT_EQ(diff->Mode(0, 0), 1.0);
  // NaN values sort last and never break the selection
  std::vector<double> nanData(200, std::nan(""));
  for (int i = 0; i < 100; ++i) nanData[i * 2] = i;
  auto nv = VecOf(nanData);
  nv->Quartiles(1, 200, q1, q2, q3);
  EXPECT_EQ(q1, 49.0 + 0.25);  // position 50.25 of 0..99 followed by NaNs
  EXPECT_TRUE(std::isnan(nv->Percentile(99, 1, 200)));
  nv->Mode(0, 0);
}

TEST(VectorStatistics, RangesAreNormalised) {
  auto v = VecOf({1, 2, 3, 4, 5});
  EXPECT_EQ(v->Sum(4, 2), 9.0);
  EXPECT_EQ(v->Sum(0, 0), 1.0);  // Sum treats 0 as 1, not as "all"
  double mn, mx;
  v->MinMax(0, 0, mn, mx);
  EXPECT_EQ(mn, 1.0);
  EXPECT_EQ(mx, 5.0);
  v->MinMax(-3, 99, mn, mx);
  EXPECT_EQ(mn, 1.0);
  EXPECT_EQ(mx, 5.0);
  int lo = 9, hi = -2;
  v->MakeValidElemRange(lo, hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 5);
}

// ---------------------------------------------------------------- histogram
TEST(VectorHistogram, BinsUnderflowOverflow) {
  auto v = VecOf({0.0, 0.5, 9.99, 10.0, 10.5, 11.0, -0.1, 3.0});
  TIntVector h(nullptr);
  int uf, of, mc;
  ASSERT_TRUE(v->Histogram(1, 8, 0, 10, 1, &h, uf, of, mc));
  EXPECT_EQ(h.NrOfElem(), 10);
  EXPECT_EQ(h.GetVal(1), 2);   // 0 and 0.5
  EXPECT_EQ(h.GetVal(4), 1);   // 3
  EXPECT_EQ(h.GetVal(10), 1);  // 9.99
  EXPECT_EQ(uf, 1);
  EXPECT_EQ(of, 3);  // 10, 10.5 and 11 lie beyond the last bin
  EXPECT_EQ(mc, 2);
  int total = uf + of;
  for (int i = 1; i <= 10; ++i) total += h.GetVal(i);
  EXPECT_EQ(total, 8);  // every value is counted exactly once
}

TEST(VectorHistogram, RefusesBadParametersWithoutTouchingHist) {
  auto v = VecOf({1, 2, 3});
  TIntVector h(nullptr);
  h.Resize(3);
  h.Fill(7);
  int uf = -1, of = -1, mc = -1;
  EXPECT_FALSE(v->Histogram(1, 3, 0, 501, 1, &h, uf, of, mc));
  EXPECT_FALSE(v->Histogram(1, 3, 0, 10, 0, &h, uf, of, mc));
  EXPECT_FALSE(v->Histogram(1, 3, 0, 10, -1, &h, uf, of, mc));
  EXPECT_FALSE(v->Histogram(1, 3, 0, 10, std::nan(""), &h, uf, of, mc));
  EXPECT_EQ(h.NrOfElem(), 3);
  EXPECT_EQ(h.GetVal(2), 7);
  // positions outside the vector are skipped, not read
  ASSERT_TRUE(v->Histogram(-5, 100, 0, 10, 1, &h, uf, of, mc));
  EXPECT_EQ(h.GetVal(2) + h.GetVal(3) + h.GetVal(4), 3);
}

// ---------------------------------------------------------------- sort, search, shuffle
TEST(VectorSort, CombSortReportsEverySwap) {
  auto v = VecOf({5, 3, 9, 1, 7, 3, 8});
  std::vector<double> shadow = {5, 3, 9, 1, 7, 3, 8};
  int changes = 0;
  v->OnChange = [&](TObject*) { ++changes; };
  v->OnSortExchange = [&](TObject*, uint8_t what, int i1, int i2, int first, int last) {
    EXPECT_EQ(what, 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    std::swap(shadow[i1 - 1], shadow[i2 - 1]);
  };
  v->SortElems(true, 0, 0);  // 0 clamps to 1: nothing to sort in 1..1
  EXPECT_EQ(v->GetVal(1), 5.0);
  v->SortElems(true, 1, 7);
  for (int i = 1; i < 7; ++i) EXPECT_LE(v->GetVal(i), v->GetVal(i + 1));
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(shadow[i - 1], v->GetVal(i));
  EXPECT_GE(changes, 1);
  v->SortElems(false, 2, 5);
  EXPECT_EQ(v->GetVal(1), 1.0);
  EXPECT_GE(v->GetVal(2), v->GetVal(3));
}

TEST(VectorSearch, FindAndBisection) {
  auto v = VecOf({1, 2, 4, 8});
  EXPECT_EQ(v->FindInSortedVector(true, 5), 3);
  EXPECT_EQ(v->FindInSortedVector(true, 7), 4);
  EXPECT_EQ(v->FindInSortedVector(true, 3), 3);  // tie goes to hi
  EXPECT_EQ(v->FindInSortedVector(true, -100), 1);
  auto d = VecOf({8, 4, 2, 1});
  EXPECT_EQ(d->FindInSortedVector(false, 5), 2);
  auto f = VecOf({3, 7, 5, 7});
  EXPECT_EQ(f->Find(0, 0, 6.9), 2);
  EXPECT_EQ(f->Find(3, 4, 7), 4);
}

TEST(VectorShuffle, UniformPermutationWithoutReseeding) {
  // RandSeed must continue, not restart from the clock
  RandSeed = 12345;
  auto v = VecOf({1, 2, 3});
  v->ShuffleElems();
  const uint32_t after = RandSeed;
  RandSeed = 12345;
  for (int i = 0; i < 2; ++i) Random(3);
  EXPECT_EQ(RandSeed, after);
  // every one of the 6 permutations appears about equally often
  std::map<std::string, int> seen;
  for (int t = 0; t < 6000; ++t) {
    v->ShuffleElems();
    std::string key;
    for (int i = 1; i <= 3; ++i) key += std::to_string(static_cast<int>(v->GetVal(i)));
    ++seen[key];
  }
  EXPECT_EQ(seen.size(), 6u);
  for (const auto& [k, n] : seen) EXPECT_NEAR(n, 1000, 150) << k;
  double s = 0;
  for (int i = 1; i <= 3; ++i) s += v->GetVal(i);
  EXPECT_EQ(s, 6.0);
}

// ---------------------------------------------------------------- element access and arithmetic
TEST(VectorAccess, BoundsResizeAndEvents) {
  TVector v(nullptr);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  int changes = 0;
  v.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &v);
    ++changes;
  };
  EXPECT_TRUE(v.Resize(3));
  v.SetVal(0, 5);
  v.SetVal(4, 5);
  EXPECT_EQ(v.GetVal(0), 0.0);
  EXPECT_EQ(v.GetVal(4), 0.0);
  v.SetVal(3, 2.5);
  EXPECT_FALSE(v.Resize(0));
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(v.GetVal(3), 2.5);
  EXPECT_EQ(changes, 2);  // resize and one valid SetVal
  v.SetNrOfElem(-4);
  EXPECT_EQ(v.NrOfElem(), 3);
  v.Mirror();
  EXPECT_EQ(v.GetVal(1), 2.5);
}

TEST(VectorArithmetic, ElementwiseDotCorrelateLength) {
  auto a = VecOf({1, 2, 3});
  auto b = VecOf({4, -5, 6});
  EXPECT_EQ(a->DotProduct(*b), 12.0);
  EXPECT_EQ(a->Correlate(*b, 1), 1 * -5 + 2 * 6);  // position 4 of b contributes 0
  EXPECT_EQ(a->Correlate(*b, -1), 2 * 4 + 3 * -5);
  a->Add(*b);
  EXPECT_EQ(a->GetVal(2), -3.0);
  a->Subtract(*b);
  EXPECT_EQ(a->GetVal(2), 2.0);
  auto c = VecOf({1, 2});
  EXPECT_THROW(a->Add(*c), EZOLVectorError);
  try {
    a->SetName("V1");
    a->DotProduct(*c);
  } catch (const EZOLVectorError& e) {
    EXPECT_STREQ(e.what(), "Component \"V1\": vectors have different dimensions");
  }
  auto l = VecOf({3, 4});
  EXPECT_EQ(l->CalcVecLeng(), 5.0);
  l->SetVecLeng(10);
  EXPECT_DOUBLE_EQ(l->GetVal(1), 6.0);
  auto z = VecOf({0, 0});
  EXPECT_THROW(z->SetVecLeng(1), EZOLVectorError);
  auto mc = VecOf({1, 2, 6});
  EXPECT_EQ(mc->MeanCenter(), 3.0);
  EXPECT_EQ(mc->GetVal(3), 3.0);
  auto cp = VecOf({0, 0, 0, 0});
  cp->CopyFrom(b.get(), 3, 2, 3);  // elements 2..3 to positions 3, 4
  EXPECT_EQ(cp->GetVal(3), -5.0);
  EXPECT_EQ(cp->GetVal(4), 6.0);
}

TEST(VectorChecksum, MatchesZlibCrc32PerBytePosition) {
  auto v = RefVec(kCrcData, 11);
  EXPECT_EQ(v->CRCofData(), kCrcExpected);
  TIntVector iv(nullptr);
  iv.Resize(6);
  for (int i = 0; i < 6; ++i) iv.SetVal(i + 1, kCrcInts[i]);
  EXPECT_EQ(iv.CRCofData(), kCrcIntExpected);
}

// ---------------------------------------------------------------- storage
TEST(VectorStorage, StreamRoundTripAndDamage) {
  auto v = RefVec(kStatData, 37);
  std::unique_ptr<TMemoryStream> ms;
  v->SaveToStream(ms, 3, 20);
  ASSERT_TRUE(ms);
  EXPECT_EQ(ms->Size(), 20 + 18 * 10);
  ms->SetPosition(0);
  TVector w(nullptr);
  ASSERT_TRUE(w.LoadFromStream(ms.get(), true));
  EXPECT_EQ(w.NrOfElem(), 20);
  EXPECT_EQ(w.GetVal(1), 0.0);
  for (int i = 3; i <= 20; ++i) EXPECT_EQ(w.GetVal(i), v->GetVal(i));
  // too small without AdjustSize
  TVector small(nullptr);
  ms->SetPosition(0);
  EXPECT_FALSE(small.LoadFromStream(ms.get(), false));
  EXPECT_FALSE(small.LoadFromStream(nullptr, true));
  // every truncation fails and leaves the vector as it was
  const std::string before = w.CRCofData();
  for (int64_t len = 0; len < ms->Size(); len += 7) {
    TMemoryStream t;
    t.Write(ms->Memory(), len);
    t.SetPosition(0);
    EXPECT_FALSE(w.LoadFromStream(&t, true)) << len;
  }
  EXPECT_EQ(w.CRCofData(), before);
  EXPECT_EQ(w.NrOfElem(), 20);
  // a header asking for two billion elements is refused before allocating
  TMemoryStream huge;
  WriteExtendedToStream(huge, 2000000000.0L);
  WriteExtendedToStream(huge, 2000000000.0L);
  WriteExtendedToStream(huge, 1.0L);
  huge.SetPosition(0);
  EXPECT_FALSE(w.LoadFromStream(&huge, true));
  EXPECT_EQ(w.NrOfElem(), 20);
}

TEST(VectorStorage, FuzzedStreamsNeverCrash) {
  std::mt19937 gen(4711);
  auto v = RefVec(kStatData, 10);
  TMemoryStream good;
  v->SaveToStream(good, 1, 10);
  for (int t = 0; t < 400; ++t) {
    TMemoryStream f;
    f.Write(good.Memory(), good.Size());
    uint8_t* p = f.Memory();
    for (int k = 0; k < 4; ++k) p[gen() % f.Size()] = static_cast<uint8_t>(gen());
    f.SetPosition(0);
    TVector w(nullptr);
    TIntVector iw(nullptr);
    w.LoadFromStream(&f, (t & 1) != 0);
    f.SetPosition(0);
    iw.LoadFromStream(&f, (t & 1) != 0);
    EXPECT_LE(w.NrOfElem(), 16 * 1024 * 1024 + 100);
  }
}

TEST(VectorStorage, TextFileRoundTripAndPrecision) {
  const std::string fn = TempName("v.txt");
  auto v = VecOf({1.5, -2.25, 3e-7, 12345.678});
  ASSERT_TRUE(v->StoreOnFile(0, 0, 3, fn));
  {
    std::ifstream in(fn);
    std::string l1, l2;
    std::getline(in, l1);
    std::getline(in, l2);
    EXPECT_EQ(l1, "1 4");
    EXPECT_EQ(l2, "1.500");
  }
  TVector w(nullptr);
  ASSERT_TRUE(w.LoadFromFile(fn, true));
  EXPECT_EQ(w.NrOfElem(), 4);
  EXPECT_EQ(w.GetVal(2), -2.25);
  EXPECT_EQ(w.GetVal(3), 0.0);  // three decimals
  ASSERT_TRUE(v->StoreOnFile(0, 0, -2, fn));
  ASSERT_TRUE(w.LoadFromFile(fn, true));
  EXPECT_NEAR(w.GetVal(3), 3e-7, 1e-20);
  EXPECT_NEAR(w.GetVal(4), 12345.678, 1e-9);
  // a value that cannot be read keeps its old value
  {
    std::ofstream o(fn);
    o << "2 3\nabc\n7.5\n";
  }
  w.Fill(1.0);
  ASSERT_TRUE(w.LoadFromFile(fn, false));
  EXPECT_EQ(w.GetVal(2), 1.0);
  EXPECT_EQ(w.GetVal(3), 7.5);
  // truncated or hostile headers: false, vector unchanged
  for (const char* bad : {"", "1\n", "3 2\n1\n", "1 5\n1\n2\n", "1 2000000000\n1\n", "x y\n", "0 1\n5\n"}) {
    {
      std::ofstream o(fn);
      o << bad;
    }
    EXPECT_FALSE(w.LoadFromFile(fn, true)) << bad;
    EXPECT_EQ(w.NrOfElem(), 4);
  }
  EXPECT_FALSE(w.LoadFromFile(fn + ".missing", true));
  TIntVector iv(nullptr), iw(nullptr);
  iv.Resize(3);
  iv.SetVal(1, -7);
  iv.SetVal(3, 2147483647);
  ASSERT_TRUE(iv.StoreOnFile(0, 0, fn));
  ASSERT_TRUE(iw.LoadFromFile(fn, true));
  EXPECT_EQ(iw.CRCofData(), iv.CRCofData());
  std::remove(fn.c_str());
}

TEST(IntVector, StatisticsSortAndArithmetic) {
  TIntVector v(nullptr);
  v.Resize(6);
  const int32_t d[6] = {9, -3, 4, 4, 0, 11};
  for (int i = 0; i < 6; ++i) v.SetVal(i + 1, d[i]);
  int32_t mn, mx;
  v.MinMax(0, 0, mn, mx);
  EXPECT_EQ(mn, -3);
  EXPECT_EQ(mx, 11);
  EXPECT_EQ(v.Mode(0, 0), 4);
  EXPECT_EQ(v.Sum(1, 6), 25.0);
  double q1, q2, q3;
  v.Quartiles(1, 6, q1, q2, q3);
  EXPECT_DOUBLE_EQ(q2, 4.0);
  v.SortElems(false, 1, 6);
  EXPECT_EQ(v.GetVal(1), 11);
  EXPECT_EQ(v.GetVal(6), -3);
  EXPECT_EQ(v.FindInSortedVector(false, 5), 3);
  TIntVector w(nullptr);
  w.Clone(&v);
  EXPECT_EQ(v.DotProduct(w), 81 + 121 + 16 + 16 + 0 + 9);
  w.SMult(2);
  EXPECT_EQ(w.GetVal(1), 22);
  EXPECT_EQ(v.Find(0, 0, 5), 3);  // the first of the two 4s
}
