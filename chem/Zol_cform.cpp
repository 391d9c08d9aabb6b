// Molecular formulas: parsing, weights, comparison, search by mass and painting.
#include "chem/Zol_cform.h"

#include <cmath>
#include <map>
#include <utility>

#include "chem/Zol_cdata.h"
#include "math/Zol_math1.h"

namespace zol {

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsSep(char c) { return c == ' ' || c == ',' || c == '.'; }

int SymbolToZ(const std::string& up) {
  if (up == "D") return 1;
  for (int z = 1; z <= MaxElem; ++z) {
    std::string s = CElemSymb(z);
    if (s.size() != up.size()) continue;
    bool eq = true;
    for (size_t k = 0; k < s.size(); ++k)
      if (Upper(s[k]) != up[k]) eq = false;
    if (eq) return z;
  }
  return 0;
}

}  // namespace

bool ScanNextFormPart(const std::string& Formula, int& Pos, int& AtNum, int& Weight, int& Count) {
  if (Pos < 1) Pos = 1;
  int state = 0;
  int mass = -1, cnt = -1;
  std::string sym;
  bool overflow = false;
  const int len = static_cast<int>(Formula.size());
  while (Pos <= len) {
    char c = Upper(Formula[Pos - 1]);
    if (c == '(' || c == ')') break;
    bool digit = c >= '0' && c <= '9';
    bool letter = c >= 'A' && c <= 'Z';
    bool sep = IsSep(c);
    int d = digit ? c - '0' : 0;
    bool end = false;
    switch (state) {
      case 0:
        if (digit) { mass = d; state = 1; }
        else if (letter) { sym += c; state = 3; }
        break;
      case 1:
        if (digit) mass = mass * 10 + d;
        else if (letter) { sym += c; state = 3; }
        else if (sep) state = 2;
        break;
      case 2:
        if (digit) end = true;
        else if (letter) { sym += c; state = 3; }
        break;
      case 3:
        if (digit) { cnt = d; state = 5; }
        else if (letter) sym += c;
        else if (sep) state = 4;
        break;
      case 4:
        if (digit) { cnt = d; state = 5; }
        else if (letter) end = true;
        break;
      case 5:
        if (digit) cnt = cnt * 10 + d;
        else if (letter || sep) end = true;
        break;
    }
    if (end) break;
    if (mass > 999 || cnt > 255 || sym.size() > 3) overflow = true;
    if (mass > 999) mass = 1000;  // keep the value bounded while the digits run on
    if (cnt > 255) cnt = 256;
    ++Pos;
  }
  if (overflow || sym.empty()) return false;
  int z = SymbolToZ(sym);
  if (z == 0) return false;
  AtNum = z;
  if (mass >= 0) Weight = mass;
  else Weight = sym == "D" ? 2 : IntAtWeight(z);
  Count = cnt > 0 ? cnt : 1;
  return true;
}

std::string ChemElem(int AtNum, int AtWgt, int Count, int Mode) {
  if (AtNum < 1 || AtNum > MaxElem || Count <= 0) return "";
  std::string sym = (AtNum == 1 && AtWgt == 2) ? "D" : CElemSymb(AtNum);
  std::string cnt = Count > 1 ? std::to_string(Count) : "";
  if (Mode == 1) return std::to_string(AtWgt) + sym + cnt;
  return sym + cnt;
}

// ---------------------------------------------------------------- TMolForm

TMolForm::TMolForm(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 120, 28);
  FText = "H2O";
  FForm.NumAtoms = 2;
  FForm.AtNum[1] = 1; FForm.AtWgt[1] = 1; FForm.AtCnt[1] = 2;
  FForm.AtNum[2] = 8; FForm.AtWgt[2] = 16; FForm.AtCnt[2] = 1;
}

void TMolForm::Repaint2() {
  // A transparent control lets the parent repaint first (its surface starts
  // from the parent's pixels); both come down to a new paint.
  Invalidate();
}

void TMolForm::SetMolFormula(const std::string& Text) {
  FText = Text;
  ScanMolFormula(Text);
}

