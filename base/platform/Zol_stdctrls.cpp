#include "base/platform/Zol_stdctrls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/platform/Zol_clipbrd.h"
#include "base/platform/Zol_forms.h"

namespace zol {

namespace {

template <class F, class... A>
void Fire(const F& handler, A&&... args) {
  if (handler) {
    F copy = handler;  // the handler may free its sender
    copy(std::forward<A>(args)...);
  }
}

bool IsCont(unsigned char b) { return (b & 0xC0) == 0x80; }

void Fill(TCanvas& c, const TRect& r, TColor col) {
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(col);
  c.FillRect(r);
}

// Text height of the canvas' current font.
int LineH(TCanvas& c) { return c.TextHeight("Ag"); }

void PlainText(TCanvas& c, int x, int y, const std::string& s, TColor col) {
  c.Brush().SetStyle(bsClear);
  c.Font().SetColor(col);
  c.TextOut(x, y, s);
}

bool AsciiStartsWith(const std::string& s, const std::string& prefix) {
  if (prefix.size() > s.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(prefix[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

// The next item after From (cyclic) whose text starts with Prefix; −1 when none.
int FindPrefix(const TStringList& items, const std::string& prefix, int from) {
  int n = items.Count();
  for (int k = 1; k <= n; ++k) {
    int i = ((from + k) % n + n) % n;
    if (AsciiStartsWith(items.Strings(i), prefix)) return i;
  }
  return -1;
}

}  // namespace

// ---------------------------------------------------------------- drawing helpers
void Frame3D(TCanvas& c, TRect& r, TColor top, TColor bottom, int width) {
  for (int i = 0; i < width && !r.IsEmpty(); ++i) {
    Fill(c, Rect(r.Left, r.Top, r.Right - 1, r.Top + 1), top);
    Fill(c, Rect(r.Left, r.Top, r.Left + 1, r.Bottom - 1), top);
    Fill(c, Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottom);
    Fill(c, Rect(r.Right - 1, r.Top, r.Right, r.Bottom), bottom);
    InflateRect(r, -1, -1);
  }
}

void DrawFocusRect(TCanvas& c, const TRect& r) {
  if (r.IsEmpty()) return;
  auto inv = [&c](int x, int y) {
    if (((x + y) & 1) != 0) return;
    TColor p = c.Pixels(x, y);
    if (p == clOutside) return;
    c.SetPixel(x, y, ColorToRGB(p) ^ 0xFFFFFF);
  };
  for (int x = r.Left; x < r.Right; ++x) {
    inv(x, r.Top);
    if (r.Bottom - 1 > r.Top) inv(x, r.Bottom - 1);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    inv(r.Left, y);
    if (r.Right - 1 > r.Left) inv(r.Right - 1, y);
  }
}

TRect DrawButtonFace(TCanvas& c, const TRect& rect, bool pressed) {
  TRect r = rect;
  Fill(c, r, clBtnFace);
  if (pressed) {
    Frame3D(c, r, cl3DDkShadow, clBtnHighlight, 1);
    Frame3D(c, r, clBtnShadow, cl3DLight, 1);
  } else {
    Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(c, r, cl3DLight, clBtnShadow, 1);
  }
  return r;
}

TRect DrawSunkenField(TCanvas& c, const TRect& rect, TColor fill) {
  TRect r = rect;
  Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
  Frame3D(c, r, cl3DDkShadow, cl3DLight, 1);
  if (!r.IsEmpty()) Fill(c, r, fill);
  return r;
}

void DrawArrow(TCanvas& c, const TRect& r, int dir, TColor color) {
  int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(color);
  for (int k = 0; k < 4; ++k) {
    switch (dir) {
      case 0: c.FillRect(Rect(cx - 3 + k, cy - 2 + k, cx + 4 - k, cy - 1 + k)); break;
      case 1: c.FillRect(Rect(cx - 3 + k, cy + 1 - k, cx + 4 - k, cy + 2 - k)); break;
      case 2: c.FillRect(Rect(cx + 1 - k, cy - 3 + k, cx + 2 - k, cy + 4 - k)); break;
      default: c.FillRect(Rect(cx - 2 + k, cy - 3 + k, cx - 1 + k, cy + 4 - k)); break;
    }
  }
}

TForm* GetParentForm(TControl* control) {
  for (TControl* c = control; c; c = c->Parent())
    if (auto* f = dynamic_cast<TForm*>(c)) return f;
  return nullptr;
}

// ---------------------------------------------------------------- scroll bars
int TScrollBarState::MaxPos() const { return std::max(Min, Max - std::max(Page, 1) + 1); }

namespace {
struct BarGeom {
  int Start = 0, Thick = 0, Len = 0;  // along the bar
  int Arrow = 0, TrackStart = 0, TrackLen = 0, ThumbLen = 0, ThumbOff = 0;
};

BarGeom Geometry(const TScrollBarState& s, const TRect& R) {
  BarGeom g;
  bool v = s.Kind == sbVertical;
  g.Start = v ? R.Top : R.Left;
  g.Len = v ? R.Height() : R.Width();
  g.Thick = v ? R.Width() : R.Height();
  g.Arrow = std::min(g.Thick, g.Len / 2);
  g.TrackStart = g.Start + g.Arrow;
  g.TrackLen = std::max(0, g.Len - 2 * g.Arrow);
  long long range = static_cast<long long>(s.Max) - s.Min + 1;
  if (s.Page > 0) {
    g.ThumbLen = range <= s.Page ? g.TrackLen
                                 : static_cast<int>(std::max<long long>(8, g.TrackLen * static_cast<long long>(s.Page) / range));
  } else {
    g.ThumbLen = g.Thick;
  }
  if (g.ThumbLen > g.TrackLen || !s.Enabled || s.Max <= s.Min) g.ThumbLen = g.ThumbLen > g.TrackLen ? 0 : g.ThumbLen;
  long long span = static_cast<long long>(s.MaxPos()) - s.Min;
  int room = g.TrackLen - g.ThumbLen;
  g.ThumbOff = span > 0 ? static_cast<int>(room * (static_cast<long long>(std::clamp(s.Position, s.Min, s.MaxPos())) - s.Min) / span) : 0;
  return g;
}
}  // namespace

TRect TScrollBarState::ThumbRect(const TRect& R) const {
  BarGeom g = Geometry(*this, R);
  if (g.ThumbLen <= 0 || !Enabled || Max <= Min) return TRect();
  int a = g.TrackStart + g.ThumbOff;
  return Kind == sbVertical ? Rect(R.Left, a, R.Right, a + g.ThumbLen) : Rect(a, R.Top, a + g.ThumbLen, R.Bottom);
}

void TScrollBarState::Paint(TCanvas& c, const TRect& R) const {
  if (R.IsEmpty()) return;
  BarGeom g = Geometry(*this, R);
  Fill(c, R, clScrollBar);
  bool v = Kind == sbVertical;
  TRect a1 = v ? Rect(R.Left, R.Top, R.Right, R.Top + g.Arrow) : Rect(R.Left, R.Top, R.Left + g.Arrow, R.Bottom);
  TRect a2 = v ? Rect(R.Left, R.Bottom - g.Arrow, R.Right, R.Bottom) : Rect(R.Right - g.Arrow, R.Top, R.Right, R.Bottom);
  bool live = Enabled && Max > Min;
  TColor ac = live ? clBtnText : clGrayText;
  TRect in1 = DrawButtonFace(c, a1, false);
  DrawArrow(c, in1, v ? 1 : 2, ac);
  TRect in2 = DrawButtonFace(c, a2, false);
  DrawArrow(c, in2, v ? 0 : 3, ac);
  TRect t = ThumbRect(R);
  if (!t.IsEmpty()) DrawButtonFace(c, t, false);
}

int TScrollBarState::HitTest(const TRect& R, TPoint P) const {
  if (!PtInRect(R, P)) return -1;
  BarGeom g = Geometry(*this, R);
  int a = Kind == sbVertical ? P.Y : P.X;
  if (a < g.Start + g.Arrow) return scLineUp;
  if (a >= g.Start + g.Len - g.Arrow) return scLineDown;
  TRect t = ThumbRect(R);
  if (t.IsEmpty()) return scPageDown;
  int t0 = Kind == sbVertical ? t.Top : t.Left, t1 = Kind == sbVertical ? t.Bottom : t.Right;
  if (a < t0) return scPageUp;
  if (a >= t1) return scPageDown;
  return scTrack;
}

int TScrollBarState::PositionAt(const TRect& R, int offset) const {
  BarGeom g = Geometry(*this, R);
  int room = g.TrackLen - g.ThumbLen;
  long long span = static_cast<long long>(MaxPos()) - Min;
  if (room <= 0 || span <= 0) return Min;
  offset = std::clamp(offset, 0, room);
  return static_cast<int>(Min + (offset * span + room / 2) / room);
}

int TScrollBarTracker::Apply(const TScrollBarState& s, int code, int pos) {
  long long p = pos;
  switch (code) {
    case scLineUp: p -= s.SmallChange; break;
    case scLineDown: p += s.SmallChange; break;
    case scPageUp: p -= std::max(s.LargeChange, s.Page > 0 ? s.Page : 1); break;
    case scPageDown: p += std::max(s.LargeChange, s.Page > 0 ? s.Page : 1); break;
    case scTop: p = s.Min; break;
    case scBottom: p = s.MaxPos(); break;
    default: break;
  }
  return static_cast<int>(std::clamp<long long>(p, s.Min, s.MaxPos()));
}

bool TScrollBarTracker::Press(const TScrollBarState& s, const TRect& R, TPoint P, int& NewPos) {
  int code = s.HitTest(R, P);
  if (code < 0) return false;
  NewPos = s.Position;
  if (!s.Enabled || s.Max <= s.Min) return true;
  if (code == scTrack) {
    TRect t = s.ThumbRect(R);
    FTracking = true;
    FGrab = s.Kind == sbVertical ? P.Y - t.Top : P.X - t.Left;
  } else {
    NewPos = Apply(s, code, s.Position);
  }
  return true;
}

bool TScrollBarTracker::Move(const TScrollBarState& s, const TRect& R, TPoint P, int& NewPos) {
  if (!FTracking) return false;
  BarGeom g = Geometry(s, R);
  int a = (s.Kind == sbVertical ? P.Y : P.X) - g.TrackStart - FGrab;
  NewPos = s.PositionAt(R, a);
  return true;
}

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 17);
  FState.Kind = sbHorizontal;
  FState.Max = 100;
}

void TScrollBar::SetKind(TScrollBarKind v) {
  if (v == FState.Kind) return;
  FState.Kind = v;
  SetBounds(Left(), Top(), Height(), Width());
}

void TScrollBar::SetPageSize(int v) {
  v = std::max(0, v);
  if (v == FState.Page) return;
  FState.Page = v;
  SetParams(FState.Position, FState.Min, FState.Max);
  Invalidate();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin) AMax = AMin;
  FState.Min = AMin;
  FState.Max = AMax;
  int p = std::clamp(APosition, AMin, FState.MaxPos());
  bool moved = p != FState.Position;
  FState.Position = p;
  Invalidate();
  if (moved) Fire(OnChange, this);
}

void TScrollBar::Scroll(TScrollCode code, int pos) {
  int p = pos;
  if (OnScroll) {
    TScrollEvent h = OnScroll;
    h(this, code, p);
  }
  SetPosition(p);
}

void TScrollBar::Paint() {
  FState.Enabled = IsEnabledChain();
  FState.Paint(Canvas(), ClientRect());
  if (Focused()) {
    TRect t = FState.ThumbRect(ClientRect());
    InflateRect(t, -2, -2);
    DrawFocusRect(Canvas(), t);
  }
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  int p;
  int code = FState.HitTest(ClientRect(), Point(X, Y));
  if (FTracker.Press(FState, ClientRect(), Point(X, Y), p) && code != scTrack) Scroll(static_cast<TScrollCode>(code), p);
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  int p;
  if (FTracker.Move(FState, ClientRect(), Point(X, Y), p)) Scroll(scTrack, p);
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FTracker.Tracking()) {
    FTracker.Release();
    Scroll(scPosition, FState.Position);
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBar::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int code = -1;
  bool v = FState.Kind == sbVertical;
  switch (Key) {
    case VK_UP: if (v) code = scLineUp; break;
    case VK_LEFT: if (!v) code = scLineUp; break;
    case VK_DOWN: if (v) code = scLineDown; break;
    case VK_RIGHT: if (!v) code = scLineDown; break;
    case VK_PRIOR: code = scPageUp; break;
    case VK_NEXT: code = scPageDown; break;
    case VK_HOME: code = scTop; break;
    case VK_END: code = scBottom; break;
    default: break;
  }
  if (code < 0) return;
  Key = 0;
  Scroll(static_cast<TScrollCode>(code), TScrollBarTracker::Apply(FState, code, FState.Position));
}

// ---------------------------------------------------------------- TEditBuffer
int TEditBuffer::Snap(int pos) const {
  pos = std::clamp(pos, 0, static_cast<int>(Text.size()));
  while (pos > 0 && pos < static_cast<int>(Text.size()) && IsCont(static_cast<unsigned char>(Text[pos]))) --pos;
  return pos;
}

int TEditBuffer::PrevChar(int pos) const {
  if (pos <= 0) return 0;
  --pos;
  while (pos > 0 && IsCont(static_cast<unsigned char>(Text[pos]))) --pos;
  return pos;
}

int TEditBuffer::NextChar(int pos) const {
  int n = static_cast<int>(Text.size());
  if (pos >= n) return n;
  ++pos;
  while (pos < n && IsCont(static_cast<unsigned char>(Text[pos]))) ++pos;
  return pos;
}

namespace {
bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }
}  // namespace

int TEditBuffer::PrevWord(int pos) const {
  while (pos > 0 && IsBlank(Text[pos - 1])) --pos;
  while (pos > 0 && !IsBlank(Text[pos - 1])) --pos;
  return pos;
}

int TEditBuffer::NextWord(int pos) const {
  int n = static_cast<int>(Text.size());
  while (pos < n && !IsBlank(Text[pos])) ++pos;
  while (pos < n && IsBlank(Text[pos])) ++pos;
  return pos;
}

int TEditBuffer::LineStart(int pos) const {
  while (pos > 0 && Text[pos - 1] != '\n') --pos;
  return pos;
}

int TEditBuffer::LineEnd(int pos) const {
  int n = static_cast<int>(Text.size());
  while (pos < n && Text[pos] != '\n') ++pos;
  return pos;
}

void TEditBuffer::MoveCaret(int pos, bool Extend) {
  Caret = Snap(pos);
  if (!Extend) Anchor = Caret;
}

bool TEditBuffer::DeleteSelection() {
  if (SelLength() == 0) return false;
  int s = SelStart();
  Text.erase(s, SelLength());
  Caret = Anchor = s;
  return true;
}

bool TEditBuffer::Insert(const std::string& s, int MaxLength) {
  std::string ins = s;
  if (MaxLength > 0) {
    long long room = MaxLength - (static_cast<long long>(Text.size()) - SelLength());
    if (room <= 0) return false;
    if (static_cast<long long>(ins.size()) > room) ins = Utf8Truncate(ins, static_cast<size_t>(room));
    if (ins.empty() && !s.empty()) return false;
  }
  bool changed = DeleteSelection();
  Text.insert(Caret, ins);
  Caret += static_cast<int>(ins.size());
  Anchor = Caret;
  return changed || !ins.empty();
}

// ---------------------------------------------------------------- TCustomEdit
TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetCursor(crIBeam);
  SetBounds(0, 0, 121, 21);
  FBlink = std::make_unique<TTimer>(nullptr);
  FBlink->SetEnabled(false);
  FBlink->SetInterval(500);
  FBlink->OnTimer = [this](TObject*) {
    FBlinkOn = !FBlinkOn;
    Invalidate();
  };
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::SetText(const std::string& v) {
  if (v == FBuf.Text) return;
  FBuf.Text = v;
  FBuf.Caret = FBuf.Anchor = 0;
  FScrollX = 0;
  Invalidate();
  Change();
}

void TCustomEdit::SetMaxLength(int v) { FMaxLength = std::max(0, v); }

void TCustomEdit::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  Invalidate();
}

