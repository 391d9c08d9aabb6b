// Connection tables: one chemical structure of at most 63 atoms with up to 10
// bonds each, read from and written to MDL connection tables, molfiles, SD
// files and two clear-text formats; ring perception, atom classification,
// formula and weights, group counts, fragment codes, substructure search,
// fragment combination and coordinate normalisation.
//
// The MolConnX text written by WriteToMolConnXFile is this library's own
// format, one item per line:
//   MOLCONNX 1                       signature and version
//   ID <integer>                     the identifier passed to the writer
//   NAME <structure name>
//   ATOMS <n> BONDS <m>
//   n atom lines:  <number> <symbol> <mass number> <charge> <hydrogens> <x> <y> <z>
//   m bond lines:  <atom> <atom> <type>     (each bond once, first atom lower)
//   END
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_classes.h"
#include "chem/Zol_cform.h"

namespace zol {

constexpr int MaxAtoms = 63;
constexpr int MaxConn = 10;
constexpr int MaxRings = 100;
constexpr int MaxSDProps = 20;

class EZOLCTabError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

enum CoordUnitType { cuUnknown, cuPixel, cuNanoM, cuPicoM, cuAngstrom };

// One atom.  ConnTo and TypConn are 1-based (slot 0 unused), filled from slot 1
// without gaps.  The mass number is 16 bits wide (Fm, Md, Lr exceed 255).
struct CTElem {
  uint8_t AtNum = 0;
  uint16_t AtWeight = 0;
  uint8_t AtFlag = 0;
  uint8_t Attrib = 0;
  int8_t Charge = 0;
  uint8_t ConnTo[MaxConn + 1] = {};
  uint8_t TypConn[MaxConn + 1] = {};
  float Coords[3] = {0, 0, 0};
  uint32_t DispAttr = 0x80000000u;
};
void ClearCTElem(CTElem& e);

// A ring or atom list: Length entries in Atoms[1..Length] (path order for rings).
struct RingType {
  int Length = 0;
  uint8_t Atoms[MaxAtoms + 1] = {};
};
using AtListType = RingType;

struct RingListType {
  int NumRings = 0;
  RingType Rings[MaxRings + 1];  // 1-based
};

// One SD property: name (at most 15 characters) and value.
struct TPropRec {
  std::string Name;
  double Value = 0;
};
using TPropArray = std::array<TPropRec, MaxSDProps>;

enum FrgType {
  NSglBnd, NDblBnd, NTrplBnd, NAroBnd, NCCSgl, NCCDbl, NCCTrpl, NBranch, XCnt, COOH, COO, NO2,
  AnyCO, AroCl, AroBr, AnyOH, PhOH, NH2, NHR, NR2, NCON, CN, CONR2, CHO, COX, AnySO, OCH3, NO,
  NNH2
};

// Per-atom match marks of SearchSubStruc (index = atom number 1..63).
using TMatchArray = std::array<uint8_t, MaxAtoms + 1>;

class TCTab : public TComponent {
 public:
  explicit TCTab(TComponent* AOwner);

  // ---- properties
  int NAtoms() const { return FNAtoms; }
  const std::string& StrucName() const { return FName; }
  void SetStrucName(const std::string& v);
  // CAS number as text (digits-two digits-one digit); an invalid text keeps the
  // stored number.  OnChange fires in either case.
  std::string CASNr() const;
  void SetCASNr(const std::string& v);
  int64_t CASNumber() const { return FCASNr; }
  CoordUnitType CoordUnits() const { return FUnits; }
  void SetCoordUnits(CoordUnitType v);

  int AtNum(int a) const { return Ok(a) ? FAt[a].AtNum : 0; }
  int AtWeight(int a) const { return Ok(a) ? FAt[a].AtWeight : 0; }
  int AtFlag(int a) const { return Ok(a) ? FAt[a].AtFlag : 0; }
  int Attrib(int a) const { return Ok(a) ? FAt[a].Attrib : 0; }
  int Charge(int a) const { return Ok(a) ? FAt[a].Charge : 0; }
  void SetAtNum(int a, int v);
  void SetAtWeight(int a, int v);
  void SetAtFlag(int a, int v);
  void SetAttrib(int a, int v);
  void SetCharge(int a, int v);
  int ConnTo(int a, int slot) const;
  int TypConn(int a, int slot) const;
  void SetConnTo(int a, int slot, int v);
  void SetTypConn(int a, int slot, int v);
  double Coords(int a, int axis) const;
  void SetCoords(int a, int axis, double v);
  CTElem AtomEntries(int a) const;
  void SetAtomEntries(int a, const CTElem& e);
  int NBonds(int a) const;
  bool CoordsPresent() const;
  void SetCoordsPresent(bool v);

