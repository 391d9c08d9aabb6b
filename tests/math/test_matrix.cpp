#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/Zol_streams.h"
#include "math/Zol_matrix.h"

using namespace zol;

namespace {
#include "data/matrix_ref.inc"

std::string TempName(const std::string& stem) {
  return (std::filesystem::temp_directory_path() / ("zolmat_" + std::to_string(::getpid()) + "_" + stem)).string();
}

// Matrix from numpy row-major data: rows × cols.
std::unique_ptr<TMatrix> MatOf(const double* d, int rows, int cols) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) m->SetVal(c, r, d[(r - 1) * cols + (c - 1)]);
  return m;
}

void ExpectMatNear(const TMatrix& m, const double* d, int rows, int cols, double tol) {
  ASSERT_EQ(m.NrOfRows(), rows);
  ASSERT_EQ(m.NrOfColumns(), cols);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c)
      EXPECT_NEAR(m.GetVal(c, r), d[(r - 1) * cols + (c - 1)], tol) << "col " << c << " row " << r;
}

std::vector<uint8_t> FileBytes(const std::string& fn) {
  std::ifstream in(fn, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& fn, const std::vector<uint8_t>& b, size_t len) {
  std::ofstream o(fn, std::ios::binary | std::ios::trunc);
  o.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(std::min(len, b.size())));
}
}  // namespace

// ---------------------------------------------------------------- linear algebra
TEST(MatrixAlgebra, DeterminantInverseNormsMatchNumpy) {
  auto a = MatOf(kA5, 5, 5);
  EXPECT_NEAR(a->Determinant(), kA5Det, 1e-12 * std::fabs(kA5Det) + 1e-13);
  EXPECT_NEAR(a->Norm(ntColwise), kA5Norm1, 1e-12);
  EXPECT_NEAR(a->Norm(ntRowwise), kA5NormInf, 1e-12);
  EXPECT_NEAR(a->Norm(ntSpectral), kA5Norm2, 1e-12);
  EXPECT_NEAR(a->Norm(ntFrobenius), kA5NormFro, 1e-12);
  ASSERT_TRUE(a->Invert());
  ExpectMatNear(*a, kA5Inv, 5, 5, 1e-10);
  // badly scaled rows are not singular
  auto s = MatOf(kS4, 4, 4);
  EXPECT_NEAR(s->Determinant(), kS4Det, 1e-9 * std::fabs(kS4Det));
  ASSERT_TRUE(s->Invert());
  for (int r = 1; r <= 4; ++r)
    for (int c = 1; c <= 4; ++c)
      EXPECT_NEAR(s->GetVal(c, r), kS4Inv[(r - 1) * 4 + c - 1], 1e-9 * std::fabs(kS4Inv[(r - 1) * 4 + c - 1]) + 1e-12);
  auto t = MatOf(kT74, 7, 4);
  EXPECT_NEAR(t->Norm(ntColwise), kT74Norm1, 1e-12);
  EXPECT_NEAR(t->Norm(ntRowwise), kT74NormInf, 1e-12);
  EXPECT_NEAR(t->Norm(ntSpectral), kT74Norm2, 1e-12);
}

TEST(MatrixAlgebra, SingularMatricesAreReported) {
  const double sing[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  auto m = MatOf(sing, 3, 3);
  EXPECT_FALSE(m->Invert());
  EXPECT_EQ(m->GetVal(1, 1), 1.0);  // left unchanged
  EXPECT_EQ(m->Determinant(), 0.0);
  TMatrix l(nullptr), u(nullptr);
  EXPECT_FALSE(m->LUdecomposition(&l, &u));
  const double zr[4] = {1, 2, 0, 0};
  EXPECT_FALSE(MatOf(zr, 2, 2)->Invert());
  const double scaled[4] = {1e-120, 0, 0, 1e-120};  // tiny but regular... below the absolute floor
  EXPECT_FALSE(MatOf(scaled, 2, 2)->Invert());
  TMatrix ns(nullptr);
  ns.Resize(3, 2);
  EXPECT_FALSE(ns.Invert());
  EXPECT_EQ(ns.Determinant(), 0.0);
  EXPECT_FALSE(ns.LUdecomposition(&l, &u));
}

TEST(MatrixAlgebra, LUFactorsReproducePermutedMatrix) {
  const double sw[4] = {0, 1, 1, 0};
  EXPECT_EQ(MatOf(sw, 2, 2)->Determinant(), -1.0);
  auto a = MatOf(kA5, 5, 5);
  TMatrix l(nullptr), u(nullptr), prod(nullptr);
  ASSERT_TRUE(a->LUdecomposition(&l, &u));
  prod.Resize(5, 5);
  ASSERT_TRUE(l.Multiply(&u, &prod));
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(l.GetVal(i, i), 1.0);
    for (int j = i + 1; j <= 5; ++j) {
      EXPECT_EQ(l.GetVal(j, i), 0.0);
      EXPECT_EQ(u.GetVal(i, j), 0.0);
    }
  }
  // every row of L·U is some row of A (P·A = L·U), each used once
  std::vector<bool> used(6, false);
  for (int r = 1; r <= 5; ++r) {
    int found = 0;
    for (int ar = 1; ar <= 5 && !found; ++ar) {
      bool same = !used[ar];
      for (int c = 1; c <= 5 && same; ++c) same = std::fabs(prod.GetVal(c, r) - a->GetVal(c, ar)) < 1e-12;
      if (same) found = ar;
    }
    ASSERT_NE(found, 0) << "row " << r;
    used[found] = true;
  }
  double d = LUPermSign;
  for (int i = 1; i <= 5; ++i) d *= u.GetVal(i, i);
  EXPECT_NEAR(d, kA5Det, 1e-12 * std::fabs(kA5Det));
}