void TCustomEdit::SetPasswordChar(char v) {
  if (v == FPasswordChar) return;
  FPasswordChar = v;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  Invalidate();
}

void TCustomEdit::SetHideSelection(bool v) {
  if (v == FHideSelection) return;
  FHideSelection = v;
  Invalidate();
}

void TCustomEdit::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCustomEdit::SetSelStart(int v) {
  FBuf.MoveCaret(v, false);
  ScrollCaretIntoView();
  Invalidate();
}

void TCustomEdit::SetSelLength(int v) {
  int s = FBuf.SelStart();
  FBuf.Anchor = s;
  FBuf.Caret = FBuf.Snap(s + std::max(0, v));
  ScrollCaretIntoView();
  Invalidate();
}

void TCustomEdit::SetSelText(const std::string& v) {
  if (FBuf.Insert(v, 0)) {
    ScrollCaretIntoView();
    Invalidate();
    Change();
  }
}

void TCustomEdit::SelectAll() {
  FBuf.Anchor = 0;
  FBuf.Caret = static_cast<int>(FBuf.Text.size());
  Invalidate();
}

void TCustomEdit::ClearSelection() {
  if (FBuf.DeleteSelection()) {
    Invalidate();
    Change();
  }
}

void TCustomEdit::SaveUndo() {
  FUndo = FBuf;
  FHasUndo = true;
  FTypingRun = false;
}

void TCustomEdit::Undo() {
  if (!FHasUndo || !CanModify()) return;
  std::swap(FBuf, FUndo);  // a second undo redoes
  FTypingRun = false;
  FBuf.Caret = FBuf.Snap(FBuf.Caret);
  FBuf.Anchor = FBuf.Snap(FBuf.Anchor);
  ScrollCaretIntoView();
  Invalidate();
  Change();
}

void TCustomEdit::CopyToClipboard() {
  if (FPasswordChar || FBuf.SelLength() == 0) return;
  Clipboard().SetAsText(FBuf.SelText());
}

void TCustomEdit::CutToClipboard() {
  if (FPasswordChar || !CanModify() || FBuf.SelLength() == 0) return;
  CopyToClipboard();
  SaveUndo();
  ClearSelection();
}

void TCustomEdit::PasteFromClipboard() {
  if (!CanModify() || !Clipboard().HasFormat(CF_TEXT)) return;
  std::string t = Clipboard().AsText();
  if (dynamic_cast<TMemo*>(this) == nullptr) {
    // A single-line field takes the first line.
    size_t e = t.find_first_of("\r\n");
    if (e != std::string::npos) t.erase(e);
  } else {
    std::string u;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '\r') {
        u += '\n';
        if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
      } else {
        u += t[i];
      }
    }
    t = u;
  }
  TEditBuffer before = FBuf;
  if (FBuf.Insert(t, FMaxLength)) {
    FUndo = before;
    FHasUndo = true;
    FTypingRun = false;
    ScrollCaretIntoView();
    Invalidate();
    Change();
  }
}

bool TCustomEdit::CaretShowing() const { return Focused() && FBlinkOn && IsEnabledChain(); }

void TCustomEdit::Change() {
  FModified = true;
  Fire(OnChange, this);
}

std::string TCustomEdit::DisplayText() const {
  if (!FPasswordChar) return FBuf.Text;
  int n = 0;
  for (unsigned char ch : FBuf.Text)
    if (!IsCont(ch)) ++n;
  return std::string(n, FPasswordChar);
}

int TCustomEdit::DisplayPos(int pos) const {
  if (!FPasswordChar) return pos;
  int n = 0;
  for (int i = 0; i < pos && i < static_cast<int>(FBuf.Text.size()); ++i)
    if (!IsCont(static_cast<unsigned char>(FBuf.Text[i]))) ++n;
  return n;
}

int TCustomEdit::TextPos(int dp) const {
  if (!FPasswordChar) return dp;
  int pos = 0;
  for (int k = 0; k < dp; ++k) pos = FBuf.NextChar(pos);
  return pos;
}

TRect TCustomEdit::TextArea() const {
  int b = FBorderStyle == bsSingle ? 2 : 0;
  return Rect(b + 1, b, std::max(b + 1, Width() - b - 1), std::max(b, Height() - b));
}

namespace {
// The x of the text's start in a single-line field.
int TextOrigin(TCustomEdit& e, TCanvas& c, const TRect& ta, const std::string& disp, TAlignment al, int scroll) {
  int w = c.TextWidth(disp);
  if (w < ta.Width()) {
    if (al == taRightJustify) return ta.Right - w;
    if (al == taCenter) return ta.Left + (ta.Width() - w) / 2;
  }
  (void)e;
  return ta.Left - scroll;
}
}  // namespace