void TMolForm::SetIsotopeVis(TIsotVisib v) { if (v != FIsotVis) { FIsotVis = v; Repaint2(); } }
void TMolForm::SetUseDeuterium(bool v) { if (v != FUseDeut) { FUseDeut = v; Repaint2(); } }
void TMolForm::SetShowAsText(bool v) { if (v != FShowAsText) { FShowAsText = v; Repaint2(); } }
void TMolForm::SetTransparent(bool v) { if (v != FTransparent) { FTransparent = v; Repaint2(); } }
void TMolForm::SetColorBkg(TColor v) { if (v != FColorBkg) { FColorBkg = v; Repaint2(); } }
void TMolForm::SetColorTxt(TColor v) { if (v != FColorTxt) { FColorTxt = v; Repaint2(); } }
void TMolForm::SetAlignment(TAlignment v) { if (v != FAlignment) { FAlignment = v; Repaint2(); } }

void TMolForm::SetNumAtoms(int v) {
  if (v < 1 || v > MaxFormulaEntries || v == FForm.NumAtoms) return;
  FForm.NumAtoms = v;
  Repaint2();
}

void TMolForm::SetAtNum(int i, int v) {
  if (!Valid(i) || v < 1 || v > MaxElem) return;
  FForm.AtNum[i] = static_cast<uint8_t>(v);
  Repaint2();
}

void TMolForm::SetAtCnt(int i, int v) {
  if (!Valid(i) || v < 0 || v > 255) return;
  FForm.AtCnt[i] = static_cast<uint8_t>(v);
  Repaint2();
}

void TMolForm::SetAtWgt(int i, int v) {
  if (!Valid(i) || v < 0 || v > 65535) return;
  FForm.AtWgt[i] = static_cast<uint16_t>(v);
  Repaint2();
}

void TMolForm::SetFormulaRec(const TFormulaRec& r) {
  FForm = r;
  if (FForm.NumAtoms < 0) FForm.NumAtoms = 0;
  if (FForm.NumAtoms > MaxFormulaEntries) FForm.NumAtoms = MaxFormulaEntries;
  Repaint2();
}

void TMolForm::ScanMolFormula(const std::string& Text) {
  FForm = TFormulaRec();
  int pos = 1, mult = 1;
  const int len = static_cast<int>(Text.size());
  while (pos <= len) {
    char c = Text[pos - 1];
    if (c == '(') {
      size_t close = Text.find(')', pos);
      mult = 1;
      if (close != std::string::npos) {
        int p = static_cast<int>(close) + 2;
        int m = ScanDecimal(Text, p);
        // A group without a number after it (or with a number below 1) counts once.
        mult = m >= 1 ? m : 1;
      }
      ++pos;
      continue;
    }
    if (c == ')') {
      mult = 1;
      ++pos;
      ScanDecimal(Text, pos);
      continue;
    }
    int z = 0, w = 0, n = 0;
    if (!ScanNextFormPart(Text, pos, z, w, n)) break;
    if (FForm.NumAtoms >= MaxFormulaEntries) break;  // no room for another entry
    long total = static_cast<long>(n) * mult;
    if (total > 255) break;  // the count does not fit its byte
    int k = ++FForm.NumAtoms;
    FForm.AtNum[k] = static_cast<uint8_t>(z);
    FForm.AtWgt[k] = static_cast<uint16_t>(w);
    FForm.AtCnt[k] = static_cast<uint8_t>(total);
  }
  Repaint2();
}

void TMolForm::ReadFromString(const std::string& Text) {
  FForm = TFormulaRec();
  int pos = 1;
  int z = 0, w = 0, n = 0;
  while (FForm.NumAtoms < MaxFormulaEntries && ScanNextFormPart(Text, pos, z, w, n)) {
    int k = ++FForm.NumAtoms;
    FForm.AtNum[k] = static_cast<uint8_t>(z);
    FForm.AtWgt[k] = static_cast<uint16_t>(w);
    FForm.AtCnt[k] = static_cast<uint8_t>(n);
  }
  Repaint2();
}

std::string TMolForm::AsString(int Mode) const {
  std::string s;
  for (int i = 1; i <= FForm.NumAtoms; ++i) {
    s += ChemElem(FForm.AtNum[i], FForm.AtWgt[i], FForm.AtCnt[i], Mode);
    // With mass numbers in front, a lone symbol followed by the next entry's
    // mass number would read that number as its count ("40Ca 16O2"): the
    // count 1 is written out wherever another entry follows.
    if (Mode == 1 && FForm.AtCnt[i] == 1 && i < FForm.NumAtoms && FForm.AtNum[i] >= 1 && FForm.AtNum[i] <= MaxElem)
      s += "1";
    s += " ";
  }
  return s;
}