TEST(MatrixAlgebra, LargerInverseIsAccurate) {
  // blocked code paths: a diagonally dominated 150 × 150 matrix
  std::mt19937 gen(99);
  std::uniform_real_distribution<double> u(-1, 1);
  TMatrix a(nullptr), inv(nullptr), prod(nullptr);
  a.Resize(150, 150);
  for (int c = 1; c <= 150; ++c)
    for (int r = 1; r <= 150; ++r) a.SetVal(c, r, u(gen) + (c == r ? 10.0 : 0.0));
  inv.Clone(&a);
  ASSERT_TRUE(inv.Invert());
  prod.Resize(150, 150);
  ASSERT_TRUE(a.Multiply(&inv, &prod));
  double worst = 0;
  for (int c = 1; c <= 150; ++c)
    for (int r = 1; r <= 150; ++r) worst = std::max(worst, std::fabs(prod.GetVal(c, r) - (c == r ? 1.0 : 0.0)));
  EXPECT_LT(worst, 1e-13);
}

TEST(MatrixAlgebra, AbortStopsLongComputations) {
  TMatrix a(nullptr);
  a.Resize(200, 200);
  for (int i = 1; i <= 200; ++i) a.SetVal(i, i, 2.0);
  const std::string before = a.CRCofData();
  int calls = 0;
  MathFeedBackProc = [&](int32_t) {
    ++calls;
    AbortMathProc = true;
  };
  EXPECT_FALSE(a.Invert());
  EXPECT_EQ(a.CRCofData(), before);
  EXPECT_EQ(a.Determinant(), 0.0);
  EXPECT_THROW(a.Norm(ntSpectral), EZOLMatrixError);
  EXPECT_GE(calls, 3);
  MathFeedBackProc = nullptr;
  EXPECT_TRUE(a.Invert());  // the flag is cleared when a computation starts
  EXPECT_EQ(a.GetVal(7, 7), 0.5);
  AbortMathProc = false;
}

TEST(MatrixAlgebra, SingularValuesAndPseudoInverseMatchNumpy) {
  struct Case {
    const double* a;
    int rows, cols;
    const double* sv;
    const double* pinv;
  };
  const Case cases[] = {{kT74, 7, 4, kT74Sv, kT74Pinv}, {kW36, 3, 6, kW36Sv, kW36Pinv}, {kR53, 5, 3, nullptr, kR53Pinv}};
  for (const Case& cs : cases) {
    auto a = MatOf(cs.a, cs.rows, cs.cols);
    TMatrix u(nullptr), v(nullptr);
    TVector w(nullptr);
    ASSERT_TRUE(a->SingularValueDecomposition(&u, &w, &v));
    std::vector<double> ws(w.Data(), w.Data() + w.NrOfElem());
    std::sort(ws.rbegin(), ws.rend());
    if (cs.sv) {
      for (int k = 0; k < std::min(cs.rows, cs.cols); ++k) EXPECT_NEAR(ws[k], cs.sv[k], 1e-12);
    }
    // pinv = V · diag(1/w) · Uᵀ with the default threshold
    const double thr = std::max(cs.rows, cs.cols) * ws[0] * 1.2e-16;
    for (int r = 1; r <= cs.cols; ++r)
      for (int c = 1; c <= cs.rows; ++c) {
        double s = 0;
        for (int k = 1; k <= cs.cols; ++k)
          if (std::fabs(w.GetVal(k)) > thr) s += v.GetVal(k, r) / w.GetVal(k) * u.GetVal(k, c);
        EXPECT_NEAR(s, cs.pinv[(r - 1) * cs.rows + (c - 1)], 1e-10);
      }
  }
}

TEST(MatrixAlgebra, MultiplyAndTransposeMultiplyMatchNumpy) {
  auto a = MatOf(kP34, 3, 4);
  auto b = MatOf(kP45, 4, 5);
  TMatrix p(nullptr);
  EXPECT_FALSE(a->Multiply(b.get(), &p));  // wrong target size: untouched
  EXPECT_EQ(p.NrOfColumns(), 1);
  p.Resize(5, 3);
  ASSERT_TRUE(a->Multiply(b.get(), &p));
  ExpectMatNear(p, kP35, 3, 5, 1e-12);
  EXPECT_FALSE(b->Multiply(a.get(), &p));
  TMatrix ata(nullptr);
  ata.Resize(4, 4);
  ASSERT_TRUE(a->TransposeAndMultiply(a.get(), &ata));
  ExpectMatNear(ata, kP34tP34, 4, 4, 1e-12);
  // the product may overwrite one of its operands
  auto sq = MatOf(kA5, 5, 5);
  auto sq2 = MatOf(kA5, 5, 5);
  TMatrix ref(nullptr);
  ref.Resize(5, 5);
  ASSERT_TRUE(sq->Multiply(sq2.get(), &ref));
  ASSERT_TRUE(sq->Multiply(sq.get(), sq.get()));
  for (int c = 1; c <= 5; ++c)
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(sq->GetVal(c, r), ref.GetVal(c, r));
  TVector v(nullptr), pv(nullptr);
  v.Resize(3);
  v.Fill(1.0);
  pv.Resize(4);
  ASSERT_TRUE(a->TransposeAndMultiply(&v, &pv));
  EXPECT_NEAR(pv.GetVal(2), kP34[1] + kP34[5] + kP34[9], 1e-12);
}