int TCustomEdit::CaretX() {
  TCanvas& c = SurfaceCanvas();
  c.Font().Assign(Font());
  std::string disp = DisplayText();
  int x0 = TextOrigin(*this, c, TextArea(), disp, FAlignment, FScrollX);
  return x0 + c.TextWidth(disp.substr(0, DisplayPos(FBuf.Caret)));
}

int TCustomEdit::PositionAt(int X) {
  TCanvas& c = SurfaceCanvas();
  c.Font().Assign(Font());
  std::string disp = DisplayText();
  int x0 = TextOrigin(*this, c, TextArea(), disp, FAlignment, FScrollX);
  // The character boundary nearest to X.
  int best = 0, bestD = 1 << 30;
  int pos = 0;
  for (;;) {
    int x = x0 + c.TextWidth(disp.substr(0, pos));
    int d = std::abs(x - X);
    if (d < bestD) {
      bestD = d;
      best = pos;
    }
    if (pos >= static_cast<int>(disp.size()) || x > X) break;
    int np = pos + 1;
    while (np < static_cast<int>(disp.size()) && IsCont(static_cast<unsigned char>(disp[np]))) ++np;
    pos = np;
  }
  return TextPos(best);
}

void TCustomEdit::ScrollCaretIntoView() {
  TCanvas& c = SurfaceCanvas();
  c.Font().Assign(Font());
  std::string disp = DisplayText();
  int w = TextArea().Width();
  int total = c.TextWidth(disp);
  int cx = c.TextWidth(disp.substr(0, DisplayPos(FBuf.Caret)));
  if (total < w) {
    FScrollX = 0;
    return;
  }
  if (cx - FScrollX < 0) FScrollX = cx;
  if (cx - FScrollX > w - 1) FScrollX = cx - w + 1;
  if (FScrollX > 0 && total - FScrollX < w - 1) FScrollX = std::max(0, total - w + 1);
}

void TCustomEdit::RestartBlink() {
  FBlinkOn = true;
  if (Focused()) {
    FBlink->SetEnabled(false);
    FBlink->SetEnabled(true);
  }
  Invalidate();
}

void TCustomEdit::PaintText(TCanvas& c, bool showSel, bool showCaret) {
  TRect ta = TextArea();
  std::string disp = DisplayText();
  int th = LineH(c);
  int x0 = TextOrigin(*this, c, ta, disp, FAlignment, FScrollX);
  int y = ta.Top + (ta.Height() - th) / 2;
  TColor tc = IsEnabledChain() ? Font().Color() : clGrayText;
  c.SetClipRect(ta);
  PlainText(c, x0, y, disp, tc);
  int ds = DisplayPos(FBuf.SelStart()), de = DisplayPos(FBuf.SelStart() + FBuf.SelLength());
  if (showSel && de > ds) {
    int sx = x0 + c.TextWidth(disp.substr(0, ds));
    std::string part = disp.substr(ds, de - ds);
    Fill(c, Rect(sx, y, sx + c.TextWidth(part), y + th), clHighlight);
    PlainText(c, sx, y, part, clHighlightText);
  }
  if (showCaret) {
    int cx = x0 + c.TextWidth(disp.substr(0, DisplayPos(FBuf.Caret)));
    Fill(c, Rect(cx, y, cx + 1, y + th), clWindowText);
  }
  c.ResetClip();
}

void TCustomEdit::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  TColor bg = IsEnabledChain() ? Color() : clBtnFace;
  if (FBorderStyle == bsSingle) DrawSunkenField(c, ClientRect(), bg);
  else Fill(c, ClientRect(), bg);
  bool foc = Focused();
  PaintText(c, foc || !FHideSelection, CaretShowing());
  Fire(OnPaint, this);
}

void TCustomEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  EditKey(Key, Shift);
}

void TCustomEdit::EditKey(uint16_t& Key, TShiftState Shift) {
  bool ext = (Shift & ssShift) != 0, ctrl = (Shift & ssCtrl) != 0;
  bool changed = false, handled = true;
  TEditBuffer before = FBuf;
  switch (Key) {
    case VK_LEFT:
      if (!ext && FBuf.SelLength() > 0 && !ctrl) FBuf.MoveCaret(FBuf.SelStart(), false);
      else FBuf.MoveCaret(ctrl ? FBuf.PrevWord(FBuf.Caret) : FBuf.PrevChar(FBuf.Caret), ext);
      break;
    case VK_RIGHT:
      if (!ext && FBuf.SelLength() > 0 && !ctrl) FBuf.MoveCaret(FBuf.SelStart() + FBuf.SelLength(), false);
      else FBuf.MoveCaret(ctrl ? FBuf.NextWord(FBuf.Caret) : FBuf.NextChar(FBuf.Caret), ext);
      break;
    case VK_HOME: FBuf.MoveCaret(0, ext); break;
    case VK_END: FBuf.MoveCaret(static_cast<int>(FBuf.Text.size()), ext); break;
    case VK_BACK:
      if (!CanModify()) break;
      if (FBuf.SelLength() == 0) FBuf.MoveCaret(ctrl ? FBuf.PrevWord(FBuf.Caret) : FBuf.PrevChar(FBuf.Caret), true);
      changed = FBuf.DeleteSelection();
      break;
    case VK_DELETE:
      if (ext) {
        CutToClipboard();
        break;
      }
      if (!CanModify()) break;
      if (FBuf.SelLength() == 0) FBuf.MoveCaret(ctrl ? FBuf.NextWord(FBuf.Caret) : FBuf.NextChar(FBuf.Caret), true);
      changed = FBuf.DeleteSelection();
      break;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (ext) PasteFromClipboard();
      else handled = false;
      break;
    case 'A':
      if (ctrl) SelectAll();
      else handled = false;
      break;
    case 'C':
      if (ctrl) CopyToClipboard();
      else handled = false;
      break;
    case 'X':
      if (ctrl) CutToClipboard();
      else handled = false;
      break;
    case 'V':
      if (ctrl) PasteFromClipboard();
      else handled = false;
      break;
    case 'Z':
      if (ctrl) Undo();
      else handled = false;
      break;
    default: handled = false; break;
  }
  if (Key == VK_BACK && (Shift & ssAlt)) {
    FBuf = before;
    changed = false;
    Undo();
  }
  if (!handled) return;
  FTypingRun = false;
  if (changed) {
    FUndo = before;
    FHasUndo = true;
  }
  Key = 0;
  ScrollCaretIntoView();
  RestartBlink();
  if (changed) Change();
}

void TCustomEdit::KeyPressText(std::string& Text) {
  TCustomControl::KeyPressText(Text);
  if (Text.empty()) return;
  unsigned char ch = static_cast<unsigned char>(Text[0]);
  if (ch < 0x20 || ch == 0x7F) return;  // control characters are keys, not text
  if (!CanModify()) return;
  TEditBuffer before = FBuf;
  if (FBuf.Insert(Text, FMaxLength)) {
    if (!FTypingRun) {
      FUndo = before;
      FHasUndo = true;
    }
    FTypingRun = true;
    ScrollCaretIntoView();
    RestartBlink();
    Change();
  }
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (!Focused() && CanFocus()) SetFocus();
  if (Shift & ssDouble) return;  // the double click selected a word
  FTypingRun = false;
  FBuf.MoveCaret(PositionAt(X), (Shift & ssShift) != 0);
  FSelecting = true;
  ScrollCaretIntoView();
  RestartBlink();
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FSelecting || !(Shift & ssLeft)) return;
  FBuf.MoveCaret(PositionAt(X), true);
  ScrollCaretIntoView();
  Invalidate();
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FSelecting = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomEdit::DblClick() {
  TCustomControl::DblClick();
  int p = FBuf.Caret;
  int s = p, e = p;
  while (s > 0 && !IsBlank(FBuf.Text[s - 1])) --s;
  while (e < static_cast<int>(FBuf.Text.size()) && !IsBlank(FBuf.Text[e])) ++e;
  FBuf.Anchor = s;
  FBuf.Caret = e;
  FSelecting = false;
  Invalidate();
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect && dynamic_cast<TMemo*>(this) == nullptr) SelectAll();
  FBlink->SetEnabled(true);
  FBlinkOn = true;
  Invalidate();
  TCustomControl::DoEnter();
}

void TCustomEdit::DoExit() {
  FBlink->SetEnabled(false);
  FBlinkOn = true;
  FSelecting = false;
  Invalidate();
  TCustomControl::DoExit();
}

// ---------------------------------------------------------------- TMemo
TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 89);
  FAutoSelect = false;
  FLines->OnChange = [this](TObject*) { LinesChanged(); };
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

void TMemo::LinesChanged() {
  if (FSyncing) return;
  std::string t;
  for (int i = 0; i < FLines->Count(); ++i) {
    if (i) t += '\n';
    for (char ch : FLines->Strings(i))
      if (ch != '\r' && ch != '\n') t += ch;
  }
  if (t == FBuf.Text) return;
  FBuf.Text = t;
  FBuf.Caret = FBuf.Anchor = 0;
  FTopLine = 0;
  FScrollX = 0;
  Invalidate();
  TCustomEdit::Change();
}

void TMemo::Change() {
  FSyncing = true;
  FLines->BeginUpdate();
  FLines->Clear();
  size_t s = 0;
  if (!FBuf.Text.empty()) {
    for (;;) {
      size_t e = FBuf.Text.find('\n', s);
      FLines->Add(FBuf.Text.substr(s, e == std::string::npos ? std::string::npos : e - s));
      if (e == std::string::npos) break;
      s = e + 1;
    }
  }
  FLines->EndUpdate();
  FSyncing = false;
  TCustomEdit::Change();
}

int TMemo::CaretLine() const {
  return static_cast<int>(std::count(FBuf.Text.begin(), FBuf.Text.begin() + FBuf.Caret, '\n'));
}

int TMemo::CaretColumn() const { return FBuf.Caret - FBuf.LineStart(FBuf.Caret); }

int TMemo::LineHeight() {
  TCanvas& c = SurfaceCanvas();
  c.Font().Assign(Font());
  return std::max(1, LineH(c));
}

