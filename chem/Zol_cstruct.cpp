// Connection tables: editing, ring perception, classification, formula,
// group counts, substructure search, geometry and the file formats.
#include "chem/Zol_cstruct.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <functional>
#include <memory>
#include <sstream>

#include "chem/Zol_cdata.h"

namespace zol {

void ClearCTElem(CTElem& e) {
  e = CTElem();
  e.DispAttr = 0x80000000u;
}

TCTab::TCTab(TComponent* AOwner) : TComponent(AOwner) {
  for (auto& a : FAt) ClearCTElem(a);
}

void TCTab::Changed() {
  if (OnChange) OnChange(this);
}

void TCTab::AssignNoChange(const TCTab& o) {
  FNAtoms = o.FNAtoms;
  for (int i = 0; i <= MaxAtoms; ++i) FAt[i] = o.FAt[i];
  FName = o.FName;
  FCASNr = o.FCASNr;
  FUnits = o.FUnits;
}

// ---------------------------------------------------------------- properties

void TCTab::SetStrucName(const std::string& v) {
  if (v == FName) return;
  FName = v;
  Changed();
}

std::string TCTab::CASNr() const { return FormatCASNr(FCASNr); }

void TCTab::SetCASNr(const std::string& v) {
  int64_t n = 0;
  if (ConvertStrToCASNr(v, n)) FCASNr = n;
  Changed();
}

void TCTab::SetCoordUnits(CoordUnitType v) {
  if (v == FUnits) return;
  FUnits = v;
  Changed();
}

void TCTab::SetAtNum(int a, int v) { if (Ok(a) && v >= 0 && v <= 255) FAt[a].AtNum = static_cast<uint8_t>(v); }
void TCTab::SetAtWeight(int a, int v) { if (Ok(a) && v >= 0 && v <= 65535) FAt[a].AtWeight = static_cast<uint16_t>(v); }
void TCTab::SetAtFlag(int a, int v) { if (Ok(a) && v >= 0 && v <= 255) FAt[a].AtFlag = static_cast<uint8_t>(v); }
void TCTab::SetAttrib(int a, int v) { if (Ok(a) && v >= 0 && v <= 255) FAt[a].Attrib = static_cast<uint8_t>(v); }
void TCTab::SetCharge(int a, int v) { if (Ok(a) && v >= -128 && v <= 127) FAt[a].Charge = static_cast<int8_t>(v); }

int TCTab::ConnTo(int a, int slot) const { return (Ok(a) && slot >= 1 && slot <= MaxConn) ? FAt[a].ConnTo[slot] : 0; }
int TCTab::TypConn(int a, int slot) const { return (Ok(a) && slot >= 1 && slot <= MaxConn) ? FAt[a].TypConn[slot] : 0; }
void TCTab::SetConnTo(int a, int slot, int v) {
  if (Ok(a) && slot >= 1 && slot <= MaxConn && v >= 0 && v <= MaxAtoms) FAt[a].ConnTo[slot] = static_cast<uint8_t>(v);
}
void TCTab::SetTypConn(int a, int slot, int v) {
  if (Ok(a) && slot >= 1 && slot <= MaxConn && v >= 0 && v <= 255) FAt[a].TypConn[slot] = static_cast<uint8_t>(v);
}
double TCTab::Coords(int a, int axis) const { return (Ok(a) && axis >= 1 && axis <= 3) ? FAt[a].Coords[axis - 1] : 0.0; }
void TCTab::SetCoords(int a, int axis, double v) {
  if (Ok(a) && axis >= 1 && axis <= 3) FAt[a].Coords[axis - 1] = static_cast<float>(v);
}

CTElem TCTab::AtomEntries(int a) const {
  if (Ok(a)) return FAt[a];
  CTElem e;
  ClearCTElem(e);
  return e;
}
void TCTab::SetAtomEntries(int a, const CTElem& e) { if (Ok(a)) FAt[a] = e; }

int TCTab::NBonds(int a) const {
  if (!Ok(a)) return 0;
  int n = 0;
  while (n < MaxConn && FAt[a].ConnTo[n + 1] != 0) ++n;
  return n;
}

bool TCTab::CoordsPresent() const {
  for (int i = 1; i <= FNAtoms; ++i)
    for (float c : FAt[i].Coords)
      if (c != 0) return true;
  return false;
}

void TCTab::SetCoordsPresent(bool v) {
  if (v) return;
  for (int i = 1; i <= FNAtoms; ++i)
    for (float& c : FAt[i].Coords) c = 0;
  Changed();
}

// ---------------------------------------------------------------- editing

bool TCTab::AddAtom(const CTElem& e) {
  if (FNAtoms >= MaxAtoms) return false;
  int n = ++FNAtoms;
  CTElem& a = FAt[n];
  ClearCTElem(a);
  a.AtNum = e.AtNum;
  a.AtWeight = e.AtWeight;
  a.AtFlag = e.AtFlag;
  a.Attrib = e.Attrib;
  a.Charge = e.Charge;
  std::memcpy(a.Coords, e.Coords, sizeof a.Coords);
  for (int s = 1; s <= MaxConn; ++s)
    if (e.ConnTo[s] != 0) EnterConn(n, e.ConnTo[s], e.TypConn[s]);
  return true;
}

void TCTab::EnterConn(int A, int B, int Type) {
  if (A < 1 || B < 1 || A > MaxAtoms || B > MaxAtoms || Type < 0 || Type > 255) return;
  CTElem& a = FAt[A];
  for (int s = 1; s <= MaxConn; ++s) {
    if (a.ConnTo[s] == B) {
      a.TypConn[s] = static_cast<uint8_t>(Type);
      return;
    }
    if (a.ConnTo[s] == 0) {
      a.ConnTo[s] = static_cast<uint8_t>(B);
      a.TypConn[s] = static_cast<uint8_t>(Type);
      return;
    }
  }
}

namespace {
// Removes B from A's list, closing the gap; true when it was there.
bool RemoveConn(CTElem& a, int B) {
  bool found = false;
  int w = 1;
  for (int s = 1; s <= MaxConn; ++s) {
    if (a.ConnTo[s] == 0) continue;
    if (a.ConnTo[s] == B) {
      found = true;
      continue;
    }
    a.ConnTo[w] = a.ConnTo[s];
    a.TypConn[w] = a.TypConn[s];
    ++w;
  }
  for (; w <= MaxConn; ++w) a.ConnTo[w] = a.TypConn[w] = 0;
  return found;
}

bool HasRoom(const CTElem& a, int B) {
  for (int s = 1; s <= MaxConn; ++s)
    if (a.ConnTo[s] == 0 || a.ConnTo[s] == B) return true;
  return false;
}
}  // namespace

bool TCTab::MakeConnection(int A, int B, int Type) {
  if (!Ok(A) || !Ok(B) || A == B) return false;
  if (Type == 0) {
    bool r1 = RemoveConn(FAt[A], B);
    bool r2 = RemoveConn(FAt[B], A);
    return r1 || r2;
  }
  // Both directions or neither, so the lists stay symmetric.
  if (!HasRoom(FAt[A], B) || !HasRoom(FAt[B], A)) return false;
  EnterConn(A, B, Type);
  EnterConn(B, A, Type);
  return true;
}

int TCTab::CheckConnect(int A, int B) const {
  if (!Ok(A) || !Ok(B)) return 0;
  for (int s = 1; s <= MaxConn; ++s)
    if (FAt[A].ConnTo[s] == B) return FAt[A].TypConn[s];
  return 0;
}

void TCTab::MakeSymmetricConnections() {
  for (int a = 1; a <= FNAtoms; ++a)
    for (int s = 1; s <= MaxConn; ++s) {
      int b = FAt[a].ConnTo[s];
      if (b != 0 && b <= FNAtoms && b != a) EnterConn(b, a, FAt[a].TypConn[s]);
    }
}

bool TCTab::DeleteAtom(int N) {
  if (!Ok(N)) return false;
  CTElem del = FAt[N];
  std::vector<std::pair<int, int>> nb;
  for (int s = 1; s <= MaxConn; ++s)
    if (del.ConnTo[s] != 0 && del.ConnTo[s] != N) nb.push_back({del.ConnTo[s], del.TypConn[s]});
  for (auto [a, t] : nb) {
    (void)t;
    if (a >= 1 && a <= FNAtoms) RemoveConn(FAt[a], N);
  }
  // Each former neighbour receives N's other neighbours (the deleted atom is
  // bridged); a bond is entered in both directions or not at all.
  for (auto [a, ta] : nb) {
    (void)ta;
    for (auto [b, tb] : nb) {
      if (a == b || a > FNAtoms || b > FNAtoms) continue;
      if (HasRoom(FAt[a], b) && HasRoom(FAt[b], a)) {
        EnterConn(a, b, tb);
        EnterConn(b, a, tb);
      }
    }
  }
  int last = FNAtoms;
  if (N != last) FAt[N] = FAt[last];
  ClearCTElem(FAt[last]);
  --FNAtoms;
  for (int a = 1; a <= FNAtoms; ++a) {
    CTElem& e = FAt[a];
    for (int s = 1; s <= MaxConn; ++s)
      if (e.ConnTo[s] == last) e.ConnTo[s] = static_cast<uint8_t>(N);
    // remove self references, duplicates and gaps
    uint8_t c[MaxConn + 1] = {}, t[MaxConn + 1] = {};
    int w = 0;
    for (int s = 1; s <= MaxConn; ++s) {
      int b = e.ConnTo[s];
      if (b == 0 || b == a || b > FNAtoms) continue;
      bool dup = false;
      for (int k = 1; k <= w; ++k)
        if (c[k] == b) dup = true;
      if (dup) continue;
      ++w;
      c[w] = static_cast<uint8_t>(b);
      t[w] = e.TypConn[s];
    }
    std::memcpy(e.ConnTo, c, sizeof c);
    std::memcpy(e.TypConn, t, sizeof t);
  }
  return true;
}

void TCTab::RemoveHydrogen() {
  for (int a = FNAtoms; a >= 1; --a)
    if (FAt[a].AtNum == 1) DeleteAtom(a);
}

void TCTab::StripfromChains() {
  bool stripped = false;
  for (int a = FindNextEndAtom(1); a != 0; a = FindNextEndAtom(1)) {
    DeleteAtom(a);
    stripped = true;
  }
  if (stripped && FNAtoms == 1) DeleteAtom(1);
}

int TCTab::FindNextEndAtom(int Start) const {
  for (int a = std::max(Start, 1); a <= FNAtoms; ++a)
    if (NBonds(a) == 1) return a;
  return 0;
}

bool TCTab::ContainsUnconnectedAtom() const {
  for (int a = 1; a <= FNAtoms; ++a)
    if (NBonds(a) == 0) return true;
  return false;
}

int TCTab::AtomCount(int Z) const {
  int n = 0;
  for (int a = 1; a <= FNAtoms; ++a)
    if (FAt[a].AtNum == Z) ++n;
  return n;
}

void TCTab::Clear() {
  FNAtoms = 0;
  for (auto& a : FAt) ClearCTElem(a);
  FName.clear();
  FCASNr = 0;
  FUnits = cuUnknown;
  Changed();
}

void TCTab::ClearAttributes() {
  for (int a = 1; a <= FNAtoms; ++a) FAt[a].Attrib = 0;
}

void TCTab::CopyFrom(const TCTab& Other) {
  if (&Other != this) AssignNoChange(Other);
  Changed();
}

// ---------------------------------------------------------------- analysis

int TCTab::MaxNBonds(int& AtomNo) const {
  int best = 0;
  AtomNo = 0;
  for (int a = 1; a <= FNAtoms; ++a) {
    int n = NBonds(a);
    if (AtomNo == 0 || n > best) {
      best = n;
      AtomNo = a;
    }
  }
  return best;
}

int TCTab::RingsInMolecule() const {
  if (FNAtoms == 0) return 0;
  int sum = 0;
  for (int a = 1; a <= FNAtoms; ++a) sum += NBonds(a);
  // connected parts
  std::vector<int> comp(FNAtoms + 1, 0);
  int parts = 0;
  for (int a = 1; a <= FNAtoms; ++a) {
    if (comp[a]) continue;
    ++parts;
    std::vector<int> stack{a};
    comp[a] = parts;
    while (!stack.empty()) {
      int x = stack.back();
      stack.pop_back();
      for (int s = 1; s <= MaxConn; ++s) {
        int b = FAt[x].ConnTo[s];
        if (b == 0) break;
        if (b <= FNAtoms && !comp[b]) {
          comp[b] = parts;
          stack.push_back(b);
        }
      }
    }
  }
  return sum / 2 - FNAtoms + parts;
}

bool TCTab::RingInRingList(const RingType& Ring, const RingListType& Rings) {
  for (int r = 1; r <= Rings.NumRings && r <= MaxRings; ++r) {
    const RingType& R = Rings.Rings[r];
    bool all = true;
    for (int i = 1; i <= Ring.Length && all; ++i) {
      bool in = false;
      for (int k = 1; k <= R.Length; ++k)
        if (R.Atoms[k] == Ring.Atoms[i]) in = true;
      all = in;
    }
    if (all) return true;
  }
  return false;
}

namespace {

// Size of the smallest ring through Start (breadth-first search); 64 when none.
int SmallestRingSize(const CTElem* at, int n, int Start) {
  std::vector<int> dist(n + 1, -1), branch(n + 1, 0);
  std::vector<int> queue{Start};
  dist[Start] = 0;
  for (size_t q = 0; q < queue.size(); ++q) {
    int x = queue[q];
    for (int s = 1; s <= MaxConn; ++s) {
      int b = at[x].ConnTo[s];
      if (b == 0) break;
      if (b > n || dist[b] >= 0) continue;
      dist[b] = dist[x] + 1;
      branch[b] = x == Start ? b : branch[x];
      queue.push_back(b);
    }
  }
  int best = 64;
  for (int u = 1; u <= n; ++u) {
    if (u == Start || dist[u] < 0) continue;
    for (int s = 1; s <= MaxConn; ++s) {
      int v = at[u].ConnTo[s];
      if (v == 0) break;
      if (v > n || v == Start || dist[v] < 0 || branch[v] == branch[u]) continue;
      best = std::min(best, dist[u] + dist[v] + 1);
    }
  }
  return best;
}

struct RingSearch {
  CTElem* at;
  int start;
  int best;
  std::vector<int> path;
  RingListType* rings;