TEST(MatrixDistances, AllModesMatchScipy) {
  auto d = MatOf(kDist, 6, 4);
  TMatrix dm(nullptr);
  dm.Resize(6, 6);
  const std::pair<TDistMode, const double*> modes[] = {{dmManhattan, kDistManhattan},
                                                       {dmEuclid, kDistEuclid},
                                                       {dmEuclidSqr, kDistEuclidSqr},
                                                       {dmJaccard, kDistJaccard},
                                                       {dmDice, kDistDice}};
  for (const auto& [mode, ref] : modes) {
    ASSERT_EQ(d->CalcDistMat(mode, &dm), 0);
    ExpectMatNear(dm, ref, 6, 6, 1e-12);
  }
  // identical rows 2 and 5
  d->CalcDistMat(dmJaccard, &dm);
  EXPECT_DOUBLE_EQ(dm.GetVal(2, 5), 1.0);
  d->CalcDistMat(dmEuclid, &dm);
  EXPECT_EQ(dm.GetVal(2, 5), 0.0);
  d->OnCalcDistance = [](TObject*, int r1, int r2, double& dist) { dist = r1 * 10 + r2; };
  d->CalcDistMat(dmUserDef, &dm);
  EXPECT_EQ(dm.GetVal(2, 4), 24.0);
  EXPECT_EQ(dm.GetVal(4, 2), 24.0);
  TMatrix bad(nullptr);
  bad.Resize(3, 3);
  EXPECT_EQ(d->CalcDistMat(dmEuclid, &bad), -2);
  bad.Resize(3, 4);
  EXPECT_EQ(d->CalcDistMat(dmEuclid, &bad), -1);
  // two all-zero rows: similarity 1, no 0/0
  TMatrix z(nullptr), zd(nullptr);
  z.Resize(3, 2);
  zd.Resize(2, 2);
  z.CalcDistMat(dmJaccard, &zd);
  EXPECT_EQ(zd.GetVal(1, 2), 1.0);
  z.CalcDistMat(dmDice, &zd);
  EXPECT_EQ(zd.GetVal(2, 1), 1.0);
  EXPECT_STREQ(DistModeNames[dmEuclidSqr], "squared Euclidean");
}

// ---------------------------------------------------------------- containers
TEST(MatrixBasics, ShapeAccessTransposeAndEvents) {
  TMatrix m(nullptr);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  m.Resize(3, 1);
  m.SetVal(2, 1, 7);
  EXPECT_EQ(m.GetVal(2, 1), 7.0);
  m.Resize(0, 5);
  EXPECT_EQ(m.NrOfColumns(), 0);
  EXPECT_EQ(m.NrOfRows(), 5);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  m.Resize(2, 3);
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 3; ++r) m.SetVal(c, r, c * 10 + r);
  EXPECT_EQ(m.Trace(), 0.0);
  m.Transpose();
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.GetVal(3, 2), 23.0);
  m.Resize(4, 4);  // keeps values where both indices survive
  EXPECT_EQ(m.GetVal(3, 2), 23.0);
  EXPECT_EQ(m.GetVal(4, 4), 0.0);
  int n = 0;
  m.OnChange = [&](TObject*) { ++n; };
  m.SetVal(9, 9, 1);
  EXPECT_EQ(n, 0);
  m.MirrorRows();
  EXPECT_EQ(m.GetVal(3, 3), 23.0);
  m.ExchangeColumns(1, 3);
  EXPECT_EQ(m.GetVal(1, 3), 23.0);
  EXPECT_GE(n, 2);
  m.SetFPrecis(1, 99);
  EXPECT_EQ(m.GetFPrecis(0), 25);
  EXPECT_EQ(m.GetFPrecis(7), -1);
}

TEST(MatrixBasics, RegionStatisticsAndSorting) {
  TMatrix m(nullptr);
  m.Resize(3, 4);
  const double keys[4] = {3, 1, 2, 0};
  for (int r = 1; r <= 4; ++r) {
    m.SetVal(1, r, keys[r - 1]);
    m.SetVal(2, r, keys[r - 1] * 100);
    m.SetVal(3, r, -r);
  }
  std::vector<int> swaps;
  m.OnSortExchange = [&](TObject*, uint8_t what, int i1, int i2, int first, int last) {
    EXPECT_EQ(what, 2);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2);
    swaps.push_back(i1 * 10 + i2);
  };
  m.SortRows(1, true, 1, 1, 2, 3);  // rows 1..3 only, columns 1..2 move
  EXPECT_EQ(m.GetVal(1, 1), 1.0);
  EXPECT_EQ(m.GetVal(1, 2), 2.0);
  EXPECT_EQ(m.GetVal(1, 3), 3.0);
  EXPECT_EQ(m.GetVal(2, 3), 300.0);
  EXPECT_EQ(m.GetVal(1, 4), 0.0);   // row outside the range stays
  EXPECT_EQ(m.GetVal(3, 1), -1.0);  // column outside the range stays
  EXPECT_FALSE(swaps.empty());
  double mean, var;
  m.MeanVar(2, 1, 2, 4, mean, var);  // 100, 200, 300, 0
  EXPECT_DOUBLE_EQ(mean, 150.0);
  EXPECT_NEAR(var, 16666.666666666668, 1e-9);
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 6 + 600 - 10);
  double q1, q2, q3;
  m.Quartiles(1, 1, 1, 4, q1, q2, q3);
  EXPECT_DOUBLE_EQ(q2, 1.5);
  int c, r;
  m.Find(0, 0, 0, 0, 199, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 2);
  TIntVector h(nullptr);
  int uf, of, mc;
  ASSERT_TRUE(m.Histogram(0, 0, 5, 9, -10, 400, 10, &h, uf, of, mc));  // region beyond the matrix
  EXPECT_EQ(uf + of, 0);
  m.SortCols(4, false, 0, 0, 0, 0);
  EXPECT_EQ(m.GetVal(1, 4), 0.0);
  TMatrix cst(nullptr);
  cst.Resize(7, 7);
  cst.Fill(0.3);
  cst.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_GE(var, 0.0);
  EXPECT_LT(var, 1e-30);
}