namespace {
// Start of line `line` in text (the end when there are fewer lines).
int LineStartOf(const std::string& t, int line) {
  int pos = 0;
  for (int k = 0; k < line; ++k) {
    size_t e = t.find('\n', pos);
    if (e == std::string::npos) return static_cast<int>(t.size());
    pos = static_cast<int>(e) + 1;
  }
  return pos;
}
int LineCount(const std::string& t) { return static_cast<int>(std::count(t.begin(), t.end(), '\n')) + 1; }
}  // namespace

int TMemo::PositionAtXY(int X, int Y) {
  TRect ta = TextArea();
  int lh = LineHeight();
  int line = FTopLine + (Y - ta.Top) / lh;
  if (Y < ta.Top) line = FTopLine - 1;
  line = std::clamp(line, 0, LineCount(FBuf.Text) - 1);
  int s = LineStartOf(FBuf.Text, line), e = FBuf.LineEnd(s);
  TCanvas& c = SurfaceCanvas();
  std::string l = FBuf.Text.substr(s, e - s);
  int x0 = ta.Left - FScrollX;
  int best = 0, bestD = 1 << 30;
  for (int p = 0;;) {
    int x = x0 + c.TextWidth(l.substr(0, p));
    if (std::abs(x - X) < bestD) {
      bestD = std::abs(x - X);
      best = p;
    }
    if (p >= static_cast<int>(l.size()) || x > X) break;
    ++p;
    while (p < static_cast<int>(l.size()) && IsCont(static_cast<unsigned char>(l[p]))) ++p;
  }
  return s + best;
}

void TMemo::ScrollToCaret() {
  TRect ta = TextArea();
  int lh = LineHeight();
  int n = std::max(1, ta.Height() / lh);
  int line = CaretLine();
  if (line < FTopLine) FTopLine = line;
  if (line >= FTopLine + n) FTopLine = line - n + 1;
  TCanvas& c = SurfaceCanvas();
  int s = FBuf.LineStart(FBuf.Caret);
  int cx = c.TextWidth(FBuf.Text.substr(s, FBuf.Caret - s));
  int w = ta.Width();
  if (cx - FScrollX < 0) FScrollX = cx;
  if (cx - FScrollX > w - 1) FScrollX = cx - w + 1;
}

void TMemo::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  TColor bg = IsEnabledChain() ? Color() : clBtnFace;
  if (FBorderStyle == bsSingle) DrawSunkenField(c, ClientRect(), bg);
  else Fill(c, ClientRect(), bg);
  TRect ta = TextArea();
  int lh = std::max(1, LineH(c));
  TColor tc = IsEnabledChain() ? Font().Color() : clGrayText;
  bool showSel = Focused() || !FHideSelection;
  int ss = FBuf.SelStart(), se = ss + FBuf.SelLength();
  c.SetClipRect(ta);
  int line = 0;
  size_t s = 0;
  for (;;) {
    size_t e = FBuf.Text.find('\n', s);
    size_t end = e == std::string::npos ? FBuf.Text.size() : e;
    int y = ta.Top + (line - FTopLine) * lh;
    if (y >= ta.Bottom) break;
    if (y + lh > ta.Top) {
      std::string l = FBuf.Text.substr(s, end - s);
      int x0 = ta.Left - FScrollX;
      PlainText(c, x0, y, l, tc);
      int a = std::max<int>(ss, static_cast<int>(s)), b = std::min<int>(se, static_cast<int>(end));
      if (showSel && b > a) {
        int sx = x0 + c.TextWidth(l.substr(0, a - s));
        std::string part = l.substr(a - s, b - a);
        Fill(c, Rect(sx, y, sx + c.TextWidth(part), y + lh), clHighlight);
        PlainText(c, sx, y, part, clHighlightText);
      }
      if (CaretShowing() && FBuf.Caret >= static_cast<int>(s) && FBuf.Caret <= static_cast<int>(end)) {
        int cx = x0 + c.TextWidth(l.substr(0, FBuf.Caret - s));
        Fill(c, Rect(cx, y, cx + 1, y + lh), clWindowText);
      }
    }
    if (e == std::string::npos) break;
    s = e + 1;
    ++line;
  }
  c.ResetClip();
  Fire(OnPaint, this);
}

void TMemo::KeyDown(uint16_t& Key, TShiftState Shift) {
  TControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  bool ext = (Shift & ssShift) != 0, ctrl = (Shift & ssCtrl) != 0;
  TRect ta = TextArea();
  int lh = LineHeight();
  int page = std::max(1, ta.Height() / lh);
  auto vertical = [&](int delta) {
    TCanvas& c = SurfaceCanvas();
    int s = FBuf.LineStart(FBuf.Caret);
    if (FGoalX < 0) FGoalX = c.TextWidth(FBuf.Text.substr(s, FBuf.Caret - s));
    int line = std::clamp(CaretLine() + delta, 0, LineCount(FBuf.Text) - 1);
    int goal = FGoalX;
    int y = ta.Top + (line - FTopLine) * lh;
    FBuf.MoveCaret(PositionAtXY(ta.Left - FScrollX + goal, y), ext);
    FGoalX = goal;
  };
  bool handled = true, changed = false;
  TEditBuffer before = FBuf;
  switch (Key) {
    case VK_UP: vertical(-1); break;
    case VK_DOWN: vertical(1); break;
    case VK_PRIOR: vertical(-page); break;
    case VK_NEXT: vertical(page); break;
    case VK_HOME: FBuf.MoveCaret(ctrl ? 0 : FBuf.LineStart(FBuf.Caret), ext); break;
    case VK_END:
      FBuf.MoveCaret(ctrl ? static_cast<int>(FBuf.Text.size()) : FBuf.LineEnd(FBuf.Caret), ext);
      break;
    case VK_RETURN:
      if (!FWantReturns || ctrl) {
        handled = false;
        break;
      }
      if (CanModify()) changed = FBuf.Insert("\n", FMaxLength);
      break;
    case VK_TAB:
      if (!FWantTabs || ctrl) {
        handled = false;
        break;
      }
      if (CanModify()) changed = FBuf.Insert("\t", FMaxLength);
      break;
    default: handled = false; break;
  }
  if (!handled) {
    FGoalX = -1;
    EditKey(Key, Shift);
    ScrollToCaret();
    return;
  }
  if (Key != VK_UP && Key != VK_DOWN && Key != VK_PRIOR && Key != VK_NEXT) FGoalX = -1;
  Key = 0;
  FTypingRun = false;
  if (changed) {
    FUndo = before;
    FHasUndo = true;
  }
  ScrollToCaret();
  RestartBlink();
  if (changed) Change();
}

void TMemo::KeyPressText(std::string& Text) {
  TCustomEdit::KeyPressText(Text);
  FGoalX = -1;
  ScrollToCaret();
}

void TMemo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (!Focused() && CanFocus()) SetFocus();
  if (Shift & ssDouble) return;
  FBuf.MoveCaret(PositionAtXY(X, Y), (Shift & ssShift) != 0);
  FSelecting = true;
  FGoalX = -1;
  ScrollToCaret();
  RestartBlink();
}

void TMemo::MouseMove(TShiftState Shift, int X, int Y) {
  TControl::MouseMove(Shift, X, Y);
  if (!FSelecting || !(Shift & ssLeft)) return;
  FBuf.MoveCaret(PositionAtXY(X, Y), true);
  ScrollToCaret();
  Invalidate();
}

// ---------------------------------------------------------------- TLabel
TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
}

void TLabel::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  AdjustSize();
  Invalidate();
}

void TLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustSize();
}

void TLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustSize();
  Invalidate();
}

void TLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Invalidate();
}

void TLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustSize();
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

std::vector<std::string> TLabel::DrawnLines() {
  TCanvas& c = Canvas();
  c.Font().Assign(Font());
  std::vector<std::string> out;
  size_t s = 0;
  for (;;) {
    size_t e = FCaption.find('\n', s);
    std::string l = FCaption.substr(s, e == std::string::npos ? std::string::npos : e - s);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (FWordWrap && Width() > 0) {
      // Breaks at blanks so that each piece fits the width (a word longer than it stands alone).
      while (c.TextWidth(l) > Width()) {
        size_t cut = std::string::npos;
        for (size_t i = l.find(' '); i != std::string::npos; i = l.find(' ', i + 1)) {
          if (c.TextWidth(l.substr(0, i)) <= Width()) cut = i;
          else break;
        }
        if (cut == std::string::npos || cut == 0) break;
        out.push_back(l.substr(0, cut));
        l = l.substr(cut + 1);
      }
    }
    out.push_back(l);
    if (e == std::string::npos) break;
    s = e + 1;
  }
  return out;
}

void TLabel::AdjustSize() {
  if (!FAutoSize) return;
  TCanvas& c = Canvas();
  c.Font().Assign(Font());
  std::vector<std::string> lines = DrawnLines();
  int w = 0;
  for (auto& l : lines) w = std::max(w, c.TextWidth(l));
  int h = LineH(c) * static_cast<int>(lines.size());
  if (FWordWrap) SetBounds(Left(), Top(), Width(), h);
  else SetBounds(Left(), Top(), w, h);
}

void TLabel::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  if (!FTransparent) Fill(c, ClientRect(), Color());
  std::vector<std::string> lines = DrawnLines();
  int lh = LineH(c);
  int total = lh * static_cast<int>(lines.size());
  int y = 0;
  if (FLayout == tlCenter) y = (Height() - total) / 2;
  else if (FLayout == tlBottom) y = Height() - total;
  TColor tc = IsEnabledChain() ? Font().Color() : clGrayText;
  for (auto& l : lines) {
    int w = c.TextWidth(l);
    int x = FAlignment == taRightJustify ? Width() - w : FAlignment == taCenter ? (Width() - w) / 2 : 0;
    PlainText(c, x, y, l, tc);
    y += lh;
  }
  Fire(OnPaint, this);
}

// ---------------------------------------------------------------- TButton
TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TButton::SetDefault(bool v) {
  if (v == FDefault) return;
  FDefault = v;
  Invalidate();
}

void TButton::Click() {
  std::weak_ptr<int> life = LifeToken();
  if (FModalResult != mrNone)
    if (TForm* f = GetParentForm(this)) f->SetModalResult(FModalResult);
  if (life.expired()) return;
  TCustomControl::Click();
}