void TMolForm::Clear() {
  FText.clear();
  FForm = TFormulaRec();
  Repaint2();
}

double TMolForm::ChemMolWgt() const {
  double s = 0;
  for (int i = 1; i <= FForm.NumAtoms; ++i) s += ChemAtWeight(FForm.AtNum[i]) * FForm.AtCnt[i];
  return s;
}

double TMolForm::ExactMolWgt() const {
  double s = 0;
  for (int i = 1; i <= FForm.NumAtoms; ++i) s += ExactAtWeight(FForm.AtNum[i]) * FForm.AtCnt[i];
  return s;
}

int TMolForm::NominalMolWgt() const {
  int s = 0;
  for (int i = 1; i <= FForm.NumAtoms; ++i) s += FForm.AtWgt[i] * FForm.AtCnt[i];
  return s;
}

int TMolForm::CompareTo(const TMolForm& Other) const { return CompareTo(Other.FForm); }

int TMolForm::CompareTo(const TFormulaRec& Other) const {
  if (FForm.NumAtoms <= 0 || Other.NumAtoms <= 0) return -2;
  std::map<std::pair<int, int>, int> diff;
  for (int i = 1; i <= FForm.NumAtoms; ++i) diff[{FForm.AtNum[i], FForm.AtWgt[i]}] += FForm.AtCnt[i];
  for (int i = 1; i <= Other.NumAtoms && i <= MaxFormulaEntries; ++i)
    diff[{Other.AtNum[i], Other.AtWgt[i]}] -= Other.AtCnt[i];
  bool pos = false, neg = false;
  for (const auto& [k, d] : diff) {
    if (d > 0) pos = true;
    if (d < 0) neg = true;
  }
  if (!pos && !neg) return 0;
  if (!neg) return 1;
  if (!pos) return 2;
  return -1;
}

void TMolForm::InitFindFormula(double Mass, double Tolerance, const TFormulaRec& MinFormula,
                               const TFormulaRec& MaxFormula) {
  FFindMass = Mass;
  FFindTol = Tolerance;
  FMaxForm = MaxFormula;
  if (FMaxForm.NumAtoms < 0) FMaxForm.NumAtoms = 0;
  if (FMaxForm.NumAtoms > MaxFormulaEntries) FMaxForm.NumAtoms = MaxFormulaEntries;
  FMinForm = TFormulaRec();
  FMinForm.NumAtoms = FMaxForm.NumAtoms;
  FFindDone = FMaxForm.NumAtoms == 0;
  for (int i = 1; i <= FMaxForm.NumAtoms; ++i) {
    int mn = i <= MinFormula.NumAtoms ? MinFormula.AtCnt[i] : 0;
    // A minimum above the maximum leaves nothing to enumerate.
    if (mn > FMaxForm.AtCnt[i]) FFindDone = true;
    FMinForm.AtCnt[i] = static_cast<uint8_t>(mn);
    FCur[i] = FMaxForm.AtCnt[i];
  }
}

bool TMolForm::FindFormula(bool Exact, bool CheckValence) {
  bool found = false;
  const int n = FMaxForm.NumAtoms;
  while (!FFindDone && !found) {
    bool ok;
    if (Exact) {
      double m = 0;
      for (int i = 1; i <= n; ++i) m += ExactAtWeight(FMaxForm.AtNum[i]) * FCur[i];
      ok = std::fabs(m - FFindMass) < FFindTol;
    } else {
      long m = 0;
      for (int i = 1; i <= n; ++i) m += static_cast<long>(FMaxForm.AtWgt[i]) * FCur[i];
      ok = m == std::lround(FFindMass);
    }
    if (ok && CheckValence) {
      long cnt[104] = {};
      for (int i = 1; i <= n; ++i)
        if (FMaxForm.AtNum[i] <= 103) cnt[FMaxForm.AtNum[i]] += FCur[i];
      ok = cnt[7] + 2 * cnt[6] + 2 >= cnt[1] + cnt[9] + cnt[17] + cnt[35] + cnt[53];
    }
    if (ok) {
      FForm = FMaxForm;
      for (int i = 1; i <= n; ++i) FForm.AtCnt[i] = static_cast<uint8_t>(FCur[i]);
      found = true;
    }
    // Advance the odometer before returning, so that the next call starts
    // with the next candidate.
    int k = n;
    while (k >= 1) {
      if (--FCur[k] >= FMinForm.AtCnt[k]) break;
      FCur[k] = FMaxForm.AtCnt[k];
      --k;
    }
    if (k < 1) FFindDone = true;
  }
  Repaint2();
  return found;
}