TEST(MatrixBasics, StandardizeCopyCorrelateChecksum) {
  auto a = MatOf(kDist, 6, 4);
  TVector means(nullptr), sds(nullptr);
  means.Resize(4);
  sds.Resize(4);
  TMatrix s(nullptr);
  s.Clone(a.get());
  s.StandardizeColumns(&means, &sds);
  for (int c = 1; c <= 4; ++c) {
    double m, v;
    s.MeanVar(c, 1, c, 6, m, v);
    EXPECT_NEAR(m, 0.0, 1e-14);
    EXPECT_NEAR(v, 1.0, 1e-12);
    a->MeanVar(c, 1, c, 6, m, v);
    EXPECT_NEAR(means.GetVal(c), m, 1e-14);
    EXPECT_NEAR(sds.GetVal(c), std::sqrt(v), 1e-14);
  }
  EXPECT_NEAR(a->Correlate(a.get()), 1.0, 1e-14);
  TMatrix other(nullptr);
  EXPECT_THROW(a->Correlate(&other), EZOLMatrixError);
  TVector col(nullptr);
  col.Resize(3);
  a->CopyColToVec(&col, 2, 0, 0);
  EXPECT_EQ(col.GetVal(3), kDist[2 * 4 + 1]);
  TMatrix dst(nullptr);
  dst.Resize(2, 2);
  dst.CopyFrom(a.get(), 3, 5, 4, 6, 2, 2);  // only (3,5) lands inside
  EXPECT_EQ(dst.GetVal(2, 2), kDist[4 * 4 + 2]);
  EXPECT_EQ(dst.GetVal(1, 1), 0.0);
  TMatrix crc(nullptr);
  crc.Resize(1, 11);
  for (int i = 1; i <= 11; ++i) crc.SetVal(1, i, kCrcData[i - 1]);
  EXPECT_EQ(crc.CRCofData(), kCrcExpected);
}

// ---------------------------------------------------------------- sparse integer matrix
TEST(IntMatrixSparse, InsertLookupAndConversion) {
  TIntMatrix s(nullptr, 4);
  EXPECT_TRUE(s.IsSparse());
  EXPECT_EQ(s.NrOfColumns(), 0);
  s.SetVal(10, 20, 7);
  EXPECT_EQ(s.NrOfColumns(), 10);
  EXPECT_EQ(s.NrOfRows(), 20);
  EXPECT_EQ(s.GetVal(10, 20), 7);
  EXPECT_EQ(s.GetVal(9, 20), 0);
  s.SetVal(3, 4, 0);  // zero is stored like any other value
  s.SetVal(3, 2, -5);
  EXPECT_EQ(s.NumSparseEntries(), 3);
  EXPECT_EQ(s.SparseEntries()[0].Row, 2);
  s.Resize(12, 25);  // stated size larger than the bounding box
  s.SparseToArray();
  EXPECT_FALSE(s.IsSparse());
  EXPECT_EQ(s.NrOfColumns(), 12);  // trailing zero columns/rows kept
  EXPECT_EQ(s.NrOfRows(), 25);
  EXPECT_EQ(s.GetVal(10, 20), 7);
  EXPECT_EQ(s.GetVal(3, 2), -5);
  TIntMatrix z(nullptr);
  z.Resize(3, 3);
  z.ArrayToSparse(2);
  EXPECT_EQ(z.NumSparseEntries(), 0);
  EXPECT_EQ(z.NrOfColumns(), 3);
  s.ArrayToSparse(8);
  EXPECT_EQ(s.NumSparseEntries(), 2);
  s.Resize(5, 5);  // drops the entry at (10, 20)
  EXPECT_EQ(s.NumSparseEntries(), 1);
  EXPECT_EQ(s.GetVal(10, 20), 0);
}

TEST(IntMatrixSparse, DenseAndSparseAgreeOnOperations) {
  TIntMatrix d(nullptr), sp(nullptr, 3);
  d.Resize(4, 3);
  sp.Resize(4, 3);
  const int32_t vals[12] = {5, 0, -2, 7, 0, 0, 3, 1, 9, 0, 4, 4};
  for (int i = 0; i < 12; ++i) {
    d.SetVal(i % 4 + 1, i / 4 + 1, vals[i]);
    if (vals[i]) sp.SetVal(i % 4 + 1, i / 4 + 1, vals[i]);
  }
  EXPECT_EQ(d.CRCofData(), sp.CRCofData());
  d.SortRows(1, true, 0, 0, 0, 0);
  sp.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(d.CRCofData(), sp.CRCofData());
  d.Transpose();
  sp.Transpose();
  EXPECT_EQ(d.CRCofData(), sp.CRCofData());
  double m1, v1, m2, v2;
  d.MeanVar(0, 0, 0, 0, m1, v1);
  sp.MeanVar(0, 0, 0, 0, m2, v2);
  EXPECT_EQ(m1, m2);
  EXPECT_EQ(v1, v2);
  TIntMatrix p(nullptr), b(nullptr);
  b.Clone(&d);
  b.Transpose();  // 4 × 3 (cols × rows) back
  p.Resize(4, 4);
  EXPECT_FALSE(b.Multiply(&d, &p));  // 3 × 3 result expected
  ASSERT_TRUE(d.Multiply(&b, &p));
  // d·dᵀ is symmetric; the sorted key column (0, 5, 9) gives the first diagonal entry
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(p.GetVal(i, j), p.GetVal(j, i));
  EXPECT_EQ(p.GetVal(1, 1), 0 + 25 + 81);
}

