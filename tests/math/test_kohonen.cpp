// Kohonen maps: the training rules at chosen steps (maps loaded from
// hand-written records), invariants of stochastic training, the record.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_sysutils.h"
#include "base/Zol_streams.h"
#include "math/Zol_kohonen.h"
#include "math/Zol_math1.h"
#include "math/Zol_matrix.h"

using namespace zol;

namespace {

// A record with the given map; weights listed x-major, one value per input.
std::string Record(int sx, int sy, int nk, int maxsteps, int neighb, int cur, bool cyclic,
                   const std::vector<double>& w) {
  std::string s = "<kohonen sig=\"ZOLCSuite\" vers=\"1.0\" id=\"t\">\n";
  s += "<sizex>" + std::to_string(sx) + "</sizex><sizey>" + std::to_string(sy) + "</sizey>\n";
  s += "<nrinsens>" + std::to_string(nk) + "</nrinsens><maxneighb>" + std::to_string(neighb) + "</maxneighb>\n";
  s += "<maxsteps>" + std::to_string(maxsteps) + "</maxsteps><maxalpha>1</maxalpha>\n";
  s += "<currentstep>" + std::to_string(cur) + "</currentstep><cyclic>" + (cyclic ? "true" : "false") + "</cyclic>\n";
  size_t i = 0;
  for (int x = 1; x <= sx; ++x)
    for (int y = 1; y <= sy; ++y) {
      s += "<cell x=" + std::to_string(x) + " y=" + std::to_string(y) + ">";
      for (int k = 0; k < nk; ++k) {
        char b[40];
        std::snprintf(b, sizeof b, "%.17g ", w[i++]);
        s += b;
      }
      s += "</cell>\n";
    }
  s += "</kohonen>\n";
  return s;
}

bool Load(TKohonen& k, const std::string& rec) {
  TStringStream ss(rec);
  return k.ReadFromXMLStream(ss, "t");
}

std::unique_ptr<TMatrix> Rows(int nk, const std::vector<double>& v) {
  auto m = std::make_unique<TMatrix>(nullptr);
  const int n = static_cast<int>(v.size()) / nk;
  m->Resize(nk, n);
  for (int r = 1; r <= n; ++r)
    for (int c = 1; c <= nk; ++c) m->SetVal(c, r, v[static_cast<size_t>((r - 1) * nk + c - 1)]);
  return m;
}

// Runs exactly one training step from the map's current step.
void OneStep(TKohonen& k) {
  k.OnFeedback = [&k](TObject*, int) { k.AbortTraining(); };
  k.ContinueTraining();
  k.OnFeedback = nullptr;
}

}  // namespace

TEST(Kohonen, RadiusFollowsTheSchedule) {
  // 5 × 1 map on a line, one data row at 0: the winner is neuron 1, neuron 3
  // lies two cells away and moves only while the radius is 2
  const std::vector<double> w{0, 10, 20, 30, 40};
  auto data = Rows(1, {0.0});
  for (int step : {58, 59}) {
    TKohonen k(nullptr);
    k.SetDataMat(data.get());
    ASSERT_TRUE(Load(k, Record(5, 1, 1, 200, 2, step, false, w)));
    OneStep(k);
    EXPECT_EQ(k.CurrentStep(), step + 1);
    const double f2 = std::pow((200.0 - step) / 200.0, 2);
    // neighbour 2: D − D0 = 100, factor = f²/(10 + 1)
    EXPECT_DOUBLE_EQ(k.GetWeight(2, 1, 1), 10.0 - 10.0 * f2 / 11.0);
    if (step == 58)  // f² = 0.5041: radius 2
      EXPECT_DOUBLE_EQ(k.GetWeight(3, 1, 1), 20.0 - 20.0 * f2 / 21.0);
    else  // f² = 0.4970: radius 1
      EXPECT_EQ(k.GetWeight(3, 1, 1), 20.0);
    EXPECT_EQ(k.GetWeight(4, 1, 1), 30.0);
  }
}

