// Self-organising (Kohonen) feature maps: TKohonen, a rectangular grid of
// SizeX × SizeY neurons whose weight vectors are trained on the rows of a
// data matrix and then find the neuron closest to a new vector.
//
// Training step s (from the current step while s < NrOfTrnSteps):
//   f = (NrOfTrnSteps − s)/NrOfTrnSteps, radius = Round(f²·(InitialNeighbors − 1) + 1),
//   alpha = f²·InitialAlpha; for every data row in order the winner (smallest
//   squared distance, first in x-then-y order) is found and every neuron of
//   the square winner ± radius (wrapped on a torus when Cyclic, the half-width
//   then limited to Size div 2 − 1 once the radius reaches Size div 2; cut at
//   the borders otherwise) moves towards the row by alpha/(√(D − D₀) + 1).
// Training also counts ProcStat once per step, calls MathFeedBackProc and
// stops after the step in which AbortMathProc (cleared when training starts)
// or AbortTraining was set.
//
// Tagged-text record (WriteToXMLStream, SaveAsXMLFile, ...):
//   <!-- TKohonen / ZOL Component Suite -->
//   <kohonen sig="ZOLCSuite" vers="1.0" id="DataID">
//     <sizex>10</sizex>
//     <sizey>8</sizey>
//     <comment>text, &amp; &lt; &gt; escaped</comment>
//     <nrinsens>3</nrinsens>
//     <maxneighb>2</maxneighb>
//     <maxsteps>200</maxsteps>
//     <maxalpha>1</maxalpha>
//     <currentstep>200</currentstep>
//     <cyclic>false</cyclic>
//     <cell x=1 y=1>w1 w2 w3</cell>            (one per neuron, scaled weights)
//     <meanstddev k=1>mean stddev</meanstddev>  (one per input variable)
//   </kohonen>
// Numbers are written in their shortest exact form, so a map reads back bit
// for bit.  The readers return false (map unchanged) when the record is
// missing, damaged or truncated; sizes are checked against the record's
// length before anything is allocated.  The training data are not stored.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "math/Zol_matrix.h"
#include "math/Zol_vector.h"

namespace zol {

class EZOLKohonenError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// Tags of the record.  A scoped enumeration: the matrix unit already has an
// unscoped xmlInvalid.
enum class TKohonenXMLTag {
  xmlSizeX,
  xmlSizeY,
  xmlComment,
  xmlNrInsens,
  xmlMaxNeighb,
  xmlMaxSteps,
  xmlMaxAlpha,
  xmlCurStep,
  xmlCyclic,
  xmlCell,
  xmlMeanStdDev,
  xmlEndKohonen,
  xmlInvalid
};
// "sizex", "sizey", "comment", "nrinsens", "maxneighb", "maxsteps",
// "maxalpha", "currentstep", "cyclic", "cell", "meanstddev", "/kohonen",
// "invalidtag".
extern const char* const xmlKohonenXMLTag[13];

class TKohonen : public TComponent {
 public:
  explicit TKohonen(TComponent* AOwner);

  int SizeX() const { return FSizeX; }
  void SetSizeX(int v);
  int SizeY() const { return FSizeY; }
  void SetSizeY(int v);
  int NrOfInSens() const { return FNrInSens; }
  void SetNrOfInSens(int v);
  int NrOfTrnSteps() const { return FNrTrnSteps; }
  void SetNrOfTrnSteps(int v);  // values below 1 count as 1
  int InitialNeighbors() const { return FInitNeighbors; }
  void SetInitialNeighbors(int v);  // values below 0 count as 0
  double InitialAlpha() const { return FInitAlpha; }
  void SetInitialAlpha(double v);
  bool Cyclic() const { return FCyclic; }
  void SetCyclic(bool v) { FCyclic = v; }
  const std::string& Comment() const { return FComment; }
  void SetComment(const std::string& v) { FComment = v; }
  // The step the next ContinueTraining starts with.
  int CurrentStep() const { return FCurStep; }
  TOnPercentDoneEvent OnFeedback;

  // Internal state, readable for display and tests.
  const TMat3D* Weights() const { return FWeights; }
  const TMatrix* DataMat() const { return FData; }
  const TVector* Means() const { return FMeans; }
  const TVector* StdDevs() const { return FStdDevs; }

  void SetDataMat(const TMatrix* m);
  void StandardizeData();
  void SetWeigtsToRandom();
  void Trainit();
  void ContinueTraining();
  void AbortTraining() { FAbort = true; }
  // v holds NrOfInSens values in data units (TVector: elements 1..NrOfInSens).
  void ApplyIt(std::span<const double> v, int& WinX, int& WinY, double& Dist) const;
  void ApplyIt(const TVector* v, int& WinX, int& WinY, double& Dist) const;
  // Weight k of neuron (x, y) in data units; 0 outside the map.
  double GetWeight(int x, int y, int k) const;
  // The scaled weight as stored (no conversion).
  double GetRawWeight(int x, int y, int k) const { return FWeights->GetVal(x, y, k); }

  void WriteToXMLStream(TStream& Stream, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromXMLStream(TStream& Stream, const std::string& DataID);
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& DataID) const;
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& DataID);
  bool SaveAsXMLFile(const std::string& FileName, const std::string& DataID) const;
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);

 private:
  void RecreateWeights();
  void RecreateScaling();
  void EmitRecord(const std::function<void(const std::string&)>& Line, bool CreateHeader,
                  const std::string& DataID) const;
  bool ParseRecord(const std::string& Content);
  int FSizeX = 1, FSizeY = 1, FNrInSens = 1;
  int FNrTrnSteps = 200, FInitNeighbors = 2;
  double FInitAlpha = 1.0;
  bool FCyclic = false;
  std::string FComment;
  int FCurStep = 1;
  bool FAbort = false;
  TMat3D* FWeights;
  TMatrix* FData;
  TVector* FMeans;
  TVector* FStdDevs;
};

}  // namespace zol