void TButton::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  TRect r = ClientRect();
  bool foc = Focused();
  bool showDefault = foc;
  if (FDefault && !foc) {
    TApplication* app = Application();
    showDefault = !(app && dynamic_cast<TButton*>(app->FocusedControl()));
  }
  if (showDefault) {
    Fill(c, r, clWindowFrame);
    InflateRect(r, -1, -1);
  }
  TRect in = DrawButtonFace(c, r, FPressed);
  int th = LineH(c);
  int tw = c.TextWidth(FCaption);
  int off = FPressed ? 1 : 0;
  int x = (Width() - tw) / 2 + off, y = (Height() - th) / 2 + off;
  c.SetClipRect(in);
  PlainText(c, x, y, FCaption, IsEnabledChain() ? Font().Color() : clGrayText);
  c.ResetClip();
  if (foc) {
    TRect f = ClientRect();
    InflateRect(f, -4, -4);
    DrawFocusRect(c, f);
  }
  Fire(OnPaint, this);
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FMouseDown = true;
    FPressed = true;
    Invalidate();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (FMouseDown) {
    bool in = PtInRect(ClientRect(), Point(X, Y));
    if (in != FPressed) {
      FPressed = in;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FMouseDown = false;
    FPressed = false;
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TButton::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && !(Shift & (ssCtrl | ssAlt))) {
    FSpaceDown = true;
    FPressed = true;
    Invalidate();
    Key = 0;
  } else if (Key == VK_RETURN && !(Shift & (ssCtrl | ssAlt))) {
    Key = 0;
    Click();
  }
}

void TButton::KeyUp(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    FPressed = false;
    Invalidate();
    Key = 0;
    Click();
  }
}

bool TButton::DialogKey(uint16_t Key, TShiftState) {
  if (!Showing() || !IsEnabledChain()) return false;
  if ((Key == VK_RETURN && FDefault) || (Key == VK_ESCAPE && FCancel)) {
    Click();
    return true;
  }
  return false;
}

void TButton::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TButton::DoExit() {
  FSpaceDown = false;
  FPressed = false;
  Invalidate();
  TCustomControl::DoExit();
}

// ---------------------------------------------------------------- TCheckBox
TCheckBox::TCheckBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TCheckBox::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCheckBox::SetState(TCheckBoxState v) {
  if (v == FState) return;
  FState = v;
  Invalidate();
  if (FInSet) return;
  FInSet = true;
  std::weak_ptr<int> life = LifeToken();
  TCustomControl::Click();
  if (!life.expired()) FInSet = false;
}

void TCheckBox::Click() {
  switch (FState) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(FAllowGrayed ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

TRect TCheckBox::BoxRect() const {
  int y = (Height() - 13) / 2;
  int x = FAlignment == taLeftJustify ? Width() - 13 : 0;
  return Bounds(x, y, 13, 13);
}

namespace {
void DrawCheckMark(TCanvas& c, const TRect& inside, TColor col) {
  static const int rows[7] = {4, 5, 6, 5, 4, 3, 2};
  for (int j = 0; j < 7; ++j) {
    int x = inside.Left + 1 + j, y = inside.Top + rows[j];
    Fill(c, Rect(x, y, x + 1, y + 3), col);
  }
}
}  // namespace

void TCheckBox::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  bool en = IsEnabledChain();
  TRect box = BoxRect();
  TColor fill = (!en || FState == cbGrayed) ? clBtnFace : clWindow;
  TRect in = DrawSunkenField(c, box, fill);
  if (FState == cbChecked) DrawCheckMark(c, in, en ? clWindowText : clGrayText);
  else if (FState == cbGrayed) DrawCheckMark(c, in, clGrayText);
  int th = LineH(c), tw = c.TextWidth(FCaption);
  int x = FAlignment == taLeftJustify ? box.Left - 4 - tw : box.Right + 4;
  int y = (Height() - th) / 2;
  PlainText(c, x, y, FCaption, en ? Font().Color() : clGrayText);
  if (Focused() && !FCaption.empty()) DrawFocusRect(c, Rect(x - 1, y, x + tw + 1, y + th));
  Fire(OnPaint, this);
}

void TCheckBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    Key = 0;
    Click();
  }
}

void TCheckBox::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TCheckBox::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

// ---------------------------------------------------------------- TRadioButton
TRadioButton::TRadioButton(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TRadioButton::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  Invalidate();
  if (!v) return;
  if (TWinControl* p = Parent()) {
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* r = dynamic_cast<TRadioButton*>(p->Controls(i));
      if (r && r != this && r->FChecked) {
        r->FChecked = false;
        r->Invalidate();
      }
    }
  }
  if (FInSet) return;
  FInSet = true;
  std::weak_ptr<int> life = LifeToken();
  TCustomControl::Click();
  if (!life.expired()) FInSet = false;
}

void TRadioButton::Click() { SetChecked(true); }

TRect TRadioButton::CircleRect() const { return Bounds(0, (Height() - 12) / 2, 12, 12); }

void TRadioButton::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  bool en = IsEnabledChain();
  TRect r = CircleRect();
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetColor(clBtnShadow);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(en ? clWindow : clBtnFace);
  c.Ellipse(r);
  if (FChecked) {
    TColor dc = en ? clWindowText : clGrayText;
    c.Pen().SetColor(dc);
    c.Brush().SetColor(dc);
    c.Ellipse(r.Left + 4, r.Top + 4, r.Left + 8, r.Top + 8);
  }
  int th = LineH(c), tw = c.TextWidth(FCaption);
  int x = r.Right + 4, y = (Height() - th) / 2;
  PlainText(c, x, y, FCaption, en ? Font().Color() : clGrayText);
  if (Focused() && !FCaption.empty()) DrawFocusRect(c, Rect(x - 1, y, x + tw + 1, y + th));
  Fire(OnPaint, this);
}

void TRadioButton::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    Key = 0;
    Click();
  }
}

void TRadioButton::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TRadioButton::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

// ---------------------------------------------------------------- TPanel
TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TPanel::BordersChanged() {
  Realign();
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut v) {
  if (v == FBevelOuter) return;
  FBevelOuter = v;
  BordersChanged();
}

void TPanel::SetBevelInner(TBevelCut v) {
  if (v == FBevelInner) return;
  FBevelInner = v;
  BordersChanged();
}

void TPanel::SetBevelWidth(int v) {
  v = std::max(1, v);
  if (v == FBevelWidth) return;
  FBevelWidth = v;
  BordersChanged();
}

void TPanel::SetBorderWidth(int v) {
  v = std::max(0, v);
  if (v == FBorderWidth) return;
  FBorderWidth = v;
  BordersChanged();
}

void TPanel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

TRect TPanel::ClientRect() const {
  int b = FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
  TRect r = Rect(0, 0, Width(), Height());
  InflateRect(r, -b, -b);
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

void TPanel::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  TRect r = Rect(0, 0, Width(), Height());
  Fill(c, r, Color());
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor a = Color(), b = Color();
    if (cut == bvRaised) {
      a = clBtnHighlight;
      b = clBtnShadow;
    } else if (cut == bvLowered) {
      a = clBtnShadow;
      b = clBtnHighlight;
    }
    Frame3D(c, r, a, b, FBevelWidth);
  };
  bevel(FBevelOuter);
  InflateRect(r, -FBorderWidth, -FBorderWidth);
  bevel(FBevelInner);
  if (!FCaption.empty() && !r.IsEmpty()) {
    int th = LineH(c), tw = c.TextWidth(FCaption);
    int x = FAlignment == taLeftJustify ? r.Left : FAlignment == taRightJustify ? r.Right - tw : r.Left + (r.Width() - tw) / 2;
    int y = r.Top + (r.Height() - th) / 2;
    c.SetClipRect(r);
    PlainText(c, x, y, FCaption, IsEnabledChain() ? Font().Color() : clGrayText);
    c.ResetClip();
  }
  Fire(OnPaint, this);
}

// ---------------------------------------------------------------- TListBox
TListBox::TListBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(std::make_unique<TStringList>()) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 97);
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
  FontChanged();
}

TListBox::~TListBox() { FItems->OnChange = nullptr; }

void TListBox::FontChanged() {
  TCustomControl::FontChanged();
  if (!FExplicitItemHeight) {
    TCanvas& c = SurfaceCanvas();
    c.Font().Assign(Font());
    FItemHeight = std::max(1, LineH(c) + 2);
  }
  Invalidate();
}

void TListBox::SetItemHeight(int v) {
  if (v <= 0) {
    FExplicitItemHeight = false;
    FontChanged();
    return;
  }
  FExplicitItemHeight = true;
  if (v == FItemHeight) return;
  FItemHeight = v;
  SetTopIndex(FTopIndex);
  Invalidate();
}

void TListBox::ItemsChanged() {
  int n = Count();
  FSel.resize(n, false);
  if (FItemIndex >= n) FItemIndex = -1;
  if (FAnchor >= n) FAnchor = -1;
  SetTopIndex(FTopIndex);
  Invalidate();
}

TRect TListBox::Inside() const {
  TRect r = Rect(0, 0, Width(), Height());
  if (FBorderStyle == bsSingle) InflateRect(r, -2, -2);
  else if (FComboList) InflateRect(r, -1, -1);
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

bool TListBox::ScrollBarShowing() const {
  return Count() > std::max(1, Inside().Height() / FItemHeight);
}

TRect TListBox::ScrollBarRect() const {
  if (!ScrollBarShowing()) return TRect();
  TRect in = Inside();
  return Rect(std::max(in.Left, in.Right - 17), in.Top, in.Right, in.Bottom);
}

int TListBox::VisibleItems() const { return std::max(1, Inside().Height() / FItemHeight); }

TScrollBarState TListBox::BarState() const {
  TScrollBarState s;
  s.Kind = sbVertical;
  s.Min = 0;
  s.Max = std::max(0, Count() - 1);
  s.Page = VisibleItems();
  s.Position = FTopIndex;
  s.LargeChange = s.Page;
  s.Enabled = IsEnabledChain();
  return s;
}

void TListBox::SetTopIndex(int v) {
  int maxTop = std::max(0, Count() - VisibleItems());
  v = std::clamp(v, 0, maxTop);
  if (v == FTopIndex) return;
  FTopIndex = v;
  Invalidate();
}

void TListBox::MakeVisible(int i) {
  if (i < 0) return;
  if (i < FTopIndex) SetTopIndex(i);
  else if (i >= FTopIndex + VisibleItems()) SetTopIndex(i - VisibleItems() + 1);
}

void TListBox::SetItemIndex(int v) {
  if (v < -1 || v >= Count()) v = -1;
  if (v == FItemIndex) return;
  FItemIndex = v;
  if (!FMultiSelect) {
    std::fill(FSel.begin(), FSel.end(), false);
    if (v >= 0) FSel[v] = true;
  }
  MakeVisible(v);
  Invalidate();
}

void TListBox::SetMultiSelect(bool v) {
  if (v == FMultiSelect) return;
  FMultiSelect = v;
  std::fill(FSel.begin(), FSel.end(), false);
  if (FItemIndex >= 0) FSel[FItemIndex] = true;
  Invalidate();
}

bool TListBox::Selected(int i) const { return i >= 0 && i < static_cast<int>(FSel.size()) && FSel[i]; }

void TListBox::SetSelected(int i, bool v) {
  if (i < 0 || i >= static_cast<int>(FSel.size())) return;
  if (!FMultiSelect) {
    if (v) SetItemIndex(i);
    else if (i == FItemIndex) SetItemIndex(-1);
    return;
  }
  FSel[i] = v;
  Invalidate();
}

int TListBox::SelCount() const {
  if (!FMultiSelect) return -1;
  return static_cast<int>(std::count(FSel.begin(), FSel.end(), true));
}

void TListBox::SetStyle(TListBoxStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Invalidate();
}

void TListBox::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  SetTopIndex(FTopIndex);
  Invalidate();
}