// ---------------------------------------------------------------- storage formats
TEST(MatrixStorage, EveryFormatRoundTripsExactly) {
  auto a = MatOf(kT74, 7, 4);
  a->SetVal(2, 3, 1.0 / 3.0);
  a->SetVal(4, 7, -1e-300);
  a->SetDataID("Probe \"7\" ä");
  const std::string crc = a->CRCofData();
  const std::string fn = TempName("m");
  TMatrix b(nullptr);
  ASSERT_TRUE(a->StoreOnFile(0, 0, 0, 0, fn + ".txt"));
  ASSERT_TRUE(b.LoadFromFile(fn + ".txt", true));
  EXPECT_EQ(b.CRCofData(), crc);
  EXPECT_EQ(b.NrOfColumns(), 4);
  b.Resize(1, 1);
  ASSERT_TRUE(a->SaveBinary(fn + ".bin"));
  EXPECT_EQ(FileBytes(fn + ".bin").size(), 272u + 28 * 8);
  int nc, nr;
  std::string id;
  ASSERT_TRUE(b.ReadBinaryHeader(fn + ".bin", nc, nr, id));
  EXPECT_EQ(nc, 4);
  EXPECT_EQ(nr, 7);
  EXPECT_EQ(id, a->DataID());
  ASSERT_TRUE(b.LoadBinary(fn + ".bin"));
  EXPECT_EQ(b.CRCofData(), crc);
  b.Resize(1, 1);
  std::unique_ptr<TMemoryStream> ms;
  a->SaveToStream(ms, 0, 0, 0, 0);
  ms->SetPosition(0);
  ASSERT_TRUE(b.LoadFromStream(ms.get(), true));
  EXPECT_EQ(b.CRCofData(), crc);
  b.Resize(1, 1);
  ASSERT_TRUE(a->SaveAsXMLFile(fn + ".xml", "M1"));
  EXPECT_FALSE(b.LoadFromXMLFile(fn + ".xml", "M2"));
  ASSERT_TRUE(b.LoadFromXMLFile(fn + ".xml", "M1"));
  EXPECT_EQ(b.CRCofData(), crc);
  TMemoryStream xs;
  a->WriteToXMLStream(xs, false, "X");
  b.WriteToXMLStream(xs, false, "Y");
  xs.SetPosition(0);
  TMatrix c(nullptr);
  ASSERT_TRUE(c.ReadFromXMLStream(xs, "Y"));
  EXPECT_EQ(c.CRCofData(), crc);
  for (const char* ext : {".txt", ".bin", ".xml"}) std::remove((fn + ext).c_str());
}

TEST(MatrixStorage, TextFileIsPlainWhitespaceTable) {
  const std::string fn = TempName("plain.txt");
  {
    std::ofstream o(fn);
    o << "# written by hand\n1 2.5 -3\n\n4e2 5 6\n";
  }
  TMatrix m(nullptr);
  ASSERT_TRUE(m.LoadFromFile(fn, true));
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.GetVal(1, 2), 400.0);
  EXPECT_EQ(m.GetVal(3, 1), -3.0);
  {
    std::ofstream o(fn);
    o << "1 2 3\n4 5\n";
  }
  EXPECT_FALSE(m.LoadFromFile(fn, true));
  EXPECT_EQ(m.GetVal(1, 2), 400.0);
  std::remove(fn.c_str());
}

TEST(MatrixStorage, DamagedFilesFailAndLeaveMatrixUnchanged) {
  auto a = MatOf(kA5, 5, 5);
  const std::string fn = TempName("dmg");
  ASSERT_TRUE(a->SaveBinary(fn + ".bin"));
  ASSERT_TRUE(a->SaveAsXMLFile(fn + ".xml", "D"));
  const auto bin = FileBytes(fn + ".bin");
  const auto xml = FileBytes(fn + ".xml");
  TMatrix b(nullptr);
  b.Resize(2, 2);
  b.SetVal(1, 1, 42);
  const std::string crc = b.CRCofData();
  for (size_t len = 0; len < bin.size(); len += 13) {
    WriteBytes(fn + ".cut", bin, len);
    EXPECT_FALSE(b.LoadBinary(fn + ".cut")) << len;
  }
  // hostile header: 2^31-1 × 2^31-1 elements in a short file
  std::vector<uint8_t> h = bin;
  for (int k = 8; k < 16; ++k) h[k] = (k % 4 == 3) ? 0x7F : 0xFF;
  WriteBytes(fn + ".cut", h, h.size());
  EXPECT_FALSE(b.LoadBinary(fn + ".cut"));
  for (size_t len = 0; len + 20 < xml.size(); len += 29) {
    WriteBytes(fn + ".cut", xml, len);
    b.LoadFromXMLFile(fn + ".cut", "D");  // may find nothing; must not crash
  }
  EXPECT_EQ(b.CRCofData(), crc);
  std::mt19937 gen(2024);
  for (int t = 0; t < 300; ++t) {
    std::vector<uint8_t> f = (t & 1) ? bin : xml;
    for (int k = 0; k < 6; ++k) f[gen() % f.size()] = static_cast<uint8_t>(gen());
    WriteBytes(fn + ".fz", f, f.size());
    TMatrix z(nullptr);
    if (t & 1)
      z.LoadBinary(fn + ".fz");
    else
      z.LoadFromXMLFile(fn + ".fz", "D");
    EXPECT_LE(static_cast<int64_t>(z.NrOfColumns()) * z.NrOfRows(), 100000);
  }
  for (const char* ext : {".bin", ".xml", ".cut", ".fz"}) std::remove((fn + ext).c_str());
}

