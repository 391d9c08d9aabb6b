#include "math/Zol_sline.h"

#include <cmath>
#include <numbers>

namespace zol {

TSLine::TSLine(TComponent* AOwner) : TComponent(AOwner) {}

void TSLine::SetParA(double v) {
  if (v == 0 && FB == 0) throw EZOLSLineError("parameter A and B must not both be zero");
  FA = v;
}

void TSLine::SetParB(double v) {
  if (v == 0 && FA == 0) throw EZOLSLineError("parameter A and B must not both be zero");
  FB = v;
}

bool TSLine::LineFrom2Points(double x1, double y1, double x2, double y2) {
  if (x1 == x2 && y1 == y2) return false;
  FA = y1 - y2;
  FB = x2 - x1;
  FC = x1 * y2 - x2 * y1;
  return true;
}

void TSLine::LineFromSlopeIcpt(double k, double d) {
  FA = k;
  FB = -1;
  FC = d;
}

void TSLine::LineThroughPoint(double x, double y, double Alpha) {
  FA = -std::sin(Alpha);
  FB = std::cos(Alpha);
  FC = -FA * x - FB * y;
}

void TSLine::NormalLine(const TSLine& Line, double x, double y) {
  FA = -Line.FB;
  FB = Line.FA;
  FC = -FA * x - FB * y;
}

void TSLine::ParallelLine(const TSLine& Line, double x, double y) {
  FA = Line.FA;
  FB = Line.FB;
  FC = -FA * x - FB * y;
}

bool TSLine::InterSection(const TSLine& Line, double& x, double& y) const {
  double D = FA * Line.FB - Line.FA * FB;
  if (D == 0) return false;
  x = (FB * Line.FC - Line.FB * FC) / D;
  y = (FC * Line.FA - Line.FC * FA) / D;
  return true;
}

double TSLine::AngleBetweenLines(const TSLine& Line) const {
  double e = FA * Line.FA + FB * Line.FB;
  if (e == 0) return std::numbers::pi / 2;
  return std::fabs(std::atan((FA * Line.FB - Line.FA * FB) / e));
}

double TSLine::Distance(double x, double y) const {
  return std::fabs(FA * x + FB * y + FC) / std::sqrt(FA * FA + FB * FB);
}

void TSLine::CalcKDForm(double& k, double& d) const {
  if (FB == 0) throw EZOLSLineError("cannot convert to k-d-form if ParB is zero");
  k = -FA / FB;
  d = -FC / FB;
}

double TSLine::CalcY(double x) const {
  double b = FB;
  if (b == 0) {
    if (!FSubstituteInf) throw EZOLSLineError("cannot calculate y");
    b = 1e-100;
  }
  return (-FA * x - FC) / b;
}

double TSLine::CalcX(double y) const {
  double a = FA;
  if (a == 0) {
    if (!FSubstituteInf) throw EZOLSLineError("cannot calculate x");
    a = 1e-100;
  }
  return (-FB * y - FC) / a;
}

double TSLine::Slope() const {
  if (FB == 0) throw EZOLSLineError("slope is infinite");
  return -FA / FB;
}

double TSLine::Intercept() const {
  if (FB == 0) throw EZOLSLineError("cannot calculate intercept (line is parallel to y axis)");
  return -FC / FB;
}

double TSLine::Direct() const {
  double a;
  if (FB == 0) a = FA > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  else a = std::atan(-FA / FB);
  if (FB <= 0) a += std::numbers::pi;
  else if (FA > 0) a += 2 * std::numbers::pi;
  return a;
}

bool TSLine::ClipBox(double XLo, double YLo, double XHi, double YHi, double& X1, double& Y1,
                     double& X2, double& Y2) {
  bool saved = FSubstituteInf;
  FSubstituteInf = true;
  X1 = Y1 = X2 = Y2 = 0;
  int found = 0;
  const double tol = 1e-12 * (std::fabs(XHi - XLo) + std::fabs(YHi - YLo));
  auto keep = [&](double x, double y) {
    if (found == 2) return;
    // A corner lies on two edges: the second sighting is the same point.
    if (found == 1 && std::fabs(x - X1) <= tol && std::fabs(y - Y1) <= tol) return;
    if (found == 0) {
      X1 = x;
      Y1 = y;
    } else {
      X2 = x;
      Y2 = y;
    }
    ++found;
  };
  double y = CalcY(XLo);
  if (y >= YLo && y <= YHi) keep(XLo, y);
  y = CalcY(XHi);
  if (y >= YLo && y <= YHi) keep(XHi, y);
  double x = CalcX(YLo);
  if (x >= XLo && x <= XHi) keep(x, YLo);
  x = CalcX(YHi);
  if (x >= XLo && x <= XHi) keep(x, YHi);
  FSubstituteInf = saved;
  // A line that only touches a corner gives that corner as both end points.
  if (found == 1) {
    X2 = X1;
    Y2 = Y1;
  }
  return found > 0;
}

}  // namespace zol