TRect TListBox::ItemRect(int i) const {
  TRect in = Inside();
  int right = ScrollBarShowing() ? ScrollBarRect().Left : in.Right;
  int y = in.Top + (i - FTopIndex) * FItemHeight;
  return Rect(in.Left, y, right, y + FItemHeight);
}

int TListBox::ItemAtPos(TPoint P, bool Existing) const {
  TRect in = Inside();
  if (P.X < in.Left || P.X >= (ScrollBarShowing() ? ScrollBarRect().Left : in.Right)) return -1;
  if (P.Y < in.Top) return Existing ? -1 : FTopIndex - 1;
  int i = FTopIndex + (P.Y - in.Top) / FItemHeight;
  if (i >= Count()) return Existing ? -1 : Count();
  return i;
}

void TListBox::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  bool en = IsEnabledChain();
  TRect in;
  if (FBorderStyle == bsSingle) in = DrawSunkenField(c, ClientRect(), Color());
  else {
    Fill(c, ClientRect(), Color());
    if (FComboList) {
      c.Brush().SetColor(clWindowFrame);
      c.FrameRect(ClientRect());
    }
    in = Inside();
  }
  TRect bar = ScrollBarRect();
  TRect area = in;
  if (!bar.IsEmpty()) area.Right = bar.Left;
  c.SetClipRect(area);
  bool foc = Focused() || FComboList;
  for (int i = FTopIndex; i < Count(); ++i) {
    TRect r = ItemRect(i);
    if (r.Top >= area.Bottom) break;
    bool sel = FMultiSelect ? FSel[i] : i == FItemIndex;
    TOwnerDrawState st = (sel ? TOwnerDrawState(odSelected) : 0u) | (foc && i == FItemIndex ? TOwnerDrawState(odFocused) : 0u) |
                         (en ? 0u : TOwnerDrawState(odDisabled));
    if (FStyle == lbOwnerDrawFixed && OnDrawItem) {
      Fill(c, r, sel ? clHighlight : Color());
      c.Font().SetColor(sel ? clHighlightText : Font().Color());
      TDrawItemEvent h = OnDrawItem;
      h(this, i, r, st);
    } else {
      if (sel) Fill(c, r, clHighlight);
      PlainText(c, r.Left + 2, r.Top + 1, FItems->Strings(i),
                !en ? clGrayText : sel ? clHighlightText : Font().Color());
    }
    if (foc && i == FItemIndex && !FComboList) DrawFocusRect(c, r);
  }
  c.ResetClip();
  if (!bar.IsEmpty()) BarState().Paint(c, bar);
  Fire(OnPaint, this);
}

void TListBox::SelectFromUser(int i, TShiftState Shift) {
  if (i < 0 || i >= Count()) return;
  if (FMultiSelect) {
    if (Shift & ssShift) {
      int a = FAnchor < 0 ? i : FAnchor;
      if (!(Shift & ssCtrl)) std::fill(FSel.begin(), FSel.end(), false);
      for (int k = std::min(a, i); k <= std::max(a, i); ++k) FSel[k] = true;
    } else if (Shift & ssCtrl) {
      FSel[i] = !FSel[i];
      FAnchor = i;
    } else {
      std::fill(FSel.begin(), FSel.end(), false);
      FSel[i] = true;
      FAnchor = i;
    }
    FItemIndex = i;
    MakeVisible(i);
    Invalidate();
  } else {
    SetItemIndex(i);
  }
}

void TListBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int n = Count();
  if (n == 0) return;
  int cur = FItemIndex;
  int to;
  switch (Key) {
    case VK_UP: to = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: to = cur + 1; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    case VK_PRIOR: to = (cur < 0 ? 0 : cur) - (VisibleItems() - 1); break;
    case VK_NEXT: to = (cur < 0 ? 0 : cur) + (VisibleItems() - 1); break;
    default: return;
  }
  Key = 0;
  to = std::clamp(to, 0, n - 1);
  if (to == cur && !FMultiSelect) return;
  SelectFromUser(to, Shift & ssShift);
  Fire(OnClick, this);
}

void TListBox::KeyPressText(std::string& Text) {
  TCustomControl::KeyPressText(Text);
  if (Text.empty() || static_cast<unsigned char>(Text[0]) < 0x20 || Count() == 0) return;
  int i = FindPrefix(*FItems, Text, FItemIndex);
  if (i < 0 || i == FItemIndex) return;
  SelectFromUser(i, 0);
  Fire(OnClick, this);
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  int p;
  if (FTracker.Press(BarState(), ScrollBarRect(), Point(X, Y), p)) {
    FBarCaptured = true;
    SetTopIndex(p);
    return;
  }
  int i = ItemAtPos(Point(X, Y));
  if (i >= 0) SelectFromUser(i, Shift);
  FDragSelect = true;
}

void TListBox::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (FBarCaptured) {
    int p;
    if (FTracker.Move(BarState(), ScrollBarRect(), Point(X, Y), p)) SetTopIndex(p);
    return;
  }
  if ((FDragSelect && (Shift & ssLeft)) || FComboList) {
    int i = ItemAtPos(Point(X, Y), false);
    if (FComboList && (i < 0 || i >= Count())) return;
    i = std::clamp(i, 0, Count() - 1);
    if (Count() > 0 && i != FItemIndex) {
      if (FMultiSelect && !FComboList) SelectFromUser(i, Shift | ssShift);
      else SetItemIndex(i);
    }
  }
}

void TListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  bool wasBar = FBarCaptured;
  FBarCaptured = false;
  FTracker.Release();
  FDragSelect = false;
  if (FComboList && Button == mbLeft && !wasBar) {
    int i = ItemAtPos(Point(X, Y));
    if (auto* cb = dynamic_cast<TComboBox*>(Owner())) {
      if (i >= 0) {
        cb->ChooseFromUser(i);
        cb->CloseUp(true);
      }
      return;  // the list is hidden now
    }
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TListBox::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  if (TCustomControl::MouseWheel(Shift, WheelDelta, X, Y)) return true;
  int steps = WheelDelta / WHEEL_DELTA;
  if (steps == 0) steps = WheelDelta > 0 ? 1 : -1;
  SetTopIndex(FTopIndex - 3 * steps);
  return true;
}

void TListBox::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TListBox::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

// ---------------------------------------------------------------- TComboBox
TComboBox::TComboBox(TComponent* AOwner) : TCustomEdit(AOwner), FItems(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 145, 21);
  SetCursor(crDefault);
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox() {
  FItems->OnChange = nullptr;
  if (FList) {
    TListBox* l = FList;
    FList = nullptr;
    delete l;
  }
}

void TComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FList) FList = nullptr;
}

void TComboBox::ItemsChanged() {
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (FList && FList->Visible()) {
    FList->Items().Assign(*FItems);
    FList->SetItemIndex(FItemIndex);
  }
  Invalidate();
}

void TComboBox::SetStyle(TComboBoxStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  if (FStyle == csDropDownList) {
    FBuf.Text = FItemIndex >= 0 ? FItems->Strings(FItemIndex) : std::string();
    FBuf.Caret = FBuf.Anchor = 0;
  }
  Invalidate();
}

void TComboBox::SetItemIndex(int v) {
  if (v < -1 || v >= FItems->Count()) v = -1;
  FItemIndex = v;
  std::string t = v >= 0 ? FItems->Strings(v) : std::string();
  if (v >= 0 || FStyle == csDropDownList) {
    FBuf.Text = t;
    FBuf.Anchor = 0;
    FBuf.Caret = static_cast<int>(t.size());
    ScrollCaretIntoView();
  }
  if (FList && FList->Visible()) FList->SetItemIndex(v);
  Invalidate();
}

void TComboBox::SetDropDownCount(int v) { FDropDownCount = std::max(1, v); }

void TComboBox::ChooseFromUser(int i) {
  if (i < 0 || i >= FItems->Count()) return;
  bool changed = i != FItemIndex || FBuf.Text != FItems->Strings(i);
  SetItemIndex(i);
  std::weak_ptr<int> life = LifeToken();
  if (changed) {
    FModified = true;
    Fire(OnChange, this);
    if (life.expired()) return;
  }
  Fire(OnSelect, this);
}

void TComboBox::Change() {
  if (!FInternal && FStyle != csDropDownList) FItemIndex = FItems->IndexOf(FBuf.Text);
  TCustomEdit::Change();
}

TRect TComboBox::ButtonRect() const {
  int b = FBorderStyle == bsSingle ? 2 : 0;
  return Rect(std::max(b, Width() - b - 17), b, std::max(b, Width() - b), std::max(b, Height() - b));
}

TRect TComboBox::TextArea() const {
  int b = FBorderStyle == bsSingle ? 2 : 0;
  return Rect(b + 1, b, std::max(b + 1, ButtonRect().Left - 1), std::max(b, Height() - b));
}