  void Found() {
    int len = static_cast<int>(path.size());
    RingType r;
    r.Length = len;
    for (int i = 0; i < len; ++i) r.Atoms[i + 1] = static_cast<uint8_t>(path[i]);
    if (len < best) {
      best = len;
      rings->NumRings = 1;
      rings->Rings[1] = r;
    } else if (len == best && rings->NumRings < MaxRings && !TCTab::RingInRingList(r, *rings)) {
      rings->Rings[++rings->NumRings] = r;
    }
  }

  void Visit(int cur, int prev) {
    for (int s = 1; s <= MaxConn; ++s) {
      int nb = at[cur].ConnTo[s];
      if (nb == 0) break;
      if (nb == start && nb != prev) {
        Found();
        break;
      }
      if (nb != prev && nb != start && at[nb].AtFlag == 0 && static_cast<int>(path.size()) < best) {
        at[nb].AtFlag = 1;
        path.push_back(nb);
        Visit(nb, cur);
        path.pop_back();
        at[nb].AtFlag = 0;
      }
    }
  }
};

}  // namespace

int TCTab::FindShortestRings(int Start, RingListType& Rings) {
  Rings.NumRings = 0;
  if (!Ok(Start)) return 0;
  for (int a = 1; a <= FNAtoms; ++a) FAt[a].AtFlag = 0;
  // The breadth-first bound keeps the path search short on dense structures;
  // it finds the same rings as a search that starts with no bound.
  int bound = SmallestRingSize(FAt, FNAtoms, Start);
  if (bound >= 64) return 0;
  RingSearch rs{FAt, Start, bound + 1, {Start}, &Rings};
  FAt[Start].AtFlag = 1;
  rs.Visit(Start, 0);
  for (int a = 1; a <= FNAtoms; ++a) FAt[a].AtFlag = 0;
  return Rings.NumRings;
}

int TCTab::FindSSSR(RingListType& Rings) {
  Rings.NumRings = 0;
  std::vector<bool> marked(FNAtoms + 1, false);
  auto tmp = std::make_unique<RingListType>();
  for (int a = 1; a <= FNAtoms; ++a) {
    if (marked[a]) continue;
    FindShortestRings(a, *tmp);
    for (int r = 1; r <= tmp->NumRings; ++r) {
      const RingType& ring = tmp->Rings[r];
      if (RingInRingList(ring, Rings)) continue;
      if (Rings.NumRings >= MaxRings) return Rings.NumRings;
      Rings.Rings[++Rings.NumRings] = ring;
      for (int k = 1; k <= ring.Length; ++k)
        if (NBonds(ring.Atoms[k]) <= 2) marked[ring.Atoms[k]] = true;
    }
  }
  CompleteRingSet(Rings);
  return Rings.NumRings;
}

namespace {

// Rings as sets of bonds over GF(2): one bit per bond.
using BondSet = std::bitset<MaxAtoms * MaxConn / 2 + 1>;

// A reduced row-echelon basis of bond sets (each row keyed by a pivot bit
// that no other row has).
class Gf2Basis {
 public:
  int Rank() const { return static_cast<int>(FRows.size()); }
  bool Dependent(BondSet v) const { return Reduce(v).none(); }
  // Adds v when it is independent of the rows; answers whether it was.
  bool Insert(const BondSet& v) {
    BondSet r = Reduce(v);
    if (r.none()) return false;
    size_t pivot = 0;
    while (!r.test(pivot)) ++pivot;
    for (auto& [p, row] : FRows)
      if (row.test(pivot)) row ^= r;
    FRows.emplace_back(pivot, r);
    return true;
  }

