// Element table, periodic grid, CAS numbers and name compression.
#include <gtest/gtest.h>

#include "chem/Zol_cdata.h"

using namespace zol;

TEST(ChemData, SymbolsAndNamesKeepTheirSpelling) {
  EXPECT_EQ(CElemSymb(6), "C");
  EXPECT_EQ(CElemSymb(103), "Lr");
  EXPECT_EQ(CElemSymb(0), "");
  EXPECT_EQ(CElemSymb(104), "");
  EXPECT_EQ(CElemName(3), "litium");
  EXPECT_EQ(CElemName(9), "flourine");
  EXPECT_EQ(CElemName(23), "vanadin");
  EXPECT_EQ(CElemName(89), "actinum");
  EXPECT_EQ(AtomicNumber("C"), 6);
  EXPECT_EQ(AtomicNumber("Cl"), 17);
  EXPECT_EQ(AtomicNumber("c"), 0);
  EXPECT_EQ(AtomicNumber("Xx"), 0);
  // every symbol maps back to its own number
  for (int z = 1; z <= 103; ++z) EXPECT_EQ(AtomicNumber(CElemSymb(z)), z) << z;
}

TEST(ChemData, WeightsAgainstPublishedIsotopeMasses) {
  // Monoisotopic masses (AME): 1H 1.00782503, 16O 15.99491462, 35Cl 34.96885268,
  // 127I 126.9044719, 238U 238.0507882.
  EXPECT_NEAR(ExactAtWeight(1), 1.00782503, 1e-5);
  EXPECT_NEAR(ExactAtWeight(8), 15.99491462, 1e-5);
  EXPECT_NEAR(ExactAtWeight(17), 34.96885268, 1e-5);
  EXPECT_NEAR(ExactAtWeight(53), 126.9044719, 1e-5);
  EXPECT_NEAR(ExactAtWeight(92), 238.0507882, 1e-4);  // the table holds an older value
  EXPECT_EQ(IntAtWeight(6), 12);
  EXPECT_EQ(IntAtWeight(100), 257);  // above a byte
  EXPECT_EQ(IntAtWeight(0), 0);
  EXPECT_EQ(ChemAtWeight(43), 0.0);
  EXPECT_NEAR(ChemAtWeight(6), 12.01115, 1e-9);
  EXPECT_EQ(ExactAtWeight(104), 0.0);
  EXPECT_DOUBLE_EQ(VDWRadius(6), 1.8);
  EXPECT_DOUBLE_EQ(VDWRadius(53), 2.15);
  EXPECT_EQ(VDWRadius(54), 0.0);
  EXPECT_EQ(VDWRadius(2), 0.0);
  EXPECT_EQ(NumOuterElectrons(46), 0);
  EXPECT_EQ(NumOuterElectrons(35), 7);
}

TEST(ChemData, ElectronConfigurations) {
  EXPECT_EQ(ShortElectronConfig(6), "[He] 2s2 2p2");
  EXPECT_EQ(FullElectronConfig(6), "1s2 2s2 2p2");
  EXPECT_EQ(FullElectronConfig(1), "1s1");
  EXPECT_EQ(FullElectronConfig(26), "1s2 2s2 2p6 3s2 3p6 3d6 4s2");
  EXPECT_EQ(FullElectronConfig(0), "");
  // The electron count written out equals the atomic number for the main
  // group elements and the lanthanides/actinides listed with their cores.
  for (int z : {1, 2, 6, 11, 17, 26, 35, 54, 56, 82, 88, 92}) {
    std::string s = FullElectronConfig(z);
    int sum = 0;
    for (size_t i = 0; i < s.size(); ++i)
      if (s[i] == 's' || s[i] == 'p' || s[i] == 'd' || s[i] == 'f') sum += std::atoi(s.c_str() + i + 1);
    EXPECT_EQ(sum, z) << z << " " << s;
  }
}