void TComboBox::SetDroppedDown(bool v) {
  if (v == DroppedDown()) return;
  if (!v) {
    CloseUp(false);
    return;
  }
  if (FItems->Count() == 0) return;
  TWinControl* top = GetParentForm(this);
  if (!top) {
    top = Parent();
    while (top && top->Parent()) top = top->Parent();
  }
  if (!top) return;
  Fire(OnDropDown, this);
  if (!FList) {
    FList = new TListBox(this);
    FList->FComboList = true;
    FList->SetTabStop(false);
    FList->SetBorderStyle(bsNone);
    FList->SetName("");
  }
  FList->SetFont(Font());
  FList->Items().Assign(*FItems);
  int lines = std::min(FDropDownCount, FItems->Count());
  TPoint p = ClientToParent(Point(0, Height()), top);
  FList->SetParent(top);
  FList->SetBounds(p.X, p.Y, Width(), lines * FList->ItemHeight() + 2);
  FList->SetItemIndex(FItemIndex);
  FList->Show();
  FList->BringToFront();
  Invalidate();
}

void TComboBox::CloseUp(bool Accept) {
  if (!DroppedDown()) return;
  int i = FList->ItemIndex();
  FList->Hide();
  FButtonDown = false;
  Invalidate();
  if (Accept && i >= 0 && i != FItemIndex) ChooseFromUser(i);
  Fire(OnCloseUp, this);
}

void TComboBox::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  bool en = IsEnabledChain();
  TColor bg = en ? Color() : clBtnFace;
  if (FBorderStyle == bsSingle) DrawSunkenField(c, ClientRect(), bg);
  else Fill(c, ClientRect(), bg);
  TRect br = ButtonRect();
  TRect bin = DrawButtonFace(c, br, FButtonDown && DroppedDown());
  if (FButtonDown && DroppedDown()) OffsetRect(bin, 1, 1);
  DrawArrow(c, bin, 0, en ? clBtnText : clGrayText);
  bool foc = Focused();
  if (FStyle == csDropDownList) {
    TRect ta = TextArea();
    int th = LineH(c);
    int y = ta.Top + (ta.Height() - th) / 2;
    c.SetClipRect(ta);
    bool hl = foc && !DroppedDown();
    if (hl) Fill(c, Rect(ta.Left, y, ta.Right, y + th), clHighlight);
    PlainText(c, ta.Left + 1, y, FBuf.Text, !en ? clGrayText : hl ? clHighlightText : Font().Color());
    c.ResetClip();
    if (foc) DrawFocusRect(c, Rect(ta.Left, y, ta.Right, y + th));
  } else {
    PaintText(c, foc || !FHideSelection, CaretShowing());
  }
  Fire(OnPaint, this);
}

void TComboBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  TControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  bool alt = (Shift & ssAlt) != 0;
  int n = FItems->Count();
  auto step = [&](int to) {
    if (n == 0) return;
    to = std::clamp(to, 0, n - 1);
    if (DroppedDown()) FList->SetItemIndex(to);
    else ChooseFromUser(to);
  };
  int cur = DroppedDown() ? FList->ItemIndex() : FItemIndex;
  switch (Key) {
    case VK_DOWN:
      Key = 0;
      if (alt) SetDroppedDown(!DroppedDown());
      else step(cur + 1);
      return;
    case VK_UP:
      Key = 0;
      if (alt) SetDroppedDown(!DroppedDown());
      else step(cur < 0 ? 0 : cur - 1);
      return;
    case VK_F4:
      Key = 0;
      SetDroppedDown(!DroppedDown());
      return;
    case VK_RETURN:
      if (DroppedDown()) {
        Key = 0;
        CloseUp(true);
        return;
      }
      break;
    case VK_ESCAPE:
      if (DroppedDown()) {
        Key = 0;
        CloseUp(false);
        return;
      }
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      int dir = Key == VK_PRIOR ? -1 : 1;
      Key = 0;
      step((cur < 0 ? 0 : cur) + dir * (FDropDownCount - 1));
      return;
    }
    case VK_HOME:
    case VK_END:
      if (FStyle == csDropDownList) {
        uint16_t k = Key;
        Key = 0;
        step(k == VK_HOME ? 0 : n - 1);
        return;
      }
      break;
    default: break;
  }
  if (FStyle != csDropDownList) EditKey(Key, Shift);
}

void TComboBox::KeyPressText(std::string& Text) {
  if (FStyle != csDropDownList) {
    TCustomEdit::KeyPressText(Text);
    return;
  }
  TCustomControl::KeyPressText(Text);
  if (Text.empty() || static_cast<unsigned char>(Text[0]) < 0x20 || FItems->Count() == 0) return;
  int i = FindPrefix(*FItems, Text, FItemIndex);
  if (i >= 0) ChooseFromUser(i);
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && (FStyle == csDropDownList || PtInRect(ButtonRect(), Point(X, Y)))) {
    TControl::MouseDown(Button, Shift, X, Y);
    if (!Focused() && CanFocus()) SetFocus();
    FButtonDown = true;
    SetDroppedDown(!DroppedDown());
    return;
  }
  TCustomEdit::MouseDown(Button, Shift, X, Y);
}

void TComboBox::MouseMove(TShiftState Shift, int X, int Y) {
  if (FButtonDown) {
    TControl::MouseMove(Shift, X, Y);
    return;
  }
  TCustomEdit::MouseMove(Shift, X, Y);
}

void TComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FButtonDown) {
    FButtonDown = false;
    Invalidate();
  }
  TCustomEdit::MouseUp(Button, Shift, X, Y);
}

void TComboBox::DoExit() {
  CloseUp(false);
  TCustomEdit::DoExit();
}

// ---------------------------------------------------------------- TSpeedButton
TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap& b) {
  FGlyph->Assign(b);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int v) {
  v = std::clamp(v, 1, 4);
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  Invalidate();
}

void TSpeedButton::SetSpacing(int v) {
  if (v == FSpacing) return;
  FSpacing = v;
  Invalidate();
}

void TSpeedButton::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int v) {
  if (v == FGroupIndex) return;
  FGroupIndex = v;
  if (FGroupIndex == 0) FDown = false;
  UpdateGroup();
  Invalidate();
}

void TSpeedButton::UpdateGroup() {
  if (FGroupIndex == 0 || !Parent()) return;
  TWinControl* p = Parent();
  for (int i = 0; i < p->ControlCount(); ++i) {
    auto* s = dynamic_cast<TSpeedButton*>(p->Controls(i));
    if (!s || s == this || s->FGroupIndex != FGroupIndex) continue;
    if (FDown && s->FDown) {
      s->FDown = false;
      s->Invalidate();
    }
    s->FAllowAllUp = FAllowAllUp;
  }
}

void TSpeedButton::SetDown(bool v) {
  if (FGroupIndex == 0) v = false;
  if (v == FDown) return;
  if (FDown && !FAllowAllUp) return;  // a group keeps one button down
  FDown = v;
  UpdateGroup();
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  if (v == FAllowAllUp) return;
  FAllowAllUp = v;
  UpdateGroup();
}

void TSpeedButton::Click() {
  if (FGroupIndex != 0) {
    if (!FDown) SetDown(true);
    else if (FAllowAllUp) SetDown(false);
  }
  TGraphicControl::Click();
}

void TSpeedButton::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  TRect r = ClientRect();
  bool sunk = FPressed || FDown;
  Fill(c, r, clBtnFace);
  if (sunk) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
  else if (!FFlat || FHot) Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
  bool en = IsEnabledChain();
  int off = sunk ? 1 : 0;
  int gw = FGlyph->Empty() ? 0 : FGlyph->Width() / FNumGlyphs;
  int gh = FGlyph->Height();
  int th = LineH(c), tw = FCaption.empty() ? 0 : c.TextWidth(FCaption);
  int total = gw + (gw > 0 && tw > 0 ? FSpacing : 0) + tw;
  int x = (Width() - total) / 2 + off;
  if (gw > 0) {
    int idx = 0;
    if (!en && FNumGlyphs > 1) idx = 1;
    else if (FDown && FNumGlyphs > 3) idx = 3;
    else if (FPressed && FNumGlyphs > 2) idx = 2;
    uint32_t transparent = FGlyph->ScanLine(gh - 1)[0];
    int gy = (Height() - gh) / 2 + off;
    for (int yy = 0; yy < gh; ++yy) {
      const uint32_t* row = FGlyph->ScanLine(yy);
      for (int xx = 0; xx < gw; ++xx) {
        uint32_t p = row[idx * gw + xx];
        if ((p & 0xFFFFFF) == (transparent & 0xFFFFFF)) continue;
        TColor col = TBitmap::PixelToColor(p);
        if (!en && FNumGlyphs == 1) col = clGrayText;
        c.SetPixel(x + xx, gy + yy, col);
      }
    }
    x += gw + (tw > 0 ? FSpacing : 0);
  }
  if (tw > 0) PlainText(c, x, (Height() - th) / 2 + off, FCaption, en ? Font().Color() : clGrayText);
  Fire(OnPaint, this);
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && IsEnabledChain()) {
    FMouseDown = true;
    FPressed = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (FMouseDown) {
    bool in = PtInRect(ClientRect(), Point(X, Y));
    if (in != FPressed) {
      FPressed = in;
      Invalidate();
    }
  }
  TGraphicControl::MouseMove(Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FMouseDown = false;
    FPressed = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::MouseEnter() {
  FHot = true;
  if (FFlat) Invalidate();
  TGraphicControl::MouseEnter();
}

void TSpeedButton::MouseLeave() {
  FHot = false;
  if (FFlat) Invalidate();
  TGraphicControl::MouseLeave();
}

// ---------------------------------------------------------------- dates
namespace {
const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

struct DTParts {
  int y = 1899, m = 12, d = 30, h = 0, n = 0, s = 0, ms = 0, dow = 6;
};

DTParts Split(TDateTime v) {
  DTParts p;
  if (!std::isfinite(v) || v < -693593.0 || v > 2958466.0) v = 0;
  double day = std::floor(v);
  DecodeDate(v, p.y, p.m, p.d);
  DecodeTime(v - day, p.h, p.n, p.s, p.ms);
  long long di = static_cast<long long>(day);
  p.dow = static_cast<int>(((di + 6) % 7 + 7) % 7);  // day 0 (1899-12-30) was a Saturday
  return p;
}

std::string Pad(int v, int w) {
  std::string s = std::to_string(v);
  while (static_cast<int>(s.size()) < w) s.insert(s.begin(), '0');
  return s;
}

struct FieldOut {
  char Kind;
  int Start, Length;
};

std::string FormatImpl(const std::string& pat, TDateTime v, std::vector<FieldOut>* fields) {
  DTParts p = Split(v);
  std::string out;
  size_t i = 0;
  auto field = [&](char kind, const std::string& text) {
    if (fields) fields->push_back({kind, static_cast<int>(out.size()), static_cast<int>(text.size())});
    out += text;
  };
  while (i < pat.size()) {
    char ch = pat[i];
    if (ch == '\'' || ch == '"') {
      // A quoted literal; a doubled quote stands for the quote itself.
      if (i + 1 < pat.size() && pat[i + 1] == ch) {
        out += ch;
        i += 2;
        continue;
      }
      size_t j = i + 1;
      for (;;) {
        size_t e = pat.find(ch, j);
        if (e == std::string::npos) {
          out += pat.substr(j);
          i = pat.size();
          break;
        }
        out += pat.substr(j, e - j);
        if (e + 1 < pat.size() && pat[e + 1] == ch) {
          out += ch;
          j = e + 2;
          continue;
        }
        i = e + 1;
        break;
      }
      continue;
    }
    size_t k = i;
    while (k < pat.size() && pat[k] == ch) ++k;
    int n = static_cast<int>(k - i);
    int h12 = p.h % 12 == 0 ? 12 : p.h % 12;
    switch (ch) {
      case 'y': field('y', n >= 3 ? Pad(p.y, 4) : Pad(p.y % 100, 2)); break;
      case 'M':
        if (n >= 4) field('m', kMonths[p.m - 1]);
        else if (n == 3) field('m', std::string(kMonths[p.m - 1]).substr(0, 3));
        else field('m', Pad(p.m, n));
        break;
      case 'd':
        if (n >= 4) out += kDays[p.dow];
        else if (n == 3) out += std::string(kDays[p.dow]).substr(0, 3);
        else field('d', Pad(p.d, n));
        break;
      case 'H': field('h', Pad(p.h, std::min(n, 2))); break;
      case 'h': field('h', Pad(h12, std::min(n, 2))); break;
      case 'm': field('n', Pad(p.n, std::min(n, 2))); break;
      case 's': field('s', Pad(p.s, std::min(n, 2))); break;
      case 't': out += n >= 2 ? (p.h < 12 ? "AM" : "PM") : (p.h < 12 ? "A" : "P"); break;
      default: out.append(static_cast<size_t>(n), ch); break;
    }
    i = k;
  }
  return out;
}

int DaysIn(int y, int m) {
  static const int d[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && IsLeapYear(y)) ? 29 : d[m - 1];
}

TDateTime Compose(const DTParts& p) {
  TDateTime d = 0, t = 0;
  if (!TryEncodeDate(p.y, p.m, std::min(p.d, DaysIn(p.y, p.m)), d)) d = 0;
  TryEncodeTime(p.h, p.n, p.s, p.ms, t);
  return d >= 0 ? d + t : d - t;
}
}  // namespace

std::string FormatDatePattern(const std::string& Pattern, TDateTime Value) {
  return FormatImpl(Pattern, Value, nullptr);
}

// ---------------------------------------------------------------- TDateTimePicker
TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 186, 21);
  FValue = std::floor(Now());
}