 private:
  BondSet Reduce(BondSet v) const {
    for (const auto& [pivot, row] : FRows)
      if (v.test(pivot)) v ^= row;
    return v;
  }
  std::vector<std::pair<size_t, BondSet>> FRows;
};

}  // namespace

// The search by start atoms can miss rings whose atoms all lie in smaller
// rings (an eight-membered ring with four three-membered rings fused onto it
// is never searched from its own atoms).  The set must span the cycle space:
// it is completed with the shortest independent cycles of Horton's candidate
// set (J. D. Horton, SIAM J. Comput. 16 (1987) 358-366: for every atom v and
// bond x-y, the shortest path v..x, the bond and the shortest path y..v),
// independence tested by Gaussian elimination over GF(2), until the number of
// independent rings equals bonds - atoms + connected parts.
void TCTab::CompleteRingSet(RingListType& Rings) const {
  const int need = RingsInMolecule();
  if (need <= 0) return;
  // Number the bonds.
  int bondNo[MaxAtoms + 1][MaxAtoms + 1] = {};
  int nb = 0;
  for (int a = 1; a <= FNAtoms; ++a)
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s) {
      int b = FAt[a].ConnTo[s];
      if (b > a && b <= FNAtoms) bondNo[a][b] = bondNo[b][a] = nb++;
    }
  auto bondsOf = [&](const RingType& r) {
    BondSet set;
    for (int i = 1; i <= r.Length; ++i) {
      int a = r.Atoms[i], b = r.Atoms[i % r.Length + 1];
      set.flip(static_cast<size_t>(bondNo[a][b]));
    }
    return set;
  };
  Gf2Basis basis;
  for (int r = 1; r <= Rings.NumRings; ++r) basis.Insert(bondsOf(Rings.Rings[r]));
  if (basis.Rank() >= need) return;

  // Horton's candidates, shortest first.
  std::vector<RingType> cand;
  for (int v = 1; v <= FNAtoms; ++v) {
    int dist[MaxAtoms + 1], parent[MaxAtoms + 1];
    std::fill(dist, dist + MaxAtoms + 1, -1);
    std::fill(parent, parent + MaxAtoms + 1, 0);
    std::vector<int> queue{v};
    dist[v] = 0;
    for (size_t q = 0; q < queue.size(); ++q) {
      int x = queue[q];
      for (int s = 1; s <= MaxConn && FAt[x].ConnTo[s]; ++s) {
        int y = FAt[x].ConnTo[s];
        if (y > FNAtoms || dist[y] >= 0) continue;
        dist[y] = dist[x] + 1;
        parent[y] = x;
        queue.push_back(y);
      }
    }
    auto pathTo = [&](int x) {  // x .. v
      std::vector<int> p;
      for (int a = x; a != 0; a = a == v ? 0 : parent[a]) p.push_back(a);
      return p;
    };
    for (int x = 1; x <= FNAtoms; ++x)
      for (int s = 1; s <= MaxConn && FAt[x].ConnTo[s]; ++s) {
        int y = FAt[x].ConnTo[s];
        if (y <= x || y > FNAtoms || dist[x] < 0 || dist[y] < 0) continue;
        std::vector<int> px = pathTo(x), py = pathTo(y);
        int len = static_cast<int>(px.size() + py.size()) - 1;
        if (len < 3 || len > MaxAtoms) continue;
        // The two paths may meet only in v.
        bool seen[MaxAtoms + 1] = {};
        bool simple = true;
        for (int a : px) seen[a] = true;
        for (size_t i = 0; i + 1 < py.size(); ++i) simple &= !seen[py[i]];
        if (!simple) continue;
        RingType ring;
        ring.Length = len;
        int k = 0;
        auto put = [&](int a) {
          if (k < MaxAtoms) ring.Atoms[++k] = static_cast<uint8_t>(a);
        };
        for (auto it = px.rbegin(); it != px.rend(); ++it) put(*it);
        for (size_t i = 0; i + 1 < py.size(); ++i) put(py[i]);
        cand.push_back(ring);
      }
  }
  std::stable_sort(cand.begin(), cand.end(),
                   [](const RingType& a, const RingType& b) { return a.Length < b.Length; });
  std::vector<int> added;  // lengths of the rings the completion added
  for (const RingType& ring : cand) {
    if (basis.Rank() >= need || Rings.NumRings >= MaxRings) break;
    if (basis.Insert(bondsOf(ring))) {
      Rings.Rings[++Rings.NumRings] = ring;
      added.push_back(ring.Length);
    }
  }
  // A ring of the same length that no set of shorter rings adds up to is as
  // much a smallest ring as the one chosen (the three four-membered rings of
  // prismane): such rings are added too, so that the set does not depend on
  // the order of the atoms.
  std::sort(added.begin(), added.end());
  added.erase(std::unique(added.begin(), added.end()), added.end());
  for (int len : added) {
    Gf2Basis shorter;
    for (int r = 1; r <= Rings.NumRings; ++r)
      if (Rings.Rings[r].Length < len) shorter.Insert(bondsOf(Rings.Rings[r]));
    for (const RingType& ring : cand)
      if (ring.Length < len) shorter.Insert(bondsOf(ring));
    for (const RingType& ring : cand) {
      if (ring.Length != len || Rings.NumRings >= MaxRings) continue;
      BondSet b = bondsOf(ring);
      bool present = false;
      for (int r = 1; r <= Rings.NumRings && !present; ++r) present = bondsOf(Rings.Rings[r]) == b;
      if (!present && !shorter.Dependent(b)) Rings.Rings[++Rings.NumRings] = ring;
    }
  }
}

int TCTab::CalcAttributes() {
  for (int a = 1; a <= FNAtoms; ++a) FAt[a].Attrib = 0;
  auto rings = std::make_unique<RingListType>();
  int n = FindSSSR(*rings);
  for (int r = 1; r <= n; ++r) {
    const RingType& ring = rings->Rings[r];
    uint8_t code = ring.Length == 5 ? 0x24 : ring.Length == 6 ? 0x28 : 0x22;
    for (int k = 1; k <= ring.Length; ++k) {
      CTElem& e = FAt[ring.Atoms[k]];
      uint8_t extra = (e.Attrib & 0x2E) ? 0x80 : 0;
      e.Attrib |= code | extra;
    }
  }
  for (int a = 1; a <= FNAtoms; ++a) {
    if ((FAt[a].Attrib & 0x2E) == 0) FAt[a].Attrib = NBonds(a) == 1 ? 0x41 : 0x01;
    if (NBonds(a) > 2) FAt[a].Attrib |= 0x10;
  }
  return n;
}

int TCTab::NrHAtoms(int N) const {
  if (!Ok(N)) return 0;
  const CTElem& e = FAt[N];
  if (e.AtNum == 1) return 0;
  int valence = 0;
  switch (e.AtNum) {
    case 1: case 9: case 17: case 35: case 53: valence = 1; break;
    case 5: case 7: case 15: valence = 3; break;
    case 6: case 14: case 32: valence = 4; break;
    case 8: case 16: valence = 2; break;
    default: valence = 0;
  }
  int b = 0, a = 0, h = 0;
  bool tripleToEndC = false;
  for (int s = 1; s <= MaxConn; ++s) {
    int nb = e.ConnTo[s];
    if (nb == 0) break;
    int t = e.TypConn[s];
    if (t == 4) {
      b += 1;
      a = 1;
    } else {
      b += t;
    }
    if (nb <= FNAtoms) {
      if (FAt[nb].AtNum == 1) ++h;
      if (t == 3 && FAt[nb].AtNum == 6 && NBonds(nb) == 1) tripleToEndC = true;
    }
  }
  if (b + a < valence) {
    // The charge moves the hydrogen count by the element's group: cations of
    // N, O, P, S and the halogens gain hydrogens (NH4+, H3O+), those of carbon
    // and its group lose them like the anions (CH3+, CH3-), boron gains with a
    // negative charge (BH4-).
    int q = e.Charge;
    int adj;
    switch (e.AtNum) {
      case 6: case 14: case 32: adj = -std::abs(q); break;
      case 5: adj = -q; break;
      default: adj = q; break;
    }
    return std::max(0, valence - b - a + adj) + h;
  }
  if (e.AtNum == 7 && tripleToEndC) return -1;
  if (e.AtNum == 15 && b == 4) return h + 1;
  return h;
}

int TCTab::CalcMissingH() const {
  int s = 0;
  for (int a = 1; a <= FNAtoms; ++a) s += NrHAtoms(a);
  return s;
}

bool TCTab::CalcMolecularFormula(TFormulaRec& Formula) const {
  // Implicit hydrogens of every heavy atom, then each atom (explicit hydrogen
  // atoms too, under their own mass number) counted by (element, mass number).
  std::vector<std::pair<std::pair<int, int>, int>> entries;
  auto add = [&](int z, int w, int n) {
    for (auto& e : entries)
      if (e.first.first == z && e.first.second == w) {
        e.second += n;
        return;
      }
    entries.push_back({{z, w}, n});
  };
  int implicitH = 0;
  for (int a = 1; a <= FNAtoms; ++a) {
    if (FAt[a].AtNum == 1) continue;
    int h = 0;
    for (int s = 1; s <= MaxConn; ++s) {
      int nb = FAt[a].ConnTo[s];
      if (nb == 0) break;
      if (nb <= FNAtoms && FAt[nb].AtNum == 1) ++h;
    }
    implicitH += std::max(0, NrHAtoms(a) - h);
  }
  if (implicitH > 0) add(1, 1, implicitH);
  for (int a = 1; a <= FNAtoms; ++a) add(FAt[a].AtNum, FAt[a].AtWeight, 1);
  if (entries.size() > MaxFormulaEntries) return false;
  for (auto& e : entries)
    if (e.second > 255) return false;
  TFormulaRec r;
  std::vector<bool> used(entries.size(), false);
  auto put = [&](size_t k) {
    int i = ++r.NumAtoms;
    r.AtNum[i] = static_cast<uint8_t>(entries[k].first.first);
    r.AtWgt[i] = static_cast<uint16_t>(entries[k].first.second);
    r.AtCnt[i] = static_cast<uint8_t>(entries[k].second);
    used[k] = true;
  };
  for (int z : {6, 1, 7, 8, 16, 15, 9, 17, 35, 53})
    for (size_t k = 0; k < entries.size(); ++k)
      if (!used[k] && entries[k].first.first == z) put(k);
  for (size_t k = 0; k < entries.size(); ++k)
    if (!used[k]) put(k);
  Formula = r;
  return true;
}