bool TMolForm::FindFormulaNominalMass(bool CheckValence) { return FindFormula(false, CheckValence); }
bool TMolForm::FindFormulaExactMass(bool CheckValence) { return FindFormula(true, CheckValence); }

int TMolForm::SmallFontSize() const { return static_cast<int>(std::lround(0.8 * Font().Size())) + 1; }

void TMolForm::AdjustHeight() {
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(Font());
  probe.Canvas().Font().SetSize(SmallFontSize());
  int h = 2 * probe.Canvas().TextHeight("M");
  if (h != Height()) SetHeight(h);
}

void TMolForm::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustHeight();
}

void TMolForm::DrawOn(TCanvas& C, int Left, int Top, int W, int H) {
  TFont saveFont;
  saveFont.Assign(C.Font());
  TBrushStyle saveBrush = C.Brush().Style();
  TColor saveBrushColor = C.Brush().Color();
  bool hadClip = C.HasClipRect();
  TRect saveClip = C.ClipRect();
  C.SetClipRect(Rect(Left, Top, Left + W, Top + H));
  if (!FTransparent) {
    C.Brush().SetStyle(bsSolid);
    C.Brush().SetColor(FColorBkg);
    C.FillRect(Rect(Left, Top, Left + W, Top + H));
  }
  C.Brush().SetStyle(bsClear);
  const int bigSize = Font().Size();
  const int smallSize = SmallFontSize();
  struct Piece {
    std::string Text;
    bool Small;
    int Y;
  };
  std::vector<Piece> pieces;
  if (FShowAsText) {
    pieces.push_back({FText, false, H / 5});
  } else {
    for (int i = 1; i <= FForm.NumAtoms; ++i) {
      int z = FForm.AtNum[i], w = FForm.AtWgt[i], n = FForm.AtCnt[i];
      if (n == 0) continue;
      bool asD = FUseDeut && z == 1 && w == 2;
      if (!asD && (FIsotVis == ivAlways || (FIsotVis == ivSpecial && w != IntAtWeight(z))))
        pieces.push_back({std::to_string(w), true, 0});
      pieces.push_back({asD ? std::string("D") : CElemSymb(z), false, H / 5});
      if (n > 1) pieces.push_back({std::to_string(n), true, H / 4 + smallSize});
    }
  }
  // Measure, then place the used width by the alignment.
  C.Font().Assign(Font());
  int x = 1;
  std::vector<int> widths;
  for (const Piece& p : pieces) {
    C.Font().SetSize(p.Small ? smallSize : bigSize);
    widths.push_back(C.TextWidth(p.Text));
    x += widths.back();
  }
  int x0;
  switch (FAlignment) {
    case taLeftJustify: x0 = 0; break;
    case taRightJustify: x0 = W - x; break;
    default: x0 = (W - x) / 2; break;
  }
  C.Font().SetColor(FColorTxt);
  int xp = Left + x0 + 1;
  for (size_t k = 0; k < pieces.size(); ++k) {
    C.Font().SetSize(pieces[k].Small ? smallSize : bigSize);
    C.TextOut(xp, Top + pieces[k].Y, pieces[k].Text);
    xp += widths[k];
  }
  C.Font().Assign(saveFont);
  C.Brush().SetColor(saveBrushColor);
  C.Brush().SetStyle(saveBrush);
  if (hadClip) C.SetClipRect(saveClip);
  else C.ResetClip();
}

void TMolForm::Paint() {
  DrawOn(Canvas(), 0, 0, Width(), Height());
  if (OnPaint) OnPaint(this);
}

}  // namespace zol
