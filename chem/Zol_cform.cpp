// Molecular formulas: parsing, weights, comparison, search by mass and painting.
#include "chem/Zol_cform.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

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
  FScanLen = Text.size();
  struct StopAt {  // records where reading ended, however the loop is left
    int& Pos;
    int& Stop;
    ~StopAt() { Stop = Pos; }
  } stopAt{pos, FScanStop};
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
    const int partStart = pos;
    bool stored = ScanNextFormPart(Text, pos, z, w, n) && FForm.NumAtoms < MaxFormulaEntries;
    long total = static_cast<long>(n) * mult;
    // A part that cannot be read, finds no room or whose count does not fit its byte ends reading.
    if (!stored || total > 255) {
      pos = partStart;
      break;
    }
    int k = ++FForm.NumAtoms;
    FForm.AtNum[k] = static_cast<uint8_t>(z);
    FForm.AtWgt[k] = static_cast<uint16_t>(w);
    FForm.AtCnt[k] = static_cast<uint8_t>(total);
  }
  Repaint2();
}

bool TMolForm::SetChemFormula(const std::string& Text) {
  TFormulaRec r;
  int err = 0;
  if (!ParseChemFormula(Text, r, err)) return false;
  FText = Text;
  FForm = r;
  FScanStop = static_cast<int>(Text.size()) + 1;
  FScanLen = Text.size();
  Repaint2();
  return true;
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

// ---------------------------------------------------------------- chemists' notation
namespace {

struct FormulaParser {
  const std::string& T;
  size_t P = 0;
  bool Fail = false;

  void SkipBlanks() {
    while (P < T.size() && (T[P] == ' ' || T[P] == '\t')) ++P;
  }
  bool AtDigit() const { return P < T.size() && T[P] >= '0' && T[P] <= '9'; }
  // A decimal number of at most 4 digits (the counts and mass numbers of formulas).
  long Number() {
    long v = 0;
    int digits = 0;
    while (AtDigit()) {
      if (digits++ == 4) {
        Fail = true;
        return 0;
      }
      v = v * 10 + (T[P++] - '0');
    }
    return v;
  }
  // An optional count after a symbol or group: at least 1.
  long Count() {
    SkipBlanks();
    if (!AtDigit()) return 1;
    long n = Number();
    if (n < 1) Fail = true;
    return n;
  }
  bool AtSeparator() const {
    if (P >= T.size()) return false;
    if (T[P] == '.' || T[P] == '*') return true;
    return T.compare(P, 2, "\xC2\xB7") == 0;  // the middle dot
  }
  void Add(int z, int mass, long n, std::vector<std::pair<std::pair<int, int>, long>>& into) {
    for (auto& e : into)
      if (e.first == std::make_pair(z, mass)) {
        e.second += n;
        return;
      }
    into.push_back({{z, mass}, n});
  }
  // An element symbol: a capital and an optional small letter; D and T are hydrogen isotopes.
  bool Symbol(int& z, int& mass) {
    if (P >= T.size() || T[P] < 'A' || T[P] > 'Z') return false;
    std::string two = T.substr(P, 2), one = T.substr(P, 1);
    if (two.size() == 2 && two[1] >= 'a' && two[1] <= 'z' && AtomicNumber(two) > 0) {
      z = AtomicNumber(two);
      P += 2;
    } else if (one == "D" || one == "T") {
      z = 1;
      mass = one == "D" ? 2 : 3;
      ++P;
      return true;
    } else if (AtomicNumber(one) > 0) {
      z = AtomicNumber(one);
      ++P;
    } else {
      return false;
    }
    mass = IntAtWeight(z);
    return true;
  }
  // A sequence of atoms and groups up to a closing bracket, a separator or the end.
  std::vector<std::pair<std::pair<int, int>, long>> Sequence(int depth) {
    std::vector<std::pair<std::pair<int, int>, long>> out;
    for (;;) {
      SkipBlanks();
      if (Fail || P >= T.size() || T[P] == ')' || T[P] == ']' || AtSeparator()) break;
      char c = T[P];
      if (c == '[' && P + 1 < T.size() && T[P + 1] >= '0' && T[P + 1] <= '9') {
        // An isotope: [mass Symbol]
        ++P;
        long mass = Number();
        int z = 0, m = 0;
        if (Fail || mass < 1 || !Symbol(z, m) || P >= T.size() || T[P] != ']') {
          Fail = true;
          break;
        }
        ++P;
        long n = Count();
        Add(z, static_cast<int>(mass), n, out);
      } else if (c == '(' || c == '[') {
        if (depth >= 16) {
          Fail = true;
          break;
        }
        char close = c == '(' ? ')' : ']';
        ++P;
        auto inner = Sequence(depth + 1);
        SkipBlanks();
        if (Fail || inner.empty() || P >= T.size() || T[P] != close) {
          Fail = true;
          break;
        }
        ++P;
        long n = Count();
        for (auto& e : inner) Add(e.first.first, e.first.second, e.second * n, out);
      } else {
        int z = 0, m = 0;
        if (!Symbol(z, m)) {
          Fail = true;
          break;
        }
        long n = Count();
        Add(z, m, n, out);
      }
      for (auto& e : out)
        if (e.second > 255) Fail = true;
    }
    return out;
  }
};

}  // namespace

bool ParseChemFormula(const std::string& Text, TFormulaRec& Formula, int& ErrorPos) {
  Formula = TFormulaRec();
  ErrorPos = 0;
  FormulaParser p{Text};
  std::vector<std::pair<std::pair<int, int>, long>> all;
  bool first = true;
  for (;;) {
    p.SkipBlanks();
    if (!first) {
      if (!p.AtSeparator()) break;
      p.P += Text[p.P] == '.' || Text[p.P] == '*' ? 1 : 2;
      p.SkipBlanks();
    }
    first = false;
    long mult = 1;
    if (p.AtDigit()) {  // "5H2O"
      mult = p.Number();
      if (mult < 1) p.Fail = true;
    }
    auto part = p.Sequence(0);
    if (p.Fail || part.empty()) {
      p.Fail = true;
      break;
    }
    for (auto& e : part) p.Add(e.first.first, e.first.second, e.second * mult, all);
  }
  for (auto& e : all)
    if (e.second > 255) p.Fail = true;
  if (!p.Fail && p.P < Text.size()) p.Fail = true;  // something the notation does not cover
  if (!p.Fail && all.size() > static_cast<size_t>(MaxFormulaEntries)) p.Fail = true;
  if (p.Fail || all.empty()) {
    ErrorPos = static_cast<int>(std::min(p.P, Text.size())) + 1;
    return false;
  }
  Formula.NumAtoms = static_cast<int32_t>(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    Formula.AtNum[i + 1] = static_cast<uint8_t>(all[i].first.first);
    Formula.AtWgt[i + 1] = static_cast<uint16_t>(all[i].first.second);
    Formula.AtCnt[i + 1] = static_cast<uint8_t>(all[i].second);
  }
  return true;
}

}  // namespace zol