  // ---- editing
  bool AddAtom(const CTElem& e);
  void EnterConn(int A, int B, int Type);
  bool MakeConnection(int A, int B, int Type);
  int CheckConnect(int A, int B) const;
  void MakeSymmetricConnections();
  // False for an atom number outside 1..NAtoms.
  bool DeleteAtom(int N);
  void RemoveHydrogen();
  void StripfromChains();
  int FindNextEndAtom(int Start) const;
  bool ContainsUnconnectedAtom() const;
  int AtomCount(int AtNum) const;
  void Clear();
  void ClearAttributes();
  void CopyFrom(const TCTab& Other);

  // ---- analysis
  int MaxNBonds(int& AtomNo) const;
  // Independent rings: bonds - atoms + connected parts.
  int RingsInMolecule() const;
  int FindShortestRings(int Start, RingListType& Rings);
  // The smallest set of smallest rings: the shortest rings through each atom
  // in number order (atoms with at most two bonds that lie in a found ring are
  // not used as start atoms again), completed with the shortest independent
  // cycles until the set spans all bonds - atoms + connected parts
  // independent rings; rings of the completing lengths that no shorter rings
  // add up to are kept as well.  At most MaxRings rings.
  int FindSSSR(RingListType& Rings);
  static bool RingInRingList(const RingType& Ring, const RingListType& Rings);
  int CalcAttributes();
  int CalcMissingH() const;
  int NrHAtoms(int N) const;
  bool CalcMolecularFormula(TFormulaRec& Formula) const;
  double CalcChemMolWeight() const;
  double CalcExactMolWeight() const;  // isotope-aware when mass numbers are exact isotopes
  int FragmentCode(int N, int& Extent) const;
  static std::string FragmentStr(int Code);
  int FragmentCount(FrgType t) const;
  bool SumForContained(const TCTab& Pattern) const;
  bool SearchSubStruc(const TCTab& Pattern, TMatchArray& Matched, bool CheckBondTypes) const;
  // Neighbours: each entry must be matched by a different neighbour of the
  // atom: > 0 that element, < 0 any element but -entry, 0 any atom.
  int MatchAtomTemplate(int AtNum, int NBonds, const std::vector<int>& Neighbours,
                        AtListType& Atoms) const;
  int CompareWith(const TCTab& Other) const;

  // ---- geometry
  void CalcMolCenter(double& X, double& Y, double& Z) const;
  double CalcMolExtents(double& XMin, double& YMin, double& XMax, double& YMax, double& XMean,
                        double& YMean) const;
  int FindAtomInBox(double X, double Y, double Z, double RangeX, double RangeY, double RangeZ) const;
  void FindClosestAtom(double X, double Y, double Z, int& AtomNo, double& Dist) const;
  void RotateWithPCA();

  // ---- combining; false (table unchanged) when the result would exceed 63 atoms
  bool LinkFragment(const TCTab& Other);
  bool JoinFragment(const TCTab& Other);

  // ---- files (readers: true on success; on failure the table is unchanged)
  bool ReadFromMDLCTabFile(TextFile& F);
  bool ReadFromMDLCTabStream(TStream& S);
  bool ReadFromMDLMolFile(TextFile& F);
  bool ReadFromMDLMolStream(TStream& S);
  // Reads one record (up to "$$$$") of an SD file; call again for the next.
  // A damaged record gives false too, with the file standing after it (Eof
  // tells the end of the file apart).  Property lines may be written
  // "> <KEY>" or with more text around the key ("> 12 <KEY> (x)").
  bool ReadFromMDLSDFile(TextFile& F, TPropArray& Props);
  bool ReadFromClearTextFile(TextFile& F);
  bool ReadFromClearTextFileCTABG(TextFile& F);
  bool ReadConnTabBody(TextFile& F);

  void WriteToMDLCTabFile(TextFile& F) const;
  void WriteToMDLCTabStream(TStream& S) const;
  // Header: structure name, then a line with the program name and the date
  // (Month, Day, Year), then Comment.
  void WriteToMDLMolFile(TextFile& F, const std::string& Comment, const std::string& ProgName,
                         int Month, int Day, int Year) const;
  void WriteToMDLMolStream(TStream& S, const std::string& Comment, const std::string& ProgName,
                           int Month, int Day, int Year) const;
  void WriteToClearTextFile(TextFile& F) const;
  void WriteToMolConnXFile(int Id, TextFile& F) const;

  // Text forms used by the writers.
  std::string MDLCTabText() const;
  std::string MDLMolText(const std::string& Comment, const std::string& ProgName, int Month,
                         int Day, int Year) const;

  TNotifyEvent OnChange;
  void Changed();

 private:
  bool Ok(int a) const { return a >= 1 && a <= FNAtoms; }
  void CompleteRingSet(RingListType& Rings) const;
  void AssignNoChange(const TCTab& o);
  friend struct CTabIO;

  int FNAtoms = 0;
  CTElem FAt[MaxAtoms + 1];
  std::string FName;
  int64_t FCASNr = 0;
  CoordUnitType FUnits = cuUnknown;
};

}  // namespace zol
