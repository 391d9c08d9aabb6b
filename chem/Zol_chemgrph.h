// Structure drawing: TChemGraph shows the structure held in its own
// connection table as a 2D diagram — bonds as lines (double, triple and
// aromatic bonds distinguished), atom labels with implicit hydrogens, charges
// and mass numbers — fitted into the control or drawn at the stored
// coordinates.  It reports the atom nearest to the mouse, picks rings and
// chains under a position and improves a layout by random search.
//
// Screen mapping: screen x = OffsetX + Scale·x, screen y = OffsetY + Scale·y
// (structure y grows downward on the screen, as stored).
//
// Drawing choices of this unit:
// - A bond that ends at a labelled atom stops where it leaves the label's box
//   (plus one pixel), so lines never run through the text.
// - Labels are centred on their atom; a mass number that differs from the
//   element's nominal one is drawn at two thirds of the label size before the
//   symbol, raised by a third of the label height.  Such an atom is labelled in
//   every display mode, as is a charged or isolated one.
// - Charges of other magnitudes than those of the label table are written as
//   "2+", "3-", … after the symbol, so no charge is drawn without its sign.
// - A visual attribute 1..7 draws a circle of radius 3 + attribute pixels
//   around the atom in the atom's colour.
// - A structure whose atoms all share one position (no coordinates) is drawn
//   with its atoms on a circle in atom order; the table is not changed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/Zol_zolbase.h"
#include "base/platform/Zol_controls.h"
#include "base/platform/Zol_graphics.h"
#include "chem/Zol_cstruct.h"

namespace zol {

enum TCGDispMode {
  dmSkeleton,    // labels only for isolated, charged or isotope-labelled atoms
  dmHeteroOnly,  // labels for every atom but uncharged, bonded carbons
  dmAllAtoms,    // labels for all atoms
  dmNumbers      // atom numbers instead of labels
};

// Sender, the atom closest to the mouse (0 for an empty table), its distance
// and the mouse position, both in structure coordinates.
using TMoveOverStructEvent = std::function<void(TObject* Sender, int ClosestAtom, double Dist,
                                                TShiftState Shift, double rMousePosX,
                                                double rMousePosY)>;

class TChemGraph : public TCustomControl {
 public:
  // Sides of the clip boundary.
  enum TDirection { diLeft, diTop, diRight, diBottom };

  explicit TChemGraph(TComponent* AOwner);
  ~TChemGraph() override;

  // The structure shown; its OnChange repaints the control.
  TCTab& MolGraph() { return *FMol; }
  const TCTab& MolGraph() const { return *FMol; }