TEST(Kohonen, SingleNeuronMovesTowardsEveryRow) {
  TKohonen k(nullptr);
  auto data = Rows(2, {1.0, 2.0, 3.0, -1.0});
  k.SetDataMat(data.get());
  ASSERT_TRUE(Load(k, Record(1, 1, 2, 4, 2, 1, false, {0.0, 0.0})));
  OneStep(k);
  // alpha = (3/4)² and D = D0, so the factor is alpha for both rows
  const double a = 0.5625;
  const double w1 = 0 + (1 - 0) * a, w2 = 0 + (2 - 0) * a;
  EXPECT_DOUBLE_EQ(k.GetWeight(1, 1, 1), w1 + (3 - w1) * a);
  EXPECT_DOUBLE_EQ(k.GetWeight(1, 1, 2), w2 + (-1 - w2) * a);
}

TEST(Kohonen, CyclicMapLimitsTheHalfWidth) {
  // 4 × 4 map, radius 3 at step 1 of 1000 with InitialNeighbors 3; all
  // weights 5 except the winner (1, 1) at 0; one data row at 0
  std::vector<double> w(16, 5.0);
  w[0] = 0.0;
  auto data = Rows(1, {0.0});
  TKohonen cyc(nullptr), flat(nullptr);
  cyc.SetDataMat(data.get());
  flat.SetDataMat(data.get());
  ASSERT_TRUE(Load(cyc, Record(4, 4, 1, 1000, 3, 1, true, w)));
  ASSERT_TRUE(Load(flat, Record(4, 4, 1, 1000, 3, 1, false, w)));
  EXPECT_TRUE(cyc.Cyclic());
  OneStep(cyc);
  OneStep(flat);
  int movedCyc = 0, movedFlat = 0;
  for (int x = 1; x <= 4; ++x)
    for (int y = 1; y <= 4; ++y) {
      if (x == 1 && y == 1) continue;
      const bool inSquare = (x == 4 || x <= 2) && (y == 4 || y <= 2);
      const bool m = cyc.GetWeight(x, y, 1) != 5.0;
      EXPECT_EQ(m, inSquare) << x << "," << y;
      movedCyc += m;
      movedFlat += flat.GetWeight(x, y, 1) != 5.0;
    }
  EXPECT_EQ(movedCyc, 8);    // half-width 1 around (1, 1), wrapped
  EXPECT_EQ(movedFlat, 15);  // radius 3 reaches the whole map
}

TEST(Kohonen, AbortStopsAfterTheStepAndTrainingResumes) {
  RandSeed = 4711;
  TKohonen k(nullptr);
  auto data = Rows(2, {0, 0, 1, 1, 2, 0, 0, 2});
  k.SetDataMat(data.get());
  k.SetSizeX(3);
  k.SetSizeY(3);
  k.SetNrOfTrnSteps(50);
  std::vector<int> pct;
  k.OnFeedback = [&](TObject* s, int p) {
    EXPECT_EQ(s, &k);
    pct.push_back(p);
    if (pct.size() == 10) k.AbortTraining();
  };
  k.Trainit();
  EXPECT_EQ(pct.size(), 10u);
  EXPECT_EQ(k.CurrentStep(), 11);
  EXPECT_EQ(pct.back(), 20);  // Round(10·100/50)
  k.ContinueTraining();       // the abort flag was cleared at the end
  EXPECT_EQ(pct.size(), 49u);
  EXPECT_EQ(k.CurrentStep(), 50);
  // the shared abort flag stops training as well
  int calls = 0;
  k.OnFeedback = nullptr;
  MathFeedBackProc = [&](int32_t) {
    if (++calls == 3) AbortMathProc = true;
  };
  k.Trainit();
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(k.CurrentStep(), 4);
}