TEST(IntMatrixStorage, MatrixMarketAndBinaryRoundTrip) {
  TIntMatrix s(nullptr, 2);
  s.SetVal(4, 2, 9);
  s.SetVal(1, 1, -3);
  s.SetVal(2, 5, 2147483647);
  s.SetDataID("sp");
  const std::string fn = TempName("sp");
  ASSERT_TRUE(s.StoreSparseMat(fn + ".mtx"));
  {
    std::ifstream in(fn + ".mtx");
    std::string l1;
    std::getline(in, l1);
    EXPECT_EQ(l1, "%%MatrixMarket matrix coordinate integer general");
  }
  TIntMatrix t(nullptr);
  ASSERT_TRUE(t.LoadSparseMat(fn + ".mtx"));
  EXPECT_TRUE(t.IsSparse());
  EXPECT_EQ(t.CRCofData(), s.CRCofData());
  EXPECT_EQ(t.DataID(), "sp");
  {
    std::ofstream o(fn + ".mtx");
    o << "%%MatrixMarket matrix coordinate integer general\n3 3 5\n1 1 1\n";  // 5 entries promised
  }
  EXPECT_FALSE(t.LoadSparseMat(fn + ".mtx"));
  EXPECT_EQ(t.GetVal(4, 2), 9);
  ASSERT_TRUE(s.SaveBinary(fn + ".bin"));
  TIntMatrix u(nullptr);
  ASSERT_TRUE(u.LoadBinary(fn + ".bin"));
  EXPECT_EQ(u.CRCofData(), s.CRCofData());
  TMatrix wrongKind(nullptr);
  EXPECT_FALSE(wrongKind.LoadBinary(fn + ".bin"));
  ASSERT_TRUE(s.SaveAsXMLFile(fn + ".xml", "I"));
  TIntMatrix x(nullptr);
  ASSERT_TRUE(x.LoadFromXMLFile(fn + ".xml", "I"));
  EXPECT_EQ(x.CRCofData(), s.CRCofData());
  ASSERT_TRUE(s.StoreOnFile(0, 0, 0, 0, fn + ".txt"));
  ASSERT_TRUE(x.LoadFromFile(fn + ".txt", true));
  EXPECT_EQ(x.CRCofData(), s.CRCofData());
  for (const char* ext : {".mtx", ".bin", ".xml", ".txt"}) std::remove((fn + ext).c_str());
}

// ---------------------------------------------------------------- 3D and 4D arrays
TEST(Mat4DFile, LayoutSlotsAndAppend) {
  const std::string fn = TempName("m4d.bin");
  TMat4D a(nullptr);
  ASSERT_TRUE(a.Resize(2, 2, 1, 1));
  a.SetVal(1, 1, 1, 1, 1.5);
  a.SetVal(2, 2, 1, 1, -4);
  a.SetDataID("four");
  a.SaveBinary(fn, 0, 0);
  auto bytes = FileBytes(fn);
  ASSERT_EQ(bytes.size(), 8192u);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[12], 1);
  EXPECT_EQ(bytes[16], 4);
  EXPECT_EQ(std::string(bytes.begin() + 17, bytes.begin() + 21), "four");
  double first;
  std::memcpy(&first, &bytes[4096], 8);
  EXPECT_EQ(first, 1.5);
  TMat4D b(nullptr);
  ASSERT_TRUE(b.LoadBinary(fn, 0, 0));
  EXPECT_EQ(b.CRCofData(), a.CRCofData());
  EXPECT_EQ(b.DataID(), "four");
  // slots 2..3 of 4; loading slot 2 of the file gives old slot 3
  TMat4D s(nullptr);
  s.Resize(3, 1, 1, 4);
  for (int t = 1; t <= 4; ++t)
    for (int c = 1; c <= 3; ++c) s.SetVal(c, 1, 1, t, t * 10 + c);
  s.SaveBinary(fn, 2, 3);
  int nc, nr, nl, nt;
  std::string id;
  ASSERT_TRUE(s.ReadBinaryHeader(fn, nc, nr, nl, nt, id));
  EXPECT_EQ(nt, 2);
  ASSERT_TRUE(b.LoadBinary(fn, 2, 2));
  EXPECT_EQ(b.NrOfTimeSlots(), 1);
  EXPECT_EQ(b.GetVal(2, 1, 1, 1), 32.0);
  EXPECT_THROW(b.LoadBinary(fn, 3, 3), EZOLMatrixError);
  // appending a slot to data ending mid-record keeps the earlier values
  s.AppendToBinaryFile(fn, 4, 4);
  ASSERT_TRUE(b.LoadBinary(fn, 0, 0));
  EXPECT_EQ(b.NrOfTimeSlots(), 3);
  EXPECT_EQ(b.GetVal(1, 1, 1, 1), 21.0);
  EXPECT_EQ(b.GetVal(3, 1, 1, 2), 33.0);
  EXPECT_EQ(b.GetVal(2, 1, 1, 3), 42.0);
  TMat4D other(nullptr);
  other.Resize(2, 1, 1, 1);
  EXPECT_THROW(other.AppendToBinaryFile(fn, 0, 0), EZOLMatrixError);
  // a header with 0 layers
  bytes = FileBytes(fn);
  bytes[8] = 0;
  WriteBytes(fn, bytes, bytes.size());
  EXPECT_FALSE(s.ReadBinaryHeader(fn, nc, nr, nl, nt, id));
  std::remove(fn.c_str());
}