double TCTab::CalcChemMolWeight() const {
  TFormulaRec f;
  double w = 0;
  if (CalcMolecularFormula(f)) {
    for (int i = 1; i <= f.NumAtoms; ++i) w += ChemAtWeight(f.AtNum[i]) * f.AtCnt[i];
    return w;
  }
  w = CalcMissingH() * ChemAtWeight(1);
  for (int a = 1; a <= FNAtoms; ++a)
    if (FAt[a].AtNum != 1) w += ChemAtWeight(FAt[a].AtNum);
  return w;
}

double TCTab::CalcExactMolWeight() const {
  double w = 0;
  TFormulaRec f;
  if (!CalcMolecularFormula(f)) return 0;
  for (int i = 1; i <= f.NumAtoms; ++i) {
    int z = f.AtNum[i];
    double m = ExactAtWeight(z);
    // An isotope other than the main one: its mass number stands in for the
    // unknown exact mass, corrected by the main isotope's mass defect.
    if (f.AtWgt[i] != IntAtWeight(z)) m = f.AtWgt[i] + (m - IntAtWeight(z));
    w += m * f.AtCnt[i];
  }
  return w;
}

namespace {
const int kFrgElems[15] = {0, 1, 5, 6, 7, 8, 9, 14, 15, 16, 17, 33, 35, 50, 53};
int FrgIndex(int z) {
  for (int i = 1; i <= 14; ++i)
    if (kFrgElems[i] == z) return i;
  return -1;
}
}  // namespace

int TCTab::FragmentCode(int N, int& Extent) const {
  Extent = 0;
  if (!Ok(N)) return -1;
  int ei = FrgIndex(FAt[N].AtNum);
  if (ei < 0) return -1;
  int nb = NBonds(N);
  if (nb > 4) return -2;
  std::vector<int> codes;
  for (int s = 1; s <= nb; ++s) {
    int b = FAt[N].ConnTo[s];
    if (b > FNAtoms) return -1;
    int bi = FrgIndex(FAt[b].AtNum);
    if (bi < 0) return -1;
    codes.push_back(bi * 4 + (FAt[N].TypConn[s] % 4));
    Extent += NBonds(b) - 1;
  }
  std::sort(codes.rbegin(), codes.rend());
  int64_t code = ei;
  for (size_t c = 0; c < codes.size(); ++c) code += static_cast<int64_t>(codes[c]) << (6 * (c + 1) - 2);
  return static_cast<int>(code);
}

std::string TCTab::FragmentStr(int Code) {
  if (Code < 0) return "ERROR";
  auto sym = [](int i) -> std::string {
    if (i == 15) return "RR";
    if (i >= 1 && i <= 14) return CElemSymb(kFrgElems[i]);
    return "?";
  };
  std::string s = sym(Code & 15);
  for (int c = 1; c <= 4; ++c) {
    int g = (Code >> (6 * c - 2)) & 63;
    if (g == 0) continue;
    int t = g % 4;
    s += static_cast<char>('0' + (t == 0 ? 4 : t));
    s += sym(g / 4);
  }
  return s;
}

int TCTab::FragmentCount(FrgType t) const {
  auto Z = [&](int a) { return (a >= 1 && a <= FNAtoms) ? static_cast<int>(FAt[a].AtNum) : 0; };
  // neighbours of a with element z and bond type bt (0 = any)
  auto countNb = [&](int a, int z, int bt) {
    int n = 0;
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (Z(FAt[a].ConnTo[s]) == z && (bt == 0 || FAt[a].TypConn[s] == bt)) ++n;
    return n;
  };
  auto hasAroBond = [&](int a) {
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (FAt[a].TypConn[s] == 4) return true;
    return false;
  };
  auto isCarbonylC = [&](int a) { return Z(a) == 6 && countNb(a, 8, 2) > 0; };
  auto anyNbCarbonyl = [&](int a) {
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (isCarbonylC(FAt[a].ConnTo[s])) return true;
    return false;
  };
  auto allSingle = [&](int a) {
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (FAt[a].TypConn[s] != 1) return false;
    return true;
  };
  int n = 0;
  if (t <= NCCTrpl) {
    for (int a = 1; a <= FNAtoms; ++a)
      for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s) {
        int b = FAt[a].ConnTo[s];
        if (b <= a) continue;
        int ty = FAt[a].TypConn[s];
        switch (t) {
          case NSglBnd: n += ty == 1; break;
          case NDblBnd: n += ty == 2; break;
          case NTrplBnd: n += ty == 3; break;
          case NAroBnd: n += ty == 4; break;
          case NCCSgl: n += ty == 1 && Z(a) == 6 && Z(b) == 6; break;
          case NCCDbl: n += ty == 2 && Z(a) == 6 && Z(b) == 6; break;
          case NCCTrpl: n += ty == 3 && Z(a) == 6 && Z(b) == 6; break;
          default: break;
        }
      }
    return n;
  }
  for (int a = 1; a <= FNAtoms; ++a) {
    const CTElem& e = FAt[a];
    int nb = NBonds(a);
    int z = e.AtNum;
    bool hit = false;
    switch (t) {
      case NBranch: hit = nb > 2; break;
      case XCnt: hit = z == 17 || z == 35; break;
      case COOH:
      case COO:
        if (z == 6 && nb == 3 && countNb(a, 8, 2) > 0)
          for (int s = 1; s <= nb; ++s) {
            int o = e.ConnTo[s];
            if (Z(o) == 8 && e.TypConn[s] == 1) {
              if (t == COOH && NBonds(o) == 1) hit = true;
              if (t == COO && NBonds(o) > 1) hit = true;
            }
          }
        break;
      case NO2:
        hit = z == 7 && nb == 3 &&
              (countNb(a, 8, 2) == 2 || (countNb(a, 8, 2) == 1 && countNb(a, 8, 1) == 1 && e.Charge == 3));
        break;
      case AnyCO: hit = z == 6 && nb <= 3 && countNb(a, 8, 2) > 0; break;
      case AroCl:
      case AroBr:
        // An unbonded halide has no first neighbour to look at.
        hit = z == (t == AroCl ? 17 : 35) && nb >= 1 && e.ConnTo[1] <= FNAtoms && hasAroBond(e.ConnTo[1]);
        break;
      case AnyOH: hit = z == 8 && nb == 1 && e.TypConn[1] == 1; break;
      case PhOH: hit = z == 8 && nb == 1 && e.TypConn[1] == 1 && Z(e.ConnTo[1]) == 6 && hasAroBond(e.ConnTo[1]); break;
      case NH2: hit = z == 7 && nb == 1 && e.TypConn[1] == 1 && !anyNbCarbonyl(a); break;
      case NHR: hit = z == 7 && nb == 2 && allSingle(a) && !anyNbCarbonyl(a); break;
      case NR2: hit = z == 7 && nb == 3 && allSingle(a) && !anyNbCarbonyl(a); break;
      case NCON: hit = z == 6 && nb == 3 && countNb(a, 8, 2) == 1 && countNb(a, 7, 1) == 2; break;
      case CN: hit = z == 6 && nb == 2 && countNb(a, 7, 3) > 0; break;
      case CONR2: hit = z == 6 && nb == 3 && countNb(a, 8, 2) == 1 && countNb(a, 7, 1) == 1; break;
      case CHO: {
        int dbl = 0;
        for (int s = 1; s <= nb; ++s) dbl += e.TypConn[s] == 2;
        hit = z == 6 && nb <= 2 && dbl < 2 && countNb(a, 8, 2) > 0;
        break;
      }
      case COX:
        hit = isCarbonylC(a) && nb <= 3 && (countNb(a, 17, 0) + countNb(a, 35, 0) + countNb(a, 53, 0)) > 0;
        break;
      case AnySO: hit = z == 16 && nb <= 3 && countNb(a, 8, 2) > 0; break;
      case OCH3: hit = z == 8 && nb == 2 && [&] {
          for (int s = 1; s <= nb; ++s)
            if (Z(e.ConnTo[s]) == 6 && NBonds(e.ConnTo[s]) == 1) return true;
          return false;
        }();
        break;
      case NO: hit = z == 7 && nb == 2 && countNb(a, 8, 2) > 0; break;
      case NNH2:
        hit = z == 7 && nb == 2 && [&] {
          for (int s = 1; s <= nb; ++s) {
            int b = e.ConnTo[s];
            if (Z(b) == 7 && e.TypConn[s] == 1 && NBonds(b) == 1 && FAt[b].TypConn[1] < 3) return true;
          }
          return false;
        }();
        break;
      default: break;
    }
    n += hit;
  }
  return n;
}

bool TCTab::SumForContained(const TCTab& Pattern) const {
  if (Pattern.FNAtoms > FNAtoms) return false;
  // One counter per atomic number: no limit on the number of distinct elements.
  int cnt[256] = {};
  for (int a = 1; a <= FNAtoms; ++a) ++cnt[FAt[a].AtNum];
  for (int a = 1; a <= Pattern.FNAtoms; ++a) --cnt[Pattern.FAt[a].AtNum];
  for (int c : cnt)
    if (c < 0) return false;
  return true;
}