TEST(Kohonen, TwoClustersLandOnDistantNeurons) {
  RandSeed = 20261207;
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Resize(3, 200);
  for (int r = 1; r <= 200; ++r) {
    const double c = r % 2 ? 0.0 : 10.0;
    data->SetVal(1, r, c + GRandom() * 0.5);
    data->SetVal(2, r, -c + GRandom() * 0.5);
    data->SetVal(3, r, 100.0 + GRandom() * 0.5);  // no information, large offset
  }
  TKohonen k(nullptr);
  k.SetDataMat(data.get());
  k.StandardizeData();
  EXPECT_NEAR(k.Means()->GetVal(1), 5.0, 0.3);
  EXPECT_NEAR(k.Means()->GetVal(3), 100.0, 0.1);
  k.SetSizeX(6);
  k.SetSizeY(6);
  k.SetNrOfTrnSteps(40);
  k.SetInitialNeighbors(4);
  k.SetInitialAlpha(0.5);
  k.Trainit();
  int ax, ay, bx, by;
  double da, db;
  const std::vector<double> a{0.0, 0.0, 100.0}, b{10.0, -10.0, 100.0};
  k.ApplyIt(a, ax, ay, da);
  k.ApplyIt(b, bx, by, db);
  EXPECT_GE(std::abs(ax - bx) + std::abs(ay - by), 4) << ax << "," << ay << " " << bx << "," << by;
  // the winners' weights lie near the cluster centres in data units
  EXPECT_NEAR(k.GetWeight(ax, ay, 1), 0.0, 1.0);
  EXPECT_NEAR(k.GetWeight(ax, ay, 2), 0.0, 1.0);
  EXPECT_NEAR(k.GetWeight(bx, by, 1), 10.0, 1.0);
  EXPECT_NEAR(k.GetWeight(bx, by, 3), 100.0, 0.5);
  EXPECT_LT(da, 0.1);
  // every trained weight stays within the range of the (standardised) data
  for (int x = 1; x <= 6; ++x)
    for (int y = 1; y <= 6; ++y) {
      EXPECT_GE(k.GetWeight(x, y, 1), -2.0);
      EXPECT_LE(k.GetWeight(x, y, 1), 12.0);
    }
}

TEST(Kohonen, ConstantColumnIsCentredLikeApplyIt) {
  auto data = Rows(2, {1, 7, 2, 7, 3, 7, 4, 7});
  TKohonen k(nullptr);
  k.SetDataMat(data.get());
  k.StandardizeData();
  EXPECT_EQ(k.StdDevs()->GetVal(2), 0.0);
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(k.DataMat()->GetVal(2, r), 0.0);
}

TEST(Kohonen, PropertiesAndScaling) {
  TKohonen k(nullptr);
  EXPECT_EQ(k.SizeX(), 1);
  EXPECT_EQ(k.NrOfTrnSteps(), 200);
  EXPECT_EQ(k.InitialNeighbors(), 2);
  EXPECT_EQ(k.InitialAlpha(), 1.0);
  k.SetSizeX(0);
  k.SetSizeY(-2);
  EXPECT_EQ(k.SizeX(), 1);
  EXPECT_EQ(k.SizeY(), 1);
  k.SetNrOfInSens(3);
  EXPECT_EQ(k.Weights()->NrOfLayers(), 3);
  EXPECT_EQ(k.DataMat()->NrOfColumns(), 3);
  k.SetWeigtsToRandom();
  for (int j = 1; j <= 3; ++j) {
    EXPECT_GE(k.GetRawWeight(1, 1, j), -0.1);
    EXPECT_LT(k.GetRawWeight(1, 1, j), 0.1);
  }
  EXPECT_EQ(k.GetWeight(2, 1, 1), 0.0);  // outside
}

