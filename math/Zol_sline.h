// Straight lines in the plane in the general form A·x + B·y + C = 0.
#pragma once

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"

namespace zol {

class EZOLSLineError : public EZOLError {
  using EZOLError::EZOLError;
};

class TSLine : public TComponent {
 public:
  explicit TSLine(TComponent* AOwner);
  double ParA() const { return FA; }
  double ParB() const { return FB; }
  double ParC() const { return FC; }
  // A and B may not both be zero: "parameter A and B must not both be zero".
  void SetParA(double v);
  void SetParB(double v);
  void SetParC(double v) { FC = v; }
  // When set, CalcX/CalcY divide by 1e-100 instead of raising for a line
  // parallel to the requested axis.
  bool SubstituteInf() const { return FSubstituteInf; }
  void SetSubstituteInf(bool v) { FSubstituteInf = v; }

  bool LineFrom2Points(double x1, double y1, double x2, double y2);
  void LineFromSlopeIcpt(double k, double d);
  void LineThroughPoint(double x, double y, double Alpha);
  void NormalLine(const TSLine& Line, double x, double y);
  void ParallelLine(const TSLine& Line, double x, double y);
  bool InterSection(const TSLine& Line, double& x, double& y) const;
  double AngleBetweenLines(const TSLine& Line) const;
  double Distance(double x, double y) const;
  void CalcKDForm(double& k, double& d) const;
  double CalcY(double x) const;
  double CalcX(double y) const;
  double Slope() const;
  double Intercept() const;
  double Direct() const;
  double GetSlope() const { return Slope(); }
  double GetIntercept() const { return Intercept(); }
  double GetDirect() const { return Direct(); }
  // The end points of the part of the line inside the rectangle, found on the
  // edges x = XLo, x = XHi, y = YLo, y = YHi in that order; a point found
  // again on a later edge (a corner) is not counted twice, and a line that
  // only touches a corner returns that corner as both points.  False (and
  // all outputs 0) when the line misses the rectangle.
  bool ClipBox(double XLo, double YLo, double XHi, double YHi, double& X1, double& Y1, double& X2,
               double& Y2);

 private:
  double FA = 0, FB = 1, FC = 0;
  bool FSubstituteInf = false;
};

}  // namespace zol