namespace {
struct SubSearch {
  const TCTab& T;
  const TCTab& P;
  bool CheckTypes;
  std::vector<int> order;      // pattern atoms in search order
  std::vector<int> parent;     // pattern atom matched earlier that is a neighbour (0: none)
  int map[MaxAtoms + 1] = {};  // pattern atom -> table atom
  bool used[MaxAtoms + 1] = {};

  bool Compatible(int p, int a) {
    if (used[a] || P.AtNum(p) != T.AtNum(a)) return false;
    int pa = P.Attrib(p);
    if (pa != 0 && (T.Attrib(a) & pa) != pa) return false;
    if (T.NBonds(a) < P.NBonds(p)) return false;
    // every already matched neighbour of p must be bonded to a
    for (int s = 1; s <= P.NBonds(p); ++s) {
      int q = P.ConnTo(p, s);
      if (q < 1 || q > P.NAtoms() || map[q] == 0) continue;
      int t = T.CheckConnect(map[q], a);
      if (t == 0) return false;
      if (CheckTypes && t != P.TypConn(p, s)) return false;
    }
    return true;
  }

  bool Step(size_t k) {
    if (k == order.size()) return true;
    int p = order[k];
    auto tryAtom = [&](int a) {
      if (!Compatible(p, a)) return false;
      map[p] = a;
      used[a] = true;
      if (Step(k + 1)) return true;
      map[p] = 0;
      used[a] = false;
      return false;
    };
    if (parent[k] != 0) {
      int pa = map[parent[k]];
      for (int s = 1; s <= T.NBonds(pa); ++s)
        if (tryAtom(T.ConnTo(pa, s))) return true;
    } else {
      for (int a = 1; a <= T.NAtoms(); ++a)
        if (tryAtom(a)) return true;
    }
    return false;
  }
};
}  // namespace

bool TCTab::SearchSubStruc(const TCTab& Pattern, TMatchArray& Matched, bool CheckBondTypes) const {
  Matched.fill(0);
  const int pn = Pattern.FNAtoms;
  if (pn == 0 || FNAtoms == 0) return false;
  if (!SumForContained(Pattern) || RingsInMolecule() < Pattern.RingsInMolecule()) return false;
  SubSearch S{*this, Pattern, CheckBondTypes, {}, {}};
  // Search order: from the first non-carbon atom (or the last atom) breadth
  // first through its part, then the other parts likewise, so that each atom
  // after the first of a part is tried only against neighbours of a match.
  int start = pn;
  for (int a = 1; a <= pn; ++a)
    if (Pattern.FAt[a].AtNum != 6) {
      start = a;
      break;
    }
  std::vector<bool> seen(pn + 1, false);
  auto walk = [&](int root) {
    std::vector<std::pair<int, int>> q{{root, 0}};
    seen[root] = true;
    for (size_t i = 0; i < q.size(); ++i) {
      S.order.push_back(q[i].first);
      S.parent.push_back(q[i].second);
      int x = q[i].first;
      for (int s = 1; s <= Pattern.NBonds(x); ++s) {
        int y = Pattern.ConnTo(x, s);
        if (y >= 1 && y <= pn && !seen[y]) {
          seen[y] = true;
          q.push_back({y, x});
        }
      }
    }
  };
  walk(start);
  for (int a = 1; a <= pn; ++a)
    if (!seen[a]) walk(a);
  if (!S.Step(0)) return false;
  for (int p = 1; p <= pn; ++p) Matched[S.map[p]] = 1;
  return true;
}

int TCTab::MatchAtomTemplate(int Z, int NB, const std::vector<int>& Neighbours, AtListType& Atoms) const {
  Atoms.Length = 0;
  for (int a = 1; a <= FNAtoms; ++a) {
    int z = FAt[a].AtNum;
    if (Z > 0 && z != Z) continue;
    if (Z < 0 && z == -Z) continue;
    int nb = NBonds(a);
    if (NB > 0 && nb != NB) continue;
    if (static_cast<int>(Neighbours.size()) > nb) continue;
    // Assign the template entries to distinct neighbours (specific entries first).
    std::vector<int> tmpl = Neighbours;
    std::stable_sort(tmpl.begin(), tmpl.end(), [](int x, int y) { return (x > 0) > (y > 0); });
    bool usedNb[MaxConn + 1] = {};
    std::function<bool(size_t)> assign = [&](size_t k) -> bool {
      if (k == tmpl.size()) return true;
      for (int s = 1; s <= nb; ++s) {
        if (usedNb[s]) continue;
        int zz = AtNum(FAt[a].ConnTo[s]);
        int t = tmpl[k];
        if ((t > 0 && zz != t) || (t < 0 && zz == -t)) continue;
        usedNb[s] = true;
        if (assign(k + 1)) return true;
        usedNb[s] = false;
      }
      return false;
    };
    if (assign(0)) Atoms.Atoms[++Atoms.Length] = static_cast<uint8_t>(a);
  }
  return Atoms.Length;
}

int TCTab::CompareWith(const TCTab& O) const {
  int r = 0;
  if (FNAtoms != O.FNAtoms) r |= 0x0001;
  if (!SameText(FName, O.FName)) r |= 0x0002;
  if (FUnits != O.FUnits) r |= 0x0004;
  if (FCASNr != O.FCASNr) r |= 0x0008;
  for (int a = 1; a <= MaxAtoms; ++a) {
    const CTElem& x = FAt[a];
    const CTElem& y = O.FAt[a];
    if (x.AtNum != y.AtNum) r |= 0x0010;
    if (x.AtWeight != y.AtWeight) r |= 0x0020;
    if (x.AtFlag != y.AtFlag) r |= 0x0040;
    if (x.Attrib != y.Attrib) r |= 0x0080;
    if (x.Charge != y.Charge) r |= 0x0100;
    if (x.Coords[0] != y.Coords[0]) r |= 0x0200;
    if (x.Coords[1] != y.Coords[1]) r |= 0x0400;
    if (x.Coords[2] != y.Coords[2]) r |= 0x0800;
    for (int s = 1; s <= MaxConn; ++s) {
      if (x.ConnTo[s] != y.ConnTo[s]) r |= 0x1000;
      if (x.TypConn[s] != y.TypConn[s]) r |= 0x2000;
    }
  }
  return r;
}

// ---------------------------------------------------------------- geometry

void TCTab::CalcMolCenter(double& X, double& Y, double& Z) const {
  X = Y = Z = 0;
  if (FNAtoms == 0) return;
  for (int a = 1; a <= FNAtoms; ++a) {
    X += FAt[a].Coords[0];
    Y += FAt[a].Coords[1];
    Z += FAt[a].Coords[2];
  }
  X /= FNAtoms;
  Y /= FNAtoms;
  Z /= FNAtoms;
}

double TCTab::CalcMolExtents(double& XMin, double& YMin, double& XMax, double& YMax, double& XMean,
                             double& YMean) const {
  if (FNAtoms < 2) {
    XMin = 1; YMin = 1; XMax = 10000; YMax = 7000; XMean = 5000; YMean = 3500;
    return 0;
  }
  XMin = XMax = FAt[1].Coords[0];
  YMin = YMax = FAt[1].Coords[1];
  XMean = YMean = 0;
  double len = 0;
  int ends = 0;
  for (int a = 1; a <= FNAtoms; ++a) {
    double x = FAt[a].Coords[0], y = FAt[a].Coords[1];
    XMin = std::min(XMin, x); XMax = std::max(XMax, x);
    YMin = std::min(YMin, y); YMax = std::max(YMax, y);
    XMean += x; YMean += y;
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s) {
      int b = FAt[a].ConnTo[s];
      if (b > FNAtoms) continue;
      len += std::hypot(x - FAt[b].Coords[0], y - FAt[b].Coords[1]);
      ++ends;
    }
  }
  XMean /= FNAtoms;
  YMean /= FNAtoms;
  return ends > 0 ? len / ends : 0.0;
}

int TCTab::FindAtomInBox(double X, double Y, double Z, double RX, double RY, double RZ) const {
  for (int a = FNAtoms; a >= 1; --a)
    if (std::fabs(FAt[a].Coords[0] - X) <= RX && std::fabs(FAt[a].Coords[1] - Y) <= RY &&
        std::fabs(FAt[a].Coords[2] - Z) <= RZ)
      return a;
  return -1;
}

void TCTab::FindClosestAtom(double X, double Y, double Z, int& AtomNo, double& Dist) const {
  AtomNo = 0;
  Dist = std::numeric_limits<double>::max();
  for (int a = 1; a <= FNAtoms; ++a) {
    double dx = FAt[a].Coords[0] - X, dy = FAt[a].Coords[1] - Y, dz = FAt[a].Coords[2] - Z;
    double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (d < Dist) {
      Dist = d;
      AtomNo = a;
    }
  }
}