TEST(Kohonen, RecordRoundTripsExactly) {
  RandSeed = 99;
  auto data = Rows(3, {1, 2, 3, 4, 5, 6.5, 7, 8, 9.25, -1, 0, 1e-7});
  TKohonen k(nullptr);
  k.SetDataMat(data.get());
  k.StandardizeData();
  k.SetSizeX(4);
  k.SetSizeY(3);
  k.SetNrOfTrnSteps(13);
  k.SetCyclic(true);
  k.SetInitialAlpha(0.3);
  k.SetComment("map <A> & \"B\" – ü");
  k.Trainit();
  TMemoryStream ms;
  WriteStringStream(ms, "<matrix sig=\"ZOLCSuite\" id=\"x\"></matrix>\r\n");  // another record first
  k.WriteToXMLStream(ms, false, "m1");
  ms.SetPosition(0);
  TKohonen r(nullptr);
  ASSERT_TRUE(r.ReadFromXMLStream(ms, "m1"));
  EXPECT_EQ(r.SizeX(), 4);
  EXPECT_EQ(r.SizeY(), 3);
  EXPECT_EQ(r.NrOfInSens(), 3);
  EXPECT_EQ(r.NrOfTrnSteps(), 13);
  EXPECT_EQ(r.CurrentStep(), k.CurrentStep());
  EXPECT_EQ(r.InitialAlpha(), 0.3);
  EXPECT_TRUE(r.Cyclic());
  EXPECT_EQ(r.Comment(), k.Comment());
  EXPECT_EQ(r.Weights()->CRCofData(), k.Weights()->CRCofData());
  for (int j = 1; j <= 3; ++j) {
    EXPECT_EQ(r.Means()->GetVal(j), k.Means()->GetVal(j));
    EXPECT_EQ(r.StdDevs()->GetVal(j), k.StdDevs()->GetVal(j));
  }
  // file form
  const std::string fn =
      (std::filesystem::temp_directory_path() / ("zolkoh_" + std::to_string(::getpid()) + ".xml")).string();
  ASSERT_TRUE(k.SaveAsXMLFile(fn, "m2"));
  TKohonen f(nullptr);
  EXPECT_FALSE(f.LoadFromXMLFile(fn, "other"));
  ASSERT_TRUE(f.LoadFromXMLFile(fn, "m2"));
  EXPECT_EQ(f.Weights()->CRCofData(), k.Weights()->CRCofData());
  std::filesystem::remove(fn);
}

TEST(Kohonen, DamagedRecordsAreRefused) {
  TKohonen k(nullptr);
  ASSERT_TRUE(Load(k, Record(2, 2, 1, 10, 2, 3, false, {1, 2, 3, 4})));
  const std::string good = Record(2, 2, 1, 10, 2, 3, false, {5, 6, 7, 8});
  // truncated in the last cell, a missing cell, hostile sizes, bad numbers
  EXPECT_FALSE(Load(k, good.substr(0, good.rfind("</cell>"))));
  std::string missing = good;
  missing.erase(missing.find("<cell x=2 y=2>"), missing.find("</kohonen>") - missing.find("<cell x=2 y=2>"));
  EXPECT_FALSE(Load(k, missing));
  EXPECT_FALSE(Load(k, "<kohonen sig=\"ZOLCSuite\" id=\"t\"><sizex>100000</sizex><sizey>100000</sizey>"
                       "<nrinsens>1000</nrinsens></kohonen>"));
  // the largest sizes the record allows: their product exceeds 64 bits
  EXPECT_FALSE(Load(k, "<kohonen sig=\"ZOLCSuite\" id=\"t\"><sizex>2147483647</sizex><sizey>2147483647</sizey>"
                       "<nrinsens>2147483647</nrinsens></kohonen>"));
  EXPECT_FALSE(Load(k, "<kohonen sig=\"ZOLCSuite\" id=\"t\"><sizex>1</sizex><sizey>1</sizey>"
                       "<nrinsens>2147483647</nrinsens></kohonen>"));
  std::string bad = good;
  bad.replace(bad.find(">5 <"), 4, ">5x<");
  EXPECT_FALSE(Load(k, bad));
  EXPECT_FALSE(Load(k, "<kohonen sig=\"other\" id=\"t\"></kohonen>"));
  EXPECT_FALSE(Load(k, ""));
  // the map is unchanged by every refusal
  EXPECT_EQ(k.GetWeight(1, 1, 1), 1.0);
  EXPECT_EQ(k.GetWeight(2, 2, 1), 4.0);
  EXPECT_EQ(k.CurrentStep(), 3);
}
