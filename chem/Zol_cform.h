// Molecular formulas: the plain record TFormulaRec and the control TMolForm,
// which parses, weighs, compares, searches and paints a formula.
#pragma once

#include <cstdint>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"

namespace zol {

constexpr int MaxFormulaEntries = 20;

class EZOLFormulaError : public EZOLError {
 public:
  using EZOLError::EZOLError;
};

// A formula as a list of up to 20 entries, 1-based (index 0 is unused).
// Mass numbers are 16 bits wide: the nominal weights of Fm, Md and Lr exceed 255.
struct TFormulaRec {
  int32_t NumAtoms = 0;
  uint8_t AtNum[MaxFormulaEntries + 1] = {};
  uint16_t AtWgt[MaxFormulaEntries + 1] = {};
  uint8_t AtCnt[MaxFormulaEntries + 1] = {};
};

enum TIsotVisib { ivNone, ivSpecial, ivAlways };

// Reads one formula part at the 1-based position Pos (see TMolForm).  A mass
// number above 999 or a count above 255 makes the part fail.
bool ScanNextFormPart(const std::string& Formula, int& Pos, int& AtNum, int& Weight, int& Count);
// The formula notation chemists type, read strictly: element symbols with
// their capitals ("Co" cobalt, "CO" carbon and oxygen), counts after symbols
// and groups, groups in round or square brackets (nested, with a count after
// them), hydrates and adducts joined by "·", "." or "*" with a leading count
// ("CuSO4·5H2O"), isotopes as a mass number in square brackets before the
// symbol ("[13C]H4"), D and T for hydrogen 2 and 3.  Blanks are ignored.
// Equal (element, mass number) entries are merged in order of first
// appearance; the mass number of an entry without isotope is the element's
// nominal one.  Anything the notation does not cover, an entry count above
// 255 or more than 20 entries makes the result false with Formula cleared and
// ErrorPos the 1-based byte position where reading failed.
bool ParseChemFormula(const std::string& Text, TFormulaRec& Formula, int& ErrorPos);

// Symbol and count (Mode 1: mass number, symbol, count).
std::string ChemElem(int AtNum, int AtWgt, int Count, int Mode);

class TMolForm : public TGraphicControl {
 public:
  explicit TMolForm(TComponent* AOwner);

  // Formula text: reading gives AsString(1); writing stores the text and parses it.
  std::string MolFormula() const { return AsString(1); }
  void SetMolFormula(const std::string& Text);
  // The text last given to SetMolFormula (painted verbatim with ShowAsText).
  const std::string& FormulaText() const { return FText; }

  TIsotVisib IsotopeVis() const { return FIsotVis; }
  void SetIsotopeVis(TIsotVisib v);
  bool UseDeuterium() const { return FUseDeut; }
  void SetUseDeuterium(bool v);
  bool ShowAsText() const { return FShowAsText; }
  void SetShowAsText(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  TColor ColorBkg() const { return FColorBkg; }
  void SetColorBkg(TColor v);
  TColor ColorTxt() const { return FColorTxt; }
  void SetColorTxt(TColor v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

  // Entries 1..NumAtoms; reads outside give 0.
  int NumAtoms() const { return FForm.NumAtoms; }
  void SetNumAtoms(int v);  // 1..20, other values ignored
  int AtNum(int i) const { return Valid(i) ? FForm.AtNum[i] : 0; }
  int AtCnt(int i) const { return Valid(i) ? FForm.AtCnt[i] : 0; }
  int AtWgt(int i) const { return Valid(i) ? FForm.AtWgt[i] : 0; }
  void SetAtNum(int i, int v);  // 1..103 only
  void SetAtCnt(int i, int v);  // any byte
  void SetAtWgt(int i, int v);  // 0..65535

  const TFormulaRec& AsFormulaRec() const { return FForm; }
  void SetFormulaRec(const TFormulaRec& r);

  // Reads the formula by the classic rules: consecutive letters form one
  // symbol, so "CO2" reads as Co2 and "HF" as Hf, and reading stops at the
  // first part it cannot read.  ScanComplete tells whether the whole text was
  // read, ScanStopPos the 1-based position where reading stopped (the text
  // length + 1 when complete).
  void ScanMolFormula(const std::string& Text);
  bool ScanComplete() const { return FScanStop > static_cast<int>(FScanLen); }
  int ScanStopPos() const { return FScanStop; }
  // Reads Text with ParseChemFormula; on success the entries are replaced and
  // the text kept as FormulaText, otherwise nothing changes.  Answers success.
  bool SetChemFormula(const std::string& Text);
  // Reads parts the same way as ScanMolFormula but without group handling.
  void ReadFromString(const std::string& Text);
  std::string AsString(int Mode) const;
  void Clear();

  double ChemMolWgt() const;
  double ExactMolWgt() const;
  int NominalMolWgt() const;
  // 0 equal, 1 this contains Other, 2 Other contains this, -1 mixed, -2 one is empty.
  int CompareTo(const TMolForm& Other) const;
  int CompareTo(const TFormulaRec& Other) const;

  // Formula search by mass: the elements and maximum counts come from
  // MaxFormula, the minimum counts from MinFormula at the same positions.
  void InitFindFormula(double Mass, double Tolerance, const TFormulaRec& MinFormula,
                       const TFormulaRec& MaxFormula);
  void InitFindFormula(double Mass, const TFormulaRec& MinFormula, const TFormulaRec& MaxFormula) {
    InitFindFormula(Mass, 0.05, MinFormula, MaxFormula);
  }
  // Each call continues the enumeration after the last candidate examined, so
  // no formula is returned twice; false once the enumeration is exhausted.
  bool FindFormulaNominalMass(bool CheckValence);
  bool FindFormulaExactMass(bool CheckValence);

  // Paints the formula into the rectangle (Left, Top, Width, Height) of any
  // canvas as Paint does on the control.
  void DrawOn(TCanvas& Canvas, int Left, int Top, int Width, int Height);
  // round(0.8 * font size) + 1
  int SmallFontSize() const;

 protected:
  void Paint() override;
  void FontChanged() override;

 private:
  bool Valid(int i) const { return i >= 1 && i <= FForm.NumAtoms; }
  void Repaint2();
  void AdjustHeight();
  bool FindFormula(bool Exact, bool CheckValence);

  TFormulaRec FForm;
  std::string FText;
  int FScanStop = 1;
  size_t FScanLen = 0;
  TIsotVisib FIsotVis = ivSpecial;
  bool FUseDeut = true, FShowAsText = false, FTransparent = false;
  TColor FColorBkg = clBtnFace, FColorTxt = clBlack;
  TAlignment FAlignment = taCenter;
  // formula search
  double FFindMass = 0, FFindTol = 0.05;
  TFormulaRec FMinForm, FMaxForm;
  int FCur[MaxFormulaEntries + 1] = {};
  bool FFindDone = true;
};

}  // namespace zol