TEST(Mat4DFile, TruncatedAndHostileFilesLeaveArrayUnchanged) {
  const std::string fn = TempName("m4dbad.bin");
  TMat4D a(nullptr);
  a.Resize(5, 4, 3, 2);
  a.FillRandomUniform(-1, 1);
  a.SaveBinary(fn, 0, 0);
  const auto good = FileBytes(fn);
  TMat4D b(nullptr);
  b.Resize(2, 2, 2, 2);
  b.Fill(3.0);
  const std::string crc = b.CRCofData();
  for (size_t len = 0; len < 4096 + 120 * 8; len += 200) {
    WriteBytes(fn, good, len);
    EXPECT_FALSE(b.LoadBinary(fn, 0, 0)) << len;
  }
  std::vector<uint8_t> h = good;
  h[0] = 0xFF;
  h[1] = 0xFF;
  h[2] = 0xFF;
  h[3] = 0x7F;
  h[12] = 0x7F;
  WriteBytes(fn, h, h.size());
  EXPECT_FALSE(b.LoadBinary(fn, 0, 0));
  EXPECT_EQ(b.CRCofData(), crc);
  int pct = -1, calls = 0;
  a.OnPercentDone = [&](TObject*, int p) {
    EXPECT_GE(p, pct);
    pct = p;
    ++calls;
  };
  a.SaveBinary(fn, 0, 0);
  EXPECT_EQ(pct, 100);
  EXPECT_GE(calls, 1);
  std::remove(fn.c_str());
}

TEST(Mat4D, LayersCutMirrorAndStatistics) {
  TMat4D a(nullptr);
  a.Resize(3, 2, 2, 2);
  for (int t = 1; t <= 2; ++t)
    for (int l = 1; l <= 2; ++l)
      for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 3; ++c) a.SetVal(c, r, l, t, 1000 * t + 100 * l + 10 * r + c);
  EXPECT_EQ(a.Addr4D(2, 1, 2, 1), 1 + 6);
  TMatrix m(nullptr);
  a.CopyLayerToMatrix(&m, 2, 3, 0, 0, 2, 1);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(1, 2), 1222.0);
  EXPECT_THROW(a.CopyLayerToMatrix(&m, 0, 0, 0, 0, 3, 1), EZOLMatrixError);
  EXPECT_THROW(a.CopyLayerToMatrix(&m, 0, 0, 0, 0, 1, 3), EZOLMatrixError);
  a.MeanOfLayersToMatrix(&m, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_DOUBLE_EQ(m.GetVal(1, 1), (1111 + 1211 + 2111 + 2211) / 4.0);
  a.StdDevOfLayersToMatrix(&m, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_NEAR(m.GetVal(3, 2), std::sqrt((2 * 550.0 * 550 + 2 * 450.0 * 450) / 3.0), 1e-9);
  double mn, mx;
  a.MinMax(0, 0, 0, 0, 0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, 1111.0);
  EXPECT_EQ(mx, 2223.0);
  int c, r, l, t;
  a.Find(0, 0, 0, 0, 0, 0, 0, 0, 2122.2, c, r, l, t);
  EXPECT_EQ(c + 10 * r + 100 * l + 1000 * t, 2122);
  a.MirrorTimeSlots();
  EXPECT_EQ(a.GetVal(1, 1, 1, 1), 2111.0);
  a.MirrorColumns();
  EXPECT_EQ(a.GetVal(1, 1, 1, 1), 2113.0);
  a.Cut(2, 3, 2, 2, 1, 1, 0, 0);
  EXPECT_EQ(a.NrOfColumns(), 2);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.NrOfLayers(), 1);
  EXPECT_EQ(a.GetVal(1, 1, 1, 2), 1122.0);
}

TEST(Mat3D, ResizeKeepsValuesAndTaggedTextRoundTrips) {
  TMat3D a(nullptr);
  EXPECT_FALSE(a.Resize(0, 2, 2));
  ASSERT_TRUE(a.Resize(2, 3, 4));
  a.FillRandomGauss(5, 2);
  a.SetVal(2, 3, 4, 0.1);
  const double keep = a.GetVal(1, 2, 3);
  ASSERT_TRUE(a.Resize(3, 3, 3));
  EXPECT_EQ(a.GetVal(1, 2, 3), keep);
  EXPECT_EQ(a.GetVal(3, 1, 1), 0.0);
  TMemoryStream ms;
  a.WriteToXMLStream(ms, true, "cube");
  ms.SetPosition(0);
  TMat3D b(nullptr);
  ASSERT_TRUE(b.ReadFromXMLStream(ms, "cube"));
  EXPECT_EQ(b.CRCofData(), a.CRCofData());
  TMat4D f(nullptr);
  f.Resize(2, 1, 2, 3);
  f.FillRandomUniform(0, 1);
  TMemoryStream ms4;
  f.WriteToXMLStream(ms4, false, "q");
  ms4.SetPosition(0);
  TMat4D g(nullptr);
  ASSERT_TRUE(g.ReadFromXMLStream(ms4, "q"));
  EXPECT_EQ(g.CRCofData(), f.CRCofData());
}