std::string TDateTimePicker::EffectivePattern() const {
  if (!FFormat.empty()) return FFormat;
  if (FKind == dtkTime) return "HH:mm:ss";
  return FDateFormat == dfShort ? "yyyy-MM-dd" : "dddd, d MMMM yyyy";
}

std::string TDateTimePicker::Text() const { return FormatImpl(EffectivePattern(), FValue, nullptr); }

std::vector<TDateTimePicker::Field> TDateTimePicker::Fields() const {
  std::vector<FieldOut> f;
  FormatImpl(EffectivePattern(), FValue, &f);
  std::vector<Field> r;
  for (auto& x : f) r.push_back({x.Kind, x.Start, x.Length});
  return r;
}

int TDateTimePicker::FieldCount() const { return static_cast<int>(Fields().size()); }

void TDateTimePicker::Store(TDateTime v) {
  if (!std::isfinite(v)) return;
  if (FMinDate != 0 && v < FMinDate) v = FMinDate;
  if (FMaxDate != 0 && v > FMaxDate) v = FMaxDate;
  if (v == FValue) return;
  FValue = v;
  Invalidate();
  Fire(OnChange, this);
}

void TDateTimePicker::SetDateTime(TDateTime v) { Store(v); }

TDateTime TDateTimePicker::Date() const { return std::floor(FValue); }

void TDateTimePicker::SetDate(TDateTime v) { Store(std::floor(v) + (FValue - std::floor(FValue))); }

TDateTime TDateTimePicker::Time() const { return FValue - std::floor(FValue); }

void TDateTimePicker::SetTime(TDateTime v) { Store(std::floor(FValue) + (v - std::floor(v))); }

void TDateTimePicker::SetKind(TDateTimeKind v) {
  if (v == FKind) return;
  FKind = v;
  FField = 0;
  Invalidate();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
  if (v == FDateFormat) return;
  FDateFormat = v;
  FField = 0;
  Invalidate();
}

void TDateTimePicker::SetFormat(const std::string& v) {
  if (v == FFormat) return;
  FFormat = v;
  FField = 0;
  Invalidate();
}

void TDateTimePicker::Step(int delta) {
  std::vector<Field> f = Fields();
  if (f.empty()) return;
  FField = std::clamp(FField, 0, static_cast<int>(f.size()) - 1);
  DTParts p = Split(FValue);
  auto wrap = [](int v, int lo, int hi) { return lo + (((v - lo) % (hi - lo + 1)) + (hi - lo + 1)) % (hi - lo + 1); };
  switch (f[FField].Kind) {
    case 'y': p.y = std::clamp(p.y + delta, 1, 9999); break;
    case 'm': p.m = wrap(p.m + delta, 1, 12); break;
    case 'd': p.d = wrap(p.d + delta, 1, DaysIn(p.y, p.m)); break;
    case 'h': p.h = wrap(p.h + delta, 0, 23); break;
    case 'n': p.n = wrap(p.n + delta, 0, 59); break;
    case 's': p.s = wrap(p.s + delta, 0, 59); break;
    default: break;
  }
  Store(Compose(p));
}

void TDateTimePicker::TypeDigit(int d) {
  std::vector<Field> f = Fields();
  if (f.empty()) return;
  FField = std::clamp(FField, 0, static_cast<int>(f.size()) - 1);
  char kind = f[FField].Kind;
  int width = kind == 'y' ? (f[FField].Length >= 4 ? 4 : 2) : 2;
  FTyped = FTyped * 10 + d;
  ++FTypedDigits;
  // A leading zero waits for the next digit.
  if (FTyped == 0 && FTypedDigits < width && (kind == 'y' || kind == 'm' || kind == 'd')) return;
  DTParts p = Split(FValue);
  int v = FTyped;
  bool ok = true;
  switch (kind) {
    case 'y':
      if (width == 2) v += 2000;
      ok = v >= 1;
      if (ok) p.y = v;
      break;
    case 'm': ok = v >= 1 && v <= 12; if (ok) p.m = v; break;
    case 'd': ok = v >= 1 && v <= DaysIn(p.y, p.m); if (ok) p.d = v; break;
    case 'h': ok = v <= 23; if (ok) p.h = v; break;
    case 'n': ok = v <= 59; if (ok) p.n = v; break;
    case 's': ok = v <= 59; if (ok) p.s = v; break;
    default: break;
  }
  if (ok) Store(Compose(p));
  if (FTypedDigits >= width || !ok) {
    FTyped = FTypedDigits = 0;
    if (ok && FField + 1 < static_cast<int>(f.size())) ++FField;
    Invalidate();
  }
}

void TDateTimePicker::Paint() {
  TCanvas& c = Canvas();
  c.ResetClip();
  bool en = IsEnabledChain();
  DrawSunkenField(c, ClientRect(), en ? Color() : clBtnFace);
  TRect br = Rect(std::max(2, Width() - 19), 2, std::max(2, Width() - 2), std::max(2, Height() - 2));
  TRect bin = DrawButtonFace(c, br, false);
  DrawArrow(c, bin, 0, en ? clBtnText : clGrayText);
  TRect ta = Rect(3, 2, std::max(3, br.Left - 1), std::max(2, Height() - 2));
  std::string t = Text();
  int th = LineH(c);
  int y = ta.Top + (ta.Height() - th) / 2;
  c.SetClipRect(ta);
  PlainText(c, ta.Left, y, t, en ? Font().Color() : clGrayText);
  std::vector<Field> f = Fields();
  if (Focused() && !f.empty()) {
    const Field& fl = f[std::clamp(FField, 0, static_cast<int>(f.size()) - 1)];
    int sx = ta.Left + c.TextWidth(t.substr(0, fl.Start));
    std::string part = t.substr(fl.Start, fl.Length);
    Fill(c, Rect(sx, y, sx + c.TextWidth(part), y + th), clHighlight);
    PlainText(c, sx, y, part, clHighlightText);
  }
  c.ResetClip();
  Fire(OnPaint, this);
}

void TDateTimePicker::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int n = FieldCount();
  switch (Key) {
    case VK_LEFT: FField = std::max(0, FField - 1); break;
    case VK_RIGHT: FField = std::min(std::max(0, n - 1), FField + 1); break;
    case VK_UP: Step(1); break;
    case VK_DOWN: Step(-1); break;
    case VK_HOME: FField = 0; break;
    case VK_END: FField = std::max(0, n - 1); break;
    default: return;
  }
  Key = 0;
  FTyped = FTypedDigits = 0;
  Invalidate();
}

void TDateTimePicker::KeyPressText(std::string& Text) {
  TCustomControl::KeyPressText(Text);
  if (Text.size() == 1 && Text[0] >= '0' && Text[0] <= '9') TypeDigit(Text[0] - '0');
}

void TDateTimePicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TCanvas& c = SurfaceCanvas();
  c.Font().Assign(Font());
  std::string t = Text();
  std::vector<Field> f = Fields();
  for (int i = 0; i < static_cast<int>(f.size()); ++i) {
    int x0 = 3 + c.TextWidth(t.substr(0, f[i].Start));
    int x1 = 3 + c.TextWidth(t.substr(0, f[i].Start + f[i].Length));
    if (X >= x0 - 2 && X < x1 + 2) {
      FField = i;
      break;
    }
  }
  FTyped = FTypedDigits = 0;
  Invalidate();
}

void TDateTimePicker::DoEnter() {
  FTyped = FTypedDigits = 0;
  Invalidate();
  TCustomControl::DoEnter();
}

void TDateTimePicker::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

}  // namespace zol