namespace {
// Eigenvectors (columns of V) and eigenvalues of a symmetric 3 x 3 matrix by
// Jacobi rotations.  Stands in for the math library's principal components
// until that unit is available.
void Jacobi3(double A[3][3], double V[3][3], double d[3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) V[i][j] = i == j;
  for (int sweep = 0; sweep < 50; ++sweep) {
    double off = std::fabs(A[0][1]) + std::fabs(A[0][2]) + std::fabs(A[1][2]);
    if (off < 1e-300) break;
    for (int p = 0; p < 2; ++p)
      for (int q = p + 1; q < 3; ++q) {
        if (std::fabs(A[p][q]) < 1e-300) continue;
        double theta = (A[q][q] - A[p][p]) / (2 * A[p][q]);
        double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < 3; ++k) {
          double akp = A[k][p], akq = A[k][q];
          A[k][p] = c * akp - s * akq;
          A[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < 3; ++k) {
          double apk = A[p][k], aqk = A[q][k];
          A[p][k] = c * apk - s * aqk;
          A[q][k] = s * apk + c * aqk;
        }
        for (int k = 0; k < 3; ++k) {
          double vkp = V[k][p], vkq = V[k][q];
          V[k][p] = c * vkp - s * vkq;
          V[k][q] = s * vkp + c * vkq;
        }
      }
  }
  for (int i = 0; i < 3; ++i) d[i] = A[i][i];
}
}  // namespace

void TCTab::RotateWithPCA() {
  if (FNAtoms < 2) return;
  double mean[3] = {0, 0, 0};
  for (int a = 1; a <= FNAtoms; ++a)
    for (int k = 0; k < 2; ++k) mean[k] += FAt[a].Coords[k];
  for (double& m : mean) m /= FNAtoms;
  double C[3][3] = {};
  for (int a = 1; a <= FNAtoms; ++a) {
    double v[3] = {FAt[a].Coords[0] - mean[0], FAt[a].Coords[1] - mean[1], 0};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) C[i][j] += v[i] * v[j];
  }
  double V[3][3], d[3];
  Jacobi3(C, V, d);
  int idx[3] = {0, 1, 2};
  std::sort(idx, idx + 3, [&](int x, int y) { return d[x] > d[y]; });
  double E[3][3];  // E[i] = i-th principal axis
  for (int i = 0; i < 3; ++i) {
    int big = 0;
    for (int k = 0; k < 3; ++k) {
      E[i][k] = V[k][idx[i]];
      if (std::fabs(E[i][k]) > std::fabs(E[i][big])) big = k;
    }
    if (E[i][big] < 0)
      for (double& e : E[i]) e = -e;
  }
  // The coordinates keep their fractions (Angstrom values stay usable).
  for (int a = 1; a <= FNAtoms; ++a) {
    double v[3] = {FAt[a].Coords[0], FAt[a].Coords[1], 0};
    for (int i = 0; i < 3; ++i)
      FAt[a].Coords[i] = static_cast<float>(E[i][0] * v[0] + E[i][1] * v[1] + E[i][2] * v[2]);
  }
  Changed();
}

// ---------------------------------------------------------------- combining