TEST(MatrixBasics, VectorCopiesClampToTheirTargets) {
  TMatrix m(nullptr);
  m.Resize(3, 4);
  TVector v(nullptr);
  v.Resize(6);
  for (int i = 1; i <= 6; ++i) v.SetVal(i, i);
  m.CopyFromVec(&v, 5, 2, 2, 2);  // elements 2..5 into column 2 from row 2; row 5 does not exist
  EXPECT_EQ(m.GetVal(2, 1), 0.0);
  EXPECT_EQ(m.GetVal(2, 2), 2.0);
  EXPECT_EQ(m.GetVal(2, 4), 4.0);
  TVector r(nullptr);
  r.Resize(2);
  r.Fill(9);
  m.CopyRowToVec(&r, 99, 0, 0);  // row clamped to 4, range cut to the vector's length
  EXPECT_EQ(r.GetVal(1), 0.0);
  EXPECT_EQ(r.GetVal(2), 4.0);
  m.MeanCenterColumns();
  double mean, var;
  m.MeanVar(2, 1, 2, 4, mean, var);
  EXPECT_NEAR(mean, 0.0, 1e-15);
}

TEST(Mat3D, FindRespectsRangesAndTieOrder) {
  TMat3D a(nullptr);
  a.Resize(3, 3, 3);
  a.Fill(5.0);
  a.SetVal(2, 3, 1, 1.0);
  a.SetVal(3, 1, 2, 1.0);
  int c, r, l;
  a.Find(0, 0, 0, 0, 0, 0, 0.0, c, r, l);
  EXPECT_EQ(c, 2);  // columns are scanned first
  EXPECT_EQ(r, 3);
  EXPECT_EQ(l, 1);
  a.Find(3, 3, 0, 0, 2, 3, 0.0, c, r, l);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(l, 2);
  EXPECT_EQ(a.GetVal(4, 1, 1), 0.0);
  TMat4D f(nullptr);
  EXPECT_FALSE(f.Resize(1, 1, 0, 1));
  EXPECT_NEAR(f.MemoryConsumed(), 8.0 / 1048576.0, 1e-18);
}

TEST(MatrixStorage, EveryReaderSurvivesTruncationAndFuzzing) {
  // one sample file per reader, then every 17th truncation and random bytes
  TIntMatrix im(nullptr, 3);
  im.SetVal(2, 3, 5);
  im.SetVal(4, 1, -8);
  auto a = MatOf(kP34, 3, 4);
  const std::string fn = TempName("fz");
  ASSERT_TRUE(a->StoreOnFile(0, 0, 0, 0, fn + ".txt"));
  ASSERT_TRUE(im.StoreSparseMat(fn + ".mtx"));
  ASSERT_TRUE(im.SaveBinary(fn + ".ibin"));
  std::unique_ptr<TMemoryStream> ms;
  a->SaveToStream(ms, 2, 1, 3, 3);
  TVector vec(nullptr);
  vec.Resize(5);
  vec.Fill(0.5);
  ASSERT_TRUE(vec.StoreOnFile(0, 0, -1, fn + ".vec"));
  struct Reader {
    std::string ext;
    std::function<bool(const std::string&)> load;
  };
  TMatrix m(nullptr);
  TIntMatrix i2(nullptr);
  TVector v2(nullptr);
  const std::vector<Reader> readers = {
      {".txt", [&](const std::string& f) { return m.LoadFromFile(f, true); }},
      {".mtx", [&](const std::string& f) { return i2.LoadSparseMat(f); }},
      {".ibin", [&](const std::string& f) { return i2.LoadBinary(f); }},
      {".vec", [&](const std::string& f) { return v2.LoadFromFile(f, true); }},
      {".stream", [&](const std::string& f) {
         TMemoryStream s;
         s.LoadFromFile(f);
         s.SetPosition(0);
         return m.LoadFromStream(&s, true);
       }}};
  ms->SaveToFile(fn + ".stream");
  std::mt19937 gen(77);
  for (const Reader& rd : readers) {
    const auto good = FileBytes(fn + rd.ext);
    ASSERT_TRUE(rd.load(fn + rd.ext)) << rd.ext;
    for (size_t len = 0; len + 1 < good.size(); len += 17) {
      WriteBytes(fn + ".cut", good, len);
      if (rd.ext == ".ibin" || rd.ext == ".stream" || rd.ext == ".mtx") EXPECT_FALSE(rd.load(fn + ".cut")) << rd.ext << len;
      else rd.load(fn + ".cut");
    }
    for (int t = 0; t < 150; ++t) {
      std::vector<uint8_t> f = good;
      for (int k = 0; k < 3; ++k) f[gen() % f.size()] = static_cast<uint8_t>(gen());
      WriteBytes(fn + ".cut", f, f.size());
      rd.load(fn + ".cut");
      EXPECT_LE(static_cast<int64_t>(m.NrOfColumns()) * m.NrOfRows(), 1 << 25);
      EXPECT_LE(v2.NrOfElem(), (1 << 24) + 100);
    }
  }
  for (const char* ext : {".txt", ".mtx", ".ibin", ".vec", ".stream", ".cut"}) std::remove((fn + ext).c_str());
}
