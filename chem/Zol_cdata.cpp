// Element table, CAS registry numbers and chemical name compression.
#include "chem/Zol_cdata.h"

#include <array>
#include <cstring>

namespace zol {

namespace {

struct ElemRow {
  const char* Symb;
  const char* Name;
  int Nominal;
  double Exact;
  double Chem;
  int Outer;
  const char* Config;
};

// Indexed by atomic number - 1.  The names are stored as the table has always
// held them ("litium", "flourine", "vanadin", ...).
const ElemRow kElem[MaxElem] = {
    {"H", "hydrogen", 1, 1.007825, 1.00797, 1, "1s1"},
    {"He", "helium", 4, 4.002603, 4.0026, 2, "1s2"},
    {"Li", "litium", 7, 7.016005, 6.939, 1, "[He] 2s1"},
    {"Be", "beryllium", 9, 9.012183, 9.0122, 2, "[He] 2s2"},
    {"B", "boron", 11, 11.009305, 10.811, 3, "[He] 2s2 2p1"},
    {"C", "carbon", 12, 12.0, 12.01115, 4, "[He] 2s2 2p2"},
    {"N", "nitrogen", 14, 14.003074, 14.0067, 5, "[He] 2s2 2p3"},
    {"O", "oxygen", 16, 15.994915, 15.9994, 6, "[He] 2s2 2p4"},
    {"F", "flourine", 19, 18.998405, 18.9984, 7, "[He] 2s2 2p5"},
    {"Ne", "neon", 20, 19.99244, 20.183, 8, "[He] 2s2 2p6"},
    {"Na", "sodium", 23, 22.98977, 22.9898, 1, "[Ne] 3s1"},
    {"Mg", "magnesium", 24, 23.985044, 24.312, 2, "[Ne] 3s2"},
    {"Al", "aluminum", 27, 26.981541, 26.9815, 3, "[Ne] 3s2 3p1"},
    {"Si", "silicon", 28, 27.976929, 28.086, 4, "[Ne] 3s2 3p2"},
    {"P", "phosphorus", 31, 30.973763, 30.9738, 5, "[Ne] 3s2 3p3"},
    {"S", "sulfur", 32, 31.972073, 32.064, 6, "[Ne] 3s2 3p4"},
    {"Cl", "chlorine", 35, 34.968854, 35.453, 7, "[Ne] 3s2 3p5"},
    {"Ar", "argon", 40, 39.962384, 39.948, 8, "[Ne] 3s2 3p6"},
    {"K", "potassium", 39, 38.963709, 39.102, 1, "[Ar] 4s1"},
    {"Ca", "calcium", 40, 39.962592, 40.08, 2, "[Ar] 4s2"},
    {"Sc", "scandium", 45, 44.955917, 44.956, 2, "[Ar] 3d1 4s2"},
    {"Ti", "titanium", 48, 47.947949, 47.9, 2, "[Ar] 3d2 4s2"},
    {"V", "vanadin", 51, 50.943964, 50.942, 2, "[Ar] 3d3 4s2"},
    {"Cr", "chromium", 52, 51.94051, 51.996, 1, "[Ar] 3d5 4s1"},
    {"Mn", "manganese", 55, 54.938046, 54.938, 2, "[Ar] 3d5 4s2"},
    {"Fe", "iron", 56, 55.934934, 55.847, 2, "[Ar] 3d6 4s2"},
    {"Co", "cobalt", 59, 58.933188, 58.9332, 2, "[Ar] 3d7 4s2"},
    {"Ni", "nickel", 58, 57.935336, 58.71, 2, "[Ar] 3d8 4s2"},
    {"Cu", "copper", 63, 62.92959, 63.54, 1, "[Ar] 3d10 4s1"},
    {"Zn", "zinc", 64, 63.92914, 65.37, 2, "[Ar] 3d10 4s2"},
    {"Ga", "gallium", 69, 68.92558, 69.72, 3, "[Ar] 3d10 4s2 4p1"},
    {"Ge", "germanium", 74, 73.921179, 72.59, 4, "[Ar] 3d10 4s2 4p2"},
    {"As", "arsenic", 75, 74.9216, 74.9216, 5, "[Ar] 3d10 4s2 4p3"},
    {"Se", "selenium", 80, 79.916525, 78.96, 6, "[Ar] 3d10 4s2 4p4"},
    {"Br", "bromine", 79, 78.918332, 79.909, 7, "[Ar] 3d10 4s2 4p5"},
    {"Kr", "krypton", 84, 83.911505, 83.8, 8, "[Ar] 3d10 4s2 4p6"},
    {"Rb", "rubidium", 85, 84.911799, 85.47, 1, "[Kr] 5s1"},
    {"Sr", "strontium", 88, 87.905628, 87.62, 2, "[Kr] 5s2"},
    {"Y", "yttrium", 89, 88.905867, 88.905, 2, "[Kr] 4d1 5s2"},
    {"Zr", "zirconium", 90, 89.904711, 91.22, 2, "[Kr] 4d2 5s2"},
    {"Nb", "niobium", 93, 92.90638, 92.906, 1, "[Kr] 4d4 5s1"},
    {"Mo", "molybdenum", 98, 97.90541, 95.94, 1, "[Kr] 4d5 5s1"},
    {"Tc", "technetium", 97, 96.905, 0.0, 2, "[Kr] 4d6 5s1"},
    {"Ru", "ruthenium", 102, 101.904348, 101.07, 1, "[Kr] 4d7 5s1"},
    {"Rh", "rhodium", 103, 102.905512, 102.905, 1, "[Kr] 4d8 5s1"},
    {"Pd", "palladium", 106, 105.903487, 106.4, 0, "[Kr] 4d10"},
    {"Ag", "silver", 107, 106.905091, 107.87, 1, "[Kr] 4d10 5s1"},
    {"Cd", "cadmium", 114, 113.903367, 112.4, 2, "[Kr] 4d10 5s2"},
    {"In", "indium", 115, 114.903875, 114.82, 3, "[Kr] 4d10 5s2 5p1"},
    {"Sn", "tin", 120, 119.902207, 118.69, 4, "[Kr] 4d10 5s2 5p2"},
    {"Sb", "antimony", 121, 120.903822, 121.75, 5, "[Kr] 4d10 5s2 5p3"},
    {"Te", "tellurium", 130, 129.906232, 127.6, 6, "[Kr] 4d10 5s2 5p4"},
    {"I", "iodine", 127, 126.904476, 126.9044, 7, "[Kr] 4d10 5s2 5p5"},
    {"Xe", "xenon", 132, 131.904157, 131.3, 8, "[Kr] 4d10 5s2 5p6"},
    {"Cs", "cesium", 133, 132.905436, 132.905, 1, "[Xe] 6s1"},
    {"Ba", "barium", 138, 137.905235, 137.34, 2, "[Xe] 6s2"},
    {"La", "lanthanum", 139, 138.906403, 138.91, 2, "[Xe] 5d1 6s2"},
    {"Ce", "cerium", 140, 139.905484, 140.12, 2, "[Xe] 4f2 6s2"},
    {"Pr", "praseodymium", 141, 140.907698, 140.907, 2, "[Xe] 4f3 6s2"},
    {"Nd", "neodymium", 142, 141.907766, 144.24, 2, "[Xe] 4f4 6s2"},
    {"Pm", "prometium", 145, 144.907, 0.0, 2, "[Xe] 4f5 6s2"},
    {"Sm", "samarium", 152, 151.919755, 150.35, 2, "[Xe] 4f6 6s2"},
    {"Eu", "europium", 153, 152.92126, 151.96, 2, "[Xe] 4f7 6s2"},
    {"Gd", "gadolinium", 158, 157.924123, 157.25, 2, "[Xe] 4f7 5d1 6s2"},
    {"Tb", "terbium", 159, 158.925386, 158.924, 2, "[Xe] 4f9 6s2"},
    {"Dy", "dysprosium", 164, 163.929218, 162.5, 2, "[Xe] 4f10 6s2"},
    {"Ho", "holmium", 165, 164.930357, 164.93, 2, "[Xe] 4f11 6s2"},
    {"Er", "erbium", 166, 165.930324, 167.26, 2, "[Xe] 4f12 6s2"},
    {"Tm", "thulium", 169, 168.934245, 168.934, 2, "[Xe] 4f13 6s2"},
    {"Yb", "ytterbium", 174, 173.938881, 173.04, 2, "[Xe] 4f14 6s2"},
    {"Lu", "lutetium", 175, 174.940796, 174.97, 2, "[Xe] 4f14 5d1 6s2"},
    {"Hf", "hafnium", 180, 179.946575, 178.49, 2, "[Xe] 4f14 5d2 6s2"},
    {"Ta", "tantalum", 181, 180.948028, 180.948, 2, "[Xe] 4f14 5d3 6s2"},
    {"W", "tungsten", 184, 183.950975, 183.85, 2, "[Xe] 4f14 5d4 6s2"},
    {"Re", "rhenium", 187, 186.955791, 186.2, 2, "[Xe] 4f14 5d5 6s2"},
    {"Os", "osmium", 192, 191.961514, 190.2, 2, "[Xe] 4f14 5d6 6s2"},
    {"Ir", "iridium", 193, 192.962964, 192.2, 2, "[Xe] 4f14 5d7 6s2"},
    {"Pt", "platinum", 195, 194.964804, 195.09, 1, "[Xe] 4f14 5d9 6s1"},
    {"Au", "gold", 197, 196.966548, 196.967, 1, "[Xe] 4f14 5d10 6s1"},
    {"Hg", "mercury", 202, 201.970643, 200.59, 2, "[Xe] 4f14 5d10 6s2"},
    {"Tl", "thallium", 205, 204.974438, 204.37, 3, "[Xe] 4f14 5d10 6s2 6p1"},
    {"Pb", "lead", 208, 207.976658, 207.19, 4, "[Xe] 4f14 5d10 6s2 6p2"},
    {"Bi", "bismuth", 209, 208.980401, 208.98, 5, "[Xe] 4f14 5d10 6s2 6p3"},
    {"Po", "polonium", 209, 208.9825, 0.0, 6, "[Xe] 4f14 5d10 6s2 6p4"},
    {"At", "astatine", 211, 210.9875, 0.0, 7, "[Xe] 4f14 5d10 6s2 6p5"},
    {"Rn", "radon", 222, 222.0175, 0.0, 8, "[Xe] 4f14 5d10 6s2 6p6"},
    {"Fr", "francium", 223, 223.0198, 0.0, 1, "[Rn] 7s1"},
    {"Ra", "radium", 226, 226.0254, 0.0, 2, "[Rn] 7s2"},
    {"Ac", "actinum", 227, 227.0278, 0.0, 2, "[Rn] 6d1 7s2"},
    {"Th", "thorium", 232, 232.038074, 232.038, 2, "[Rn] 6d2 7s2"},
    {"Pa", "protactinium", 230, 230.0, 0.0, 2, "[Rn] 5f2 6d1 7s2"},
    {"U", "uranium", 238, 238.050816, 238.03, 2, "[Rn] 5f3 6d1 7s2"},
    {"Np", "neptunium", 237, 237.048, 0.0, 2, "[Rn] 5f4 6d1 7s2"},
    {"Pu", "plutonium", 244, 244.06, 0.0, 2, "[Rn] 5f6 7s2"},
    {"Am", "americium", 243, 243.0614, 0.0, 2, "[Rn] 5f7 7s2"},
    {"Cm", "curium", 247, 247.07, 0.0, 2, "[Rn] 5f7 6d1 7s2"},
    {"Bk", "berkelium", 247, 247.0702, 0.0, 2, "[Rn] 5f9 7s2"},
    {"Cf", "californium", 251, 251.079, 0.0, 2, "[Rn] 5f10 7s2"},
    {"Es", "einsteinium", 254, 254.0881, 0.0, 2, "[Rn] 5f11 7s2"},
    {"Fm", "fermium", 257, 257.093, 0.0, 2, "[Rn] 5f12 7s2"},
    {"Md", "mendelevium", 257, 257.094, 0.0, 2, "[Rn] 5f13 7s2"},
    {"No", "nobelium", 255, 255.02, 0.0, 2, "[Rn] 5f14 7s2"},
    {"Lr", "lawrencium", 256, 256.02, 0.0, 2, "[Rn] 5f14 6d1 7s2"},
};

// Van der Waals radii in hundredths of an Angstrom, Z = 1..53.
const int kVdw[53] = {120, 0, 0, 0, 98, 180, 150, 140, 135, 0,    // 1..10
                      0,   0, 0, 138, 190, 185, 180, 0, 0, 0,     // 11..20
                      0,   0, 0, 0, 0, 0, 0, 0, 0, 0,             // 21..30
                      0,   0, 200, 200, 195, 0, 0, 0, 0, 0,       // 31..40
                      0,   0, 0, 0, 0, 0, 0, 0, 0, 0,             // 41..50
                      220, 220, 215};                             // 51..53

const char* const kFragments[128] = {
    "benzoyl", "deutero", "methoxy", "hydroxy", "bicyclo", "aldehyd", "phospho", "carboxy", "mercapt", "salicyl",
    "benzyl", "methyl", "propyl", "naphth", "ethoxy", "sulfid", "phenyl", "acetyl", "formyl", "anthra",
    "chinon", "pentyl", "heptyl", "saeure", "nitril", "nitrid", "phosph", "sulfon", "pyrrol", "phthal",
    "styrol", "erythr", "butyl", "ethyl", "indol", "nitro", "amino", "chlor", "ether", "fluor",
    "allyl", "tetra", "penta", "hepta", "furan", "hydro", "cyano", "hexyl", "octyl", "epoxy",
    "cyclo", "ester", "inden", "pyren", "lacto", "menth", "silic", "quino", "piper", "malon",
    "stear", "xanth", "xylol", "vinyl", "ortho", "ammon", "thren", "alpha", "gamma", "gluc",
    "brom", "imid", "mono", "hexa", "octa", "nona", "deca", "glyc", "thio", "carb",
    "oxim", "dien", "semi", "acid", "tolu", "tert", "anil", "para", "meta", "acet",
    "pyri", "oxid", "amid", "amin", "phen", "benz", "oxal", "keto", "prop", "tere",
    "prog", "terp", "quin", "meth", "imin", "fruc", "ilid", "hydr", "beta", "oxy",
    "per", "ose", "oyl", "iod", "lin", "sil", "tri", "iso", "oxo", "bis",
    "azo", "yl", "on", "en", "an", "ol", "di", "in",
};

bool InRange(int Z) { return Z >= 1 && Z <= MaxElem; }

}  // namespace

std::string CElemSymb(int Z) { return InRange(Z) ? kElem[Z - 1].Symb : ""; }
std::string CElemName(int Z) { return InRange(Z) ? kElem[Z - 1].Name : ""; }

int AtomicNumber(const std::string& Symbol) {
  for (int z = 1; z <= MaxElem; ++z)
    if (Symbol == kElem[z - 1].Symb) return z;
  return 0;
}

int IntAtWeight(int Z) { return InRange(Z) ? kElem[Z - 1].Nominal : 0; }
double ExactAtWeight(int Z) { return InRange(Z) ? kElem[Z - 1].Exact : 0.0; }
double ChemAtWeight(int Z) { return InRange(Z) ? kElem[Z - 1].Chem : 0.0; }
double VDWRadius(int Z) { return (Z >= 1 && Z <= 53) ? kVdw[Z - 1] * 0.01 : 0.0; }
int NumOuterElectrons(int Z) { return InRange(Z) ? kElem[Z - 1].Outer : 0; }
std::string ShortElectronConfig(int Z) { return InRange(Z) ? kElem[Z - 1].Config : ""; }

std::string FullElectronConfig(int Z) {
  std::string s = ShortElectronConfig(Z);
  static const char* const kCores[][2] = {
      {"[He]", "1s2"},
      {"[Ne]", "1s2 2s2 2p6"},
      {"[Ar]", "1s2 2s2 2p6 3s2 3p6"},
      {"[Kr]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6"},
      {"[Xe]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6"},
      {"[Rn]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6"}};
  for (const auto& c : kCores)
    if (s.compare(0, 4, c[0]) == 0) return c[1] + s.substr(4);
  return s;
}

void PerSysCoord(int Z, int& Column, int& Row) {
  Column = 0;
  Row = 0;
  if (!InRange(Z)) return;
  if (Z <= 2) {
    Column = Z == 1 ? 0 : 17;
    Row = 0;
  } else if (Z <= 18) {
    int k = (Z - 3) % 8;  // position within the period
    Row = Z <= 10 ? 1 : 2;
    Column = k < 2 ? k : k + 10;
  } else if (Z <= 54) {
    Row = Z <= 36 ? 3 : 4;
    Column = (Z - 19) % 18;
  } else if (Z <= 57) {
    Row = 5;
    Column = Z - 55;
  } else if (Z <= 71) {
    Row = 7;
    Column = Z - 58 + 4;
  } else if (Z <= 86) {
    Row = 5;
    Column = Z - 72 + 3;
  } else if (Z <= 89) {
    Row = 6;
    Column = Z - 87;
  } else {
    Row = 8;
    Column = Z - 90 + 4;
  }
}

bool CheckCASNr(int64_t CASNr) {
  if (CASNr < 0) return false;
  int check = static_cast<int>(CASNr % 10);
  int64_t rest = CASNr / 10;
  int64_t sum = 0;
  for (int w = 1; rest > 0; ++w, rest /= 10) sum += w * (rest % 10);
  return sum % 10 == check;
}

std::string FormatCASNr(int64_t CASNr) {
  if (CASNr < 0) return "";
  std::string d = std::to_string(CASNr);
  while (d.size() < 4) d.insert(d.begin(), '0');
  d.insert(d.size() - 1, "-");
  d.insert(d.size() - 4, "-");
  return d;
}

bool ConvertStrToCASNr(const std::string& Text, int64_t& Number) {
  size_t b = Text.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  size_t e = Text.find_last_not_of(' ');
  std::string s = Text.substr(b, e - b + 1);
  size_t d1 = s.find('-');
  if (d1 == std::string::npos) return false;
  size_t d2 = s.find('-', d1 + 1);
  if (d2 == std::string::npos || s.find('-', d2 + 1) != std::string::npos) return false;
  if (d2 != d1 + 3 || d2 + 2 != s.size()) return false;
  std::string digits = s.substr(0, d1) + s.substr(d1 + 1, 2) + s.substr(d2 + 1);
  // A registry number has at most ten digits; longer texts would overflow.
  if (digits.empty() || digits.size() > 10) return false;
  int64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  Number = v;
  return CheckCASNr(v);
}

std::string ChemNameFragment(int Code) {
  return (Code >= 128 && Code <= 255) ? kFragments[Code - 128] : "";
}

std::string CompressChemName(const std::string& Name) {
  std::string s = Name;
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (int code = 128; code <= 255; ++code) {
    const char* f = kFragments[code - 128];
    size_t len = std::strlen(f);
    for (size_t p = s.find(f); p != std::string::npos; p = s.find(f))
      s.replace(p, len, 1, static_cast<char>(code));
  }
  return s;
}

std::string DeCompressChemName(const std::string& Compressed) {
  std::string s = Compressed;
  for (;;) {
    size_t p = 0;
    while (p < s.size() && static_cast<unsigned char>(s[p]) < 128) ++p;
    if (p >= s.size()) break;
    s.replace(p, 1, kFragments[static_cast<unsigned char>(s[p]) - 128]);
  }
  return s;
}

}  // namespace zol