  // ---- published properties
  TColor ColorBkg() const { return FColorBkg; }
  void SetColorBkg(TColor v);
  TColor ColorStructure() const { return FColorStructure; }
  void SetColorStructure(TColor v);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme v);
  TCGDispMode DisplayMode() const { return FDisplayMode; }
  void SetDisplayMode(TCGDispMode v);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle v);
  // The longest bond in pixels when fitting (0: no limit).  Negative values are taken as 0.
  int MaxBondLeng() const { return FMaxBondLeng; }
  void SetMaxBondLeng(int v);

  // ---- public properties
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool v);
  // Draw at the stored coordinates with scale 1 and no offset (clipped to ClipBoundary).
  bool DrawAsIs() const { return FDrawAsIs; }
  void SetDrawAsIs(bool v);
  int ClipBoundary(TDirection d) const { return FClip[d]; }
  void SetClipBoundary(TDirection d, int v);
  // The atom's individual colour, clNone when it has none.  Setting clNone
  // removes it.  Atom numbers outside 1..NAtoms are ignored (read: clNone).
  TColor AtColor(int Atom) const;
  void SetAtColor(int Atom, TColor v);
  // The atom's visual attribute 0..7 (values are taken modulo 8).
  int VisAttrib(int Atom) const;
  void SetVisAttrib(int Atom, int v);
  // Scale and offsets of the last drawing.
  double Scale() const { return FScale; }
  double OffsetX() const { return FOffsetX; }
  double OffsetY() const { return FOffsetY; }

  // ---- drawing
  // Draws the structure on Canvas with the given mapping.  With ColorAtoms,
  // atoms that have an individual colour draw their label and their half of
  // each bond in it.  The canvas's pen, brush and font are restored.
  void DrawMolRaw(TCGDispMode Mode, double AScale, double AOffsetX, double AOffsetY, bool ColorAtoms,
                  TCanvas& Canvas);
  // Fits the structure into the rectangle (bonds at most MaxBondLen pixels
  // when MaxBondLen > 0), sets the label font and draws it.
  void ShowMoleculeInABox(TCanvas& Canvas, TCGDispMode Mode, int Left, int Top, int Right, int Bottom,
                          int MaxBondLen);
  // The label of an atom (symbol and the suffix for hydrogens and charge);
  // answers its length in bytes.  An atom number outside 1..NAtoms gives "".
  int ConstructElemSymb(int Atom, std::string& Label) const;
  // Draws the label of one atom (its number in dmNumbers) with the current mapping.
  void DispElemSymb(TCanvas& Canvas, int Atom, TCGDispMode Mode, bool ColorAtoms = true);
  // Draws the bonds of one atom to its higher-numbered partners (so that a
  // structure drawn atom by atom draws every bond once).
  void DrawConnections(TCanvas& Canvas, int Atom, TCGDispMode Mode, bool ColorAtoms = true);

  // ---- picking (X, Y in pixels of the last drawing)
  // Converts the position and fires OnMoveOverStruct.
  void MoveOverStruct(int X, int Y, TShiftState Shift);
  // The smallest ring of the smallest set of smallest rings whose outline
  // encloses the position; false (Ring.Length 0) when none does.
  bool FindRingNextToCursor(int X, int Y, RingType& Ring);
  // The chain (connected atoms that lie in no ring) of the atom nearest to
  // the position, when that atom lies within half a mean bond length of it
  // and in no ring; the atoms are listed from one end of the chain.  False
  // (Atoms.Length 0) otherwise.
  bool FindChainNexttoCursor(int X, int Y, AtListType& Atoms);

  // ---- layout
  // Random search for a better layout with bonds of length BondLen (see
  // LayoutScore); NAtoms × 100 steps, each moving a random atom (and on even
  // steps a second one) by up to ±BondLen·(steps − i)/steps in x and y and
  // keeping the move when the score does not drop.  Uses the suite's random
  // generator, so equal RandSeed gives equal layouts.  Nothing for fewer than
  // two atoms or BondLen <= 0.
  void OptimizeMolShape(double BondLen);
  // The score the layout search maximises: over bonded pairs
  // −½(d − BondLen)² and, for every other neighbour k of either atom,
  // −½(d(other atom, k) − 1.732·BondLen)²; over non-bonded pairs + d
  // (d the 3D distance).  The badness of a layout is minus this score.
  double LayoutScore(double BondLen) const;

  // The table's change handler: repaints.
  void StructureHasChanged(TObject* Sender);

  TMoveOverStructEvent OnMoveOverStruct;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  void ScreenPos(int Atom, double& X, double& Y) const;
  bool LabelShown(int Atom, TCGDispMode Mode) const;
  std::string LabelText(int Atom, TCGDispMode Mode) const;
  TRect LabelBox(TCanvas& Canvas, int Atom, TCGDispMode Mode);
  TColor AtomDrawColor(int Atom, bool ColorAtoms) const;
  void ToStructure(int X, int Y, double& SX, double& SY) const;
  void FitMapping(int Left, int Top, int Right, int Bottom, int MaxBondLen, double& MeanBond);
  void SetLabelFont(TCanvas& Canvas, double MeanBond) const;
  void ComputeRingAtoms(bool InRing[MaxAtoms + 1]);

  TCTab* FMol = nullptr;  // owned as a component (owner: this control)
  TColor FColorBkg = clBtnFace;
  TColor FColorStructure = 0x000080;
  TColorScheme FColorScheme = csBWG;
  TCGDispMode FDisplayMode = dmSkeleton;
  TFrameStyle FFrameStyle = fsRaised;
  int FMaxBondLeng = 30;
  bool FSuppressPaint = false;
  bool FDrawAsIs = false;
  int FClip[4] = {0, 0, 800, 600};
  double FScale = 1, FOffsetX = 0, FOffsetY = 0;
  // Positions used for drawing (the stored coordinates, or the circle layout
  // of a structure without coordinates), index = atom number.
  double FPosX[MaxAtoms + 1] = {}, FPosY[MaxAtoms + 1] = {};
  bool FCircleLayout = false;
  void LoadPositions();
};

}  // namespace zol