bool TCTab::LinkFragment(const TCTab& Other) {
  if (FNAtoms + Other.FNAtoms > MaxAtoms) return false;
  auto tmp = std::make_unique<TCTab>(nullptr);
  tmp->AssignNoChange(*this);
  int base = tmp->FNAtoms;
  for (int a = 1; a <= Other.FNAtoms; ++a) {
    CTElem e = Other.FAt[a];
    for (int s = 1; s <= MaxConn; ++s)
      if (e.ConnTo[s]) e.ConnTo[s] = static_cast<uint8_t>(e.ConnTo[s] + base);
    tmp->FAt[base + a] = e;
  }
  tmp->FNAtoms = base + Other.FNAtoms;
  for (int a = 1; a <= base; ++a) {
    if (tmp->FAt[a].AtFlag == 0) continue;
    for (int b = base + 1; b <= tmp->FNAtoms; ++b)
      if (tmp->FAt[b].AtFlag == tmp->FAt[a].AtFlag && !tmp->MakeConnection(a, b, 1)) return false;
  }
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::JoinFragment(const TCTab& Other) {
  auto tmp = std::make_unique<TCTab>(nullptr);
  tmp->AssignNoChange(*this);
  int map[MaxAtoms + 1] = {};
  for (int a = 1; a <= Other.FNAtoms; ++a) {
    int f = Other.FAt[a].AtFlag;
    if (f != 0)
      for (int b = 1; b <= FNAtoms; ++b)
        if (FAt[b].AtFlag == f) {
          map[a] = b;
          break;
        }
    if (map[a] == 0) {
      if (tmp->FNAtoms >= MaxAtoms) return false;
      map[a] = ++tmp->FNAtoms;
      CTElem e = Other.FAt[a];
      std::memset(e.ConnTo, 0, sizeof e.ConnTo);
      std::memset(e.TypConn, 0, sizeof e.TypConn);
      tmp->FAt[map[a]] = e;
    }
  }
  for (int a = 1; a <= Other.FNAtoms; ++a)
    for (int s = 1; s <= MaxConn && Other.FAt[a].ConnTo[s]; ++s) {
      int b = Other.FAt[a].ConnTo[s];
      if (b > Other.FNAtoms || map[a] == map[b]) continue;
      if (tmp->CheckConnect(map[a], map[b]) == 0 && !tmp->MakeConnection(map[a], map[b], Other.FAt[a].TypConn[s]))
        return false;
    }
  AssignNoChange(*tmp);
  Changed();
  return true;
}

// ---------------------------------------------------------------- files

namespace {

// Lines from a text file or a stream, with one line of push-back.
class LineSrc {
 public:
  virtual ~LineSrc() = default;
  bool Next(std::string& l) {
    if (FHave) {
      FHave = false;
      l = FBack;
      return true;
    }
    return Read(l);
  }
  void Unget(const std::string& l) {
    FBack = l;
    FHave = true;
  }

 protected:
  virtual bool Read(std::string& l) = 0;

 private:
  std::string FBack;
  bool FHave = false;
};

class FileLines : public LineSrc {
 public:
  explicit FileLines(TextFile& f) : F(f) {}

 protected:
  bool Read(std::string& l) override { return ReadLn(F, l); }

 private:
  TextFile& F;
};

class StreamLines : public LineSrc {
 public:
  explicit StreamLines(TStream& s) : S(s) {}

 protected:
  bool Read(std::string& l) override {
    l.clear();
    char c;
    bool any = false;
    while (S.Read(&c, 1) == 1) {
      any = true;
      if (c == '\n') return true;
      if (c == '\r') {
        char d;
        if (S.Read(&d, 1) == 1 && d != '\n') S.Seek(-1, soCurrent);
        return true;
      }
      l += c;
      if (l.size() > 100000) return true;  // no line of these formats is that long
    }
    if (any) l = BytesToUtf8(l);
    return any;
  }

 private:
  TStream& S;
};

// Length in bytes of the UTF-8 sequence that starts s (1 for other bytes).
size_t Utf8SeqLen(const std::string& s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  size_t n = c >= 0xF0 && c < 0xF8 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (n > s.size()) return 1;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  return n;
}

std::string TrimBl(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Columns From..To (1-based, inclusive) of a line, blanks removed; empty beyond its end.
std::string Field(const std::string& l, size_t From, size_t To) {
  if (l.size() < From) return "";
  return TrimBl(l.substr(From - 1, To - From + 1));
}

// Integer field: blank gives Def; anything but an optionally signed number fails.
bool IntField(const std::string& f, int& v, int Def = 0) {
  if (f.empty()) {
    v = Def;
    return true;
  }
  size_t i = 0;
  bool neg = false;
  if (f[0] == '+' || f[0] == '-') {
    neg = f[0] == '-';
    i = 1;
  }
  if (i >= f.size()) return false;
  long x = 0;
  for (; i < f.size(); ++i) {
    if (f[i] < '0' || f[i] > '9') return false;
    x = x * 10 + (f[i] - '0');
    if (x > 1000000000L) return false;
  }
  v = static_cast<int>(neg ? -x : x);
  return true;
}

// Decimal number field: digits, one sign, a point and an exponent only
// (no hexadecimal, no inf or nan words).
bool RealField(const std::string& f, double& v) {
  if (f.empty()) {
    v = 0;
    return true;
  }
  for (char c : f)
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) return false;
  char* end = nullptr;
  v = std::strtod(f.c_str(), &end);
  return end == f.c_str() + f.size() && std::isfinite(v) && std::fabs(v) < 1e15;
}

}  // namespace

struct CTabIO {
  // Reads counts, atom, bond and property lines into T (a scratch table).
  static bool ReadCTab(LineSrc& src, TCTab& T) {
    std::string l;
    if (!src.Next(l)) return false;
    int na = 0, nb = 0;
    if (!IntField(Field(l, 1, 3), na) || !IntField(Field(l, 4, 6), nb)) return false;
    if (na < 1 || na > MaxAtoms || nb < 0 || nb > MaxAtoms * MaxConn / 2) return false;
    T.FNAtoms = na;
    for (int a = 1; a <= na; ++a) {
      // Every field read (through the charge code, column 39) must be complete:
      // a shorter line is a cut file.
      if (!src.Next(l) || l.size() < 39) return false;
      CTElem& e = T.FAt[a];
      ClearCTElem(e);
      double c[3];
      if (!RealField(Field(l, 1, 10), c[0]) || !RealField(Field(l, 11, 20), c[1]) ||
          !RealField(Field(l, 21, 30), c[2]))
        return false;
      for (int k = 0; k < 3; ++k) e.Coords[k] = static_cast<float>(c[k]);
      // The symbol must name an element (D and T stand for hydrogen 2 and 3);
      // an unknown symbol could not be written back.
      std::string sym = Field(l, 32, 34);
      int isoH = sym == "D" ? 2 : sym == "T" ? 3 : 0;
      e.AtNum = static_cast<uint8_t>(isoH ? 1 : AtomicNumber(sym));
      if (e.AtNum == 0) return false;
      int md = 0, cc = 0;
      if (!IntField(Field(l, 35, 36), md) || !IntField(Field(l, 37, 39), cc)) return false;
      int w = (isoH ? isoH : IntAtWeight(e.AtNum)) + md;
      if (w < 1 || w > 65535) return false;
      e.AtWeight = static_cast<uint16_t>(w);
      // Charge codes 0..7 only: other values are not charges the format can hold.
      static const int kCharge[8] = {0, 3, 2, 1, 0, -1, -2, -3};
      if (cc < 0 || cc > 7) return false;
      e.Charge = static_cast<int8_t>(kCharge[cc]);
    }
    bool typeOk = true;
    for (int b = 1; b <= nb; ++b) {
      if (!src.Next(l)) return false;
      int a1 = 0, a2 = 0, t = 0;
      if (!IntField(Field(l, 1, 3), a1) || !IntField(Field(l, 4, 6), a2) || !IntField(Field(l, 7, 9), t))
        return false;
      if (a1 < 1 || a1 > na || a2 < 1 || a2 > na || a1 == a2 || t < 1) return false;
      if (t > 4) {
        typeOk = false;
        t = 1;
      }
      // A bond that finds no free slot would be lost: refuse the table.
      if (!HasRoom(T.FAt[a1], a2) || !HasRoom(T.FAt[a2], a1)) return false;
      T.EnterConn(a1, a2, t);
    }
    T.MakeSymmetricConnections();
    // Property lines of the connection table: charges, isotopes, end.
    bool chgSeen = false;
    while (src.Next(l)) {
      if (l.compare(0, 3, "M  ") != 0 && l.compare(0, 3, "A  ") != 0 && l.compare(0, 3, "V  ") != 0 &&
          l.compare(0, 3, "G  ") != 0) {
        src.Unget(l);
        break;
      }
      if (l.compare(0, 6, "M  END") == 0) break;
      bool chg = l.compare(0, 6, "M  CHG") == 0, iso = l.compare(0, 6, "M  ISO") == 0;
      if (!chg && !iso) continue;
      std::istringstream in(l.substr(6));
      int n = 0;
      if (!(in >> n) || n < 1 || n > 8) return false;
      if (chg && !chgSeen) {
        // Charge lines replace the charges of the atom block.
        for (int a = 1; a <= na; ++a) T.FAt[a].Charge = 0;
        chgSeen = true;
      }
      for (int k = 0; k < n; ++k) {
        int a = 0, v = 0;
        if (!(in >> a >> v) || a < 1 || a > na) return false;
        if (chg) {
          if (v < -15 || v > 15) return false;
          T.FAt[a].Charge = static_cast<int8_t>(v);
        } else {
          if (v < 1 || v > 999) return false;
          T.FAt[a].AtWeight = static_cast<uint16_t>(v);
        }
      }
    }
    Normalise(T);
    return typeOk;
  }

  static void Normalise(TCTab& T) {
    double mn[3], mx[3];
    for (int k = 0; k < 3; ++k) mn[k] = mx[k] = T.FAt[1].Coords[k];
    for (int a = 2; a <= T.FNAtoms; ++a)
      for (int k = 0; k < 3; ++k) {
        mn[k] = std::min<double>(mn[k], T.FAt[a].Coords[k]);
        mx[k] = std::max<double>(mx[k], T.FAt[a].Coords[k]);
      }
    double sx = (mx[0] - mn[0]) > 1e-6 ? 800.0 / (mx[0] - mn[0]) : 0;
    double sy = (mx[1] - mn[1]) > 1e-6 ? 600.0 / (mx[1] - mn[1]) : 0;
    double s = std::max(sx, sy);
    for (int k = 0; k < 3; ++k)
      if ((mx[k] - mn[k]) * s > 32767) s = 32767 / (mx[k] - mn[k]);
    for (int a = 1; a <= T.FNAtoms; ++a)
      for (int k = 0; k < 3; ++k)
        T.FAt[a].Coords[k] = static_cast<float>(std::lround((T.FAt[a].Coords[k] - mn[k]) * s));
  }

  static bool ReadMol(LineSrc& src, TCTab& T) {
    std::string l1, l2, l3;
    if (!src.Next(l1) || !src.Next(l2) || !src.Next(l3)) return false;
    T.FName = TrimBl(l1);
    return ReadCTab(src, T);
  }

  // Free-format numbers of the clear-text bodies, across lines.
  struct Tokens {
    TextFile& F;
    std::istringstream cur;
    bool Int(int& v) {
      std::string t;
      while (!(cur >> t)) {
        std::string l;
        if (!ReadLn(F, l)) return false;
        cur.clear();
        cur.str(l);
      }
      return IntField(t, v);
    }
    bool Real(double& v) {
      std::string t;
      while (!(cur >> t)) {
        std::string l;
        if (!ReadLn(F, l)) return false;
        cur.clear();
        cur.str(l);
      }
      return RealField(t, v);
    }
  };

  // Reads "/" keywords until one contains Key; the rest of that line goes to Rest.
  static bool FindKeyword(TextFile& F, const std::string& Key, std::string& Rest) {
    std::string l;
    while (ReadLn(F, l)) {
      size_t p = 0;
      while ((p = l.find('/', p)) != std::string::npos) {
        size_t e = l.find(' ', p + 1);
        std::string kw = l.substr(p + 1, (e == std::string::npos ? l.size() : e) - p - 1).substr(0, 8);
        if (kw.find(Key) != std::string::npos) {
          Rest = e == std::string::npos ? "" : l.substr(e);
          return true;
        }
        p = p + 1;
      }
    }
    return false;
  }

  static bool ReadBody(TextFile& F, const std::string& Rest, TCTab& T, bool G) {
    std::string first = Rest;
    int L = 0, N = 0;
    {
      std::istringstream in(first);
      std::string a, b;
      if (!(in >> a >> b)) {
        if (!ReadLn(F, first)) return false;
        std::istringstream in2(first);
        if (!(in2 >> a >> b)) return false;
      }
      if (!IntField(a, L) || !IntField(b, N)) return false;
    }
    int comments = L - (G ? N : 2 * N);
    if (L <= 0 || N < 1 || N > MaxAtoms || comments < 0) return false;
    for (int i = 0; i < comments; ++i) {
      std::string l;
      if (!ReadLn(F, l)) return false;
      // The first character (a whole UTF-8 sequence) is the line's lead-in.
      if (!l.empty()) T.FName += l.substr(Utf8SeqLen(l));
    }
    Tokens tk{F, std::istringstream()};
    int slots = G ? 8 : 0;
    for (int a = 1; a <= N; ++a) {
      CTElem e;
      ClearCTElem(e);
      int seq = 0, z = 0, w = 0, at = 0, q = 0, k = 0;
      double x = 0, y = 0, zc = 0;
      if (!G && !tk.Int(seq)) return false;
      if (!tk.Int(z) || !tk.Int(w) || !tk.Int(at) || !tk.Int(q) || !tk.Real(x) || !tk.Real(y)) return false;
      if (!G && !tk.Real(zc)) return false;
      // Values every writer of the suite can hold: a known element, charges of
      // at most 15 units.
      if (z < 1 || z > MaxElem || w < 0 || w > 65535 || at < 0 || at > 255 || q < -15 || q > 15) return false;
      if (G) k = slots;
      else if (!tk.Int(k)) return false;
      if (k < 0 || k > MaxConn) return false;
      int nbr[MaxConn] = {}, typ[MaxConn] = {};
      for (int i = 0; i < k; ++i)
        if (!tk.Int(nbr[i])) return false;
      for (int i = 0; i < k; ++i)
        if (!tk.Int(typ[i])) return false;
      e.AtNum = static_cast<uint8_t>(z);
      e.AtWeight = static_cast<uint16_t>(w);
      e.Attrib = static_cast<uint8_t>(at);
      e.Charge = static_cast<int8_t>(q);
      e.Coords[0] = static_cast<float>(x);
      e.Coords[1] = static_cast<float>(y);
      e.Coords[2] = static_cast<float>(zc);
      int s = 0;
      for (int i = 0; i < k; ++i) {
        if (nbr[i] == 0 && G) continue;
        if (nbr[i] < 1 || nbr[i] > N || nbr[i] == a || typ[i] < 1 || typ[i] > 4) return false;
        ++s;
        e.ConnTo[s] = static_cast<uint8_t>(nbr[i]);
        e.TypConn[s] = static_cast<uint8_t>(typ[i]);
      }
      if (!T.AddAtom(e)) return false;
    }
    // Every bond stored in both atoms; refuse lists that would overflow.
    for (int a = 1; a <= N; ++a)
      for (int s = 1; s <= MaxConn && T.FAt[a].ConnTo[s]; ++s)
        if (!HasRoom(T.FAt[T.FAt[a].ConnTo[s]], a)) return false;
    T.MakeSymmetricConnections();
    // Several atoms may claim the last free slot of one partner: a bond that
    // is stored on one side only is refused.
    for (int a = 1; a <= N; ++a)
      for (int s = 1; s <= MaxConn && T.FAt[a].ConnTo[s]; ++s)
        if (T.CheckConnect(T.FAt[a].ConnTo[s], a) == 0) return false;
    return true;
  }
};

bool TCTab::ReadFromMDLCTabFile(TextFile& F) {
  FileLines src(F);
  auto tmp = std::make_unique<TCTab>(nullptr);
  tmp->FName = FName;
  tmp->FCASNr = FCASNr;
  if (!CTabIO::ReadCTab(src, *tmp)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadFromMDLCTabStream(TStream& S) {
  StreamLines src(S);
  auto tmp = std::make_unique<TCTab>(nullptr);
  tmp->FName = FName;
  tmp->FCASNr = FCASNr;
  if (!CTabIO::ReadCTab(src, *tmp)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadFromMDLMolFile(TextFile& F) {
  FileLines src(F);
  auto tmp = std::make_unique<TCTab>(nullptr);
  if (!CTabIO::ReadMol(src, *tmp)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadFromMDLMolStream(TStream& S) {
  StreamLines src(S);
  auto tmp = std::make_unique<TCTab>(nullptr);
  if (!CTabIO::ReadMol(src, *tmp)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadFromMDLSDFile(TextFile& F, TPropArray& Props) {
  for (auto& p : Props) p = TPropRec();
  FileLines src(F);
  auto tmp = std::make_unique<TCTab>(nullptr);
  bool ok = CTabIO::ReadMol(src, *tmp);
  static const char* const kKeys[MaxSDProps] = {"MELTP", "BOILP", "DENSI", "REFRX", "LGKOC", "ACCOF",
                                                "WAALA", "WAALB", "WSOLU", "DHF0",  "DFF0",  "LOGKF",
                                                "ENTR0", "LOGHY", "DIPOL", "HEATV", "MOLVL", "RETIX",
                                                "CRITT", "POLAR"};
  std::string l;
  // The data items; a damaged record is skipped up to its end as well, so
  // that the next call starts with the next record.
  while (src.Next(l)) {
    if (l.compare(0, 4, "$$$$") == 0) break;
    if (!ok || l.empty() || l[0] != '>') continue;
    size_t lt = l.find('<'), gt = lt == std::string::npos ? lt : l.find('>', lt);
    if (gt == std::string::npos) continue;
    std::string key = l.substr(lt + 1, gt - lt - 1);
    std::string v;
    if (key == "CAS_RN" || key == "CASREGNR") {
      if (!src.Next(v)) break;
      int64_t n = 0;
      if (ConvertStrToCASNr(v, n)) tmp->FCASNr = n;
      continue;
    }
    for (const char* k : kKeys)
      if (key == k) {
        if (!src.Next(v)) break;
        double x = 0;
        if (!RealField(TrimBl(v), x)) break;
        for (auto& p : Props)
          if (p.Name.empty()) {
            p.Name = key;
            p.Value = x;
            break;
          }
        break;
      }
  }
  if (!ok) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadFromClearTextFile(TextFile& F) {
  std::string rest;
  if (!CTabIO::FindKeyword(F, "CONTAB", rest)) return false;
  auto tmp = std::make_unique<TCTab>(nullptr);
  if (!CTabIO::ReadBody(F, rest, *tmp, false)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadFromClearTextFileCTABG(TextFile& F) {
  std::string rest;
  if (!CTabIO::FindKeyword(F, "CTABG", rest)) return false;
  auto tmp = std::make_unique<TCTab>(nullptr);
  if (!CTabIO::ReadBody(F, rest, *tmp, true)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

bool TCTab::ReadConnTabBody(TextFile& F) {
  auto tmp = std::make_unique<TCTab>(nullptr);
  if (!CTabIO::ReadBody(F, "", *tmp, false)) return false;
  AssignNoChange(*tmp);
  Changed();
  return true;
}

// ---- writers

namespace {
std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, f);
  std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}
}  // namespace

std::string TCTab::MDLCTabText() const {
  int nb = 0;
  for (int a = 1; a <= FNAtoms; ++a)
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (FAt[a].ConnTo[s] > a) ++nb;
  std::string t = Fmt("%3d%3d  0  0  0  0  0  0  0  0999 V2000\n", FNAtoms, nb);
  std::vector<std::pair<int, int>> chg, iso;
  for (int a = 1; a <= FNAtoms; ++a) {
    const CTElem& e = FAt[a];
    std::string sym = e.AtNum ? CElemSymb(e.AtNum) : "*";
    int q = e.Charge;
    int code = (q >= -3 && q <= 3 && q != 0) ? 4 - q : 0;
    if (q != 0) chg.push_back({a, q});
    if (e.AtNum && e.AtWeight != IntAtWeight(e.AtNum)) iso.push_back({a, e.AtWeight});
    t += Fmt("%10.4f%10.4f%10.4f %-3s 0%3d  0  0  0  0  0  0  0  0  0  0\n", e.Coords[0], e.Coords[1],
             e.Coords[2], sym.c_str(), code);
  }
  for (int a = 1; a <= FNAtoms; ++a)
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (FAt[a].ConnTo[s] > a) t += Fmt("%3d%3d%3d  0  0  0  0\n", a, FAt[a].ConnTo[s], FAt[a].TypConn[s]);
  for (auto* list : {&chg, &iso})
    for (size_t i = 0; i < list->size(); i += 8) {
      size_t n = std::min<size_t>(8, list->size() - i);
      t += Fmt("M  %s%3zu", list == &chg ? "CHG" : "ISO", n);
      for (size_t k = i; k < i + n; ++k) t += Fmt(" %3d %3d", (*list)[k].first, (*list)[k].second);
      t += "\n";
    }
  t += "M  END\n";
  return t;
}

std::string TCTab::MDLMolText(const std::string& Comment, const std::string& ProgName, int Month, int Day,
                              int Year) const {
  std::string name = FName.substr(0, 80);
  std::string prog = ProgName.substr(0, 8);
  while (prog.size() < 8) prog += ' ';
  std::string line2 = "  " + prog + Fmt("%02d%02d%02d0000", Month % 100, Day % 100, Year % 100) + "2D";
  return name + "\n" + line2 + "\n" + Comment.substr(0, 80) + "\n" + MDLCTabText();
}

namespace {
void WriteLines(TextFile& F, const std::string& text) {
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find('\n', p);
    WriteLn(F, text.substr(p, e - p));
    p = e + 1;
  }
}
}  // namespace

void TCTab::WriteToMDLCTabFile(TextFile& F) const { WriteLines(F, MDLCTabText()); }
void TCTab::WriteToMDLCTabStream(TStream& S) const {
  std::string t = MDLCTabText();
  S.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}
void TCTab::WriteToMDLMolFile(TextFile& F, const std::string& Comment, const std::string& ProgName, int Month,
                              int Day, int Year) const {
  WriteLines(F, MDLMolText(Comment, ProgName, Month, Day, Year));
}
void TCTab::WriteToMDLMolStream(TStream& S, const std::string& Comment, const std::string& ProgName, int Month,
                                int Day, int Year) const {
  std::string t = MDLMolText(Comment, ProgName, Month, Day, Year);
  S.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}

void TCTab::WriteToClearTextFile(TextFile& F) const {
  WriteLn(F, "/CONTAB");
  bool hasName = !FName.empty();
  WriteLn(F, Fmt("%d %d", 2 * FNAtoms + (hasName ? 1 : 0), FNAtoms));
  if (hasName) WriteLn(F, " " + FName);
  for (int a = 1; a <= FNAtoms; ++a) {
    const CTElem& e = FAt[a];
    WriteLn(F, Fmt("%d %d %d %d %d %.6g %.6g %.6g", a, e.AtNum, e.AtWeight, e.Attrib, e.Charge, e.Coords[0],
                   e.Coords[1], e.Coords[2]));
    int k = NBonds(a);
    std::string l = std::to_string(k);
    for (int s = 1; s <= k; ++s) l += " " + std::to_string(e.ConnTo[s]);
    for (int s = 1; s <= k; ++s) l += " " + std::to_string(e.TypConn[s]);
    WriteLn(F, l);
  }
}

void TCTab::WriteToMolConnXFile(int Id, TextFile& F) const {
  int nb = 0;
  for (int a = 1; a <= FNAtoms; ++a)
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (FAt[a].ConnTo[s] > a) ++nb;
  WriteLn(F, "MOLCONNX 1");
  WriteLn(F, "ID " + std::to_string(Id));
  WriteLn(F, "NAME " + FName);
  WriteLn(F, Fmt("ATOMS %d BONDS %d", FNAtoms, nb));
  for (int a = 1; a <= FNAtoms; ++a) {
    const CTElem& e = FAt[a];
    std::string sym = e.AtNum ? CElemSymb(e.AtNum) : "*";
    WriteLn(F, Fmt("%d %s %d %d %d %.6g %.6g %.6g", a, sym.c_str(), e.AtWeight, e.Charge, std::max(0, NrHAtoms(a)),
                   e.Coords[0], e.Coords[1], e.Coords[2]));
  }
  for (int a = 1; a <= FNAtoms; ++a)
    for (int s = 1; s <= MaxConn && FAt[a].ConnTo[s]; ++s)
      if (FAt[a].ConnTo[s] > a) WriteLn(F, Fmt("%d %d %d", a, FAt[a].ConnTo[s], FAt[a].TypConn[s]));
  WriteLn(F, "END");
}

}  // namespace zol