TEST(ChemData, PeriodicTableGrid) {
  int c, r;
  PerSysCoord(1, c, r);
  EXPECT_EQ(c, 0); EXPECT_EQ(r, 0);
  PerSysCoord(2, c, r);
  EXPECT_EQ(c, 17); EXPECT_EQ(r, 0);
  PerSysCoord(58, c, r);
  EXPECT_EQ(c, 4); EXPECT_EQ(r, 7);
  PerSysCoord(5, c, r);
  EXPECT_EQ(c, 12); EXPECT_EQ(r, 1);
  PerSysCoord(18, c, r);
  EXPECT_EQ(c, 17); EXPECT_EQ(r, 2);
  PerSysCoord(72, c, r);
  EXPECT_EQ(c, 3); EXPECT_EQ(r, 5);
  PerSysCoord(103, c, r);
  EXPECT_EQ(c, 17); EXPECT_EQ(r, 8);
  PerSysCoord(104, c, r);
  EXPECT_EQ(c, 0); EXPECT_EQ(r, 0);
  // every element has its own cell
  bool used[9][18] = {};
  for (int z = 1; z <= 103; ++z) {
    PerSysCoord(z, c, r);
    ASSERT_TRUE(c >= 0 && c < 18 && r >= 0 && r < 9);
    EXPECT_FALSE(used[r][c]) << z;
    used[r][c] = true;
  }
}

TEST(ChemData, CASNumbers) {
  // Published registry numbers: water 7732-18-5, benzene 71-43-2, caffeine 58-08-2,
  // ethanol 64-17-5.
  EXPECT_TRUE(CheckCASNr(7732185));
  EXPECT_TRUE(CheckCASNr(71432));
  EXPECT_TRUE(CheckCASNr(58082));
  EXPECT_TRUE(CheckCASNr(64175));
  EXPECT_TRUE(CheckCASNr(50000));
  EXPECT_FALSE(CheckCASNr(7732186));
  EXPECT_FALSE(CheckCASNr(-7732185));
  EXPECT_EQ(FormatCASNr(7), "0-00-7");
  EXPECT_EQ(FormatCASNr(50000), "50-00-0");
  EXPECT_EQ(FormatCASNr(7732185), "7732-18-5");
  int64_t n = -1;
  EXPECT_TRUE(ConvertStrToCASNr(" 7732-18-5 ", n));
  EXPECT_EQ(n, 7732185);
  EXPECT_FALSE(ConvertStrToCASNr("7732-185", n));
  EXPECT_FALSE(ConvertStrToCASNr("7732-18-6", n));
  EXPECT_FALSE(ConvertStrToCASNr("77a2-18-5", n));
  EXPECT_FALSE(ConvertStrToCASNr("7-7-32-18-5", n));
  EXPECT_FALSE(ConvertStrToCASNr("", n));
  // ten digits still fit; eleven and more are refused instead of wrapping
  // (check digit of 9999999-99-x: 9 * (1 + ... + 9) = 405 -> 5)
  EXPECT_TRUE(ConvertStrToCASNr("9999999-99-5", n));
  EXPECT_EQ(n, 9999999995LL);
  EXPECT_EQ(FormatCASNr(n), "9999999-99-5");
  EXPECT_FALSE(ConvertStrToCASNr("99999999999999999999-99-5", n));
  EXPECT_EQ(n, 9999999995LL);
}

TEST(ChemData, NameCompressionRoundTrip) {
  for (const char* name : {"2-Methylpropan-1-ol", "Acetylsalicylic acid", "BENZOYLPEROXIDE",
                           "4-hydroxy-3-methoxybenzaldehyde", "trichloroethylene", "xyz"}) {
    std::string c = CompressChemName(name);
    std::string lower = name;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(DeCompressChemName(c), lower) << name;
  }
  EXPECT_EQ(CompressChemName("methyl"), std::string(1, static_cast<char>(139)));
  EXPECT_EQ(CompressChemName("benzoyl").size(), 1u);
  // "methoxy" (130) is tried before "methyl" and "oxy": one code
  EXPECT_EQ(CompressChemName("methoxy"), std::string(1, static_cast<char>(130)));
  EXPECT_LT(CompressChemName("acetylsalicylic acid").size(), std::string("acetylsalicylic acid").size());
  EXPECT_EQ(ChemNameFragment(255), "in");
  EXPECT_EQ(ChemNameFragment(127), "");
}
