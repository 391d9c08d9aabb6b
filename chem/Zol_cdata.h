// Constant knowledge of the chemical elements 1 (hydrogen) to 103 (lawrencium):
// symbols, names, weights, van der Waals radii, electron configurations, the
// position in the periodic table, CAS registry numbers and a dictionary
// compression of chemical names.  Every routine taking an atomic number gives
// an empty or zero result outside 1..103.
#pragma once

#include <cstdint>
#include <string>

namespace zol {

constexpr int MaxElem = 103;

std::string CElemSymb(int Z);
std::string CElemName(int Z);
// Atomic number of the element whose symbol equals Symbol exactly (case-sensitive); 0 when none.
int AtomicNumber(const std::string& Symbol);
int IntAtWeight(int Z);
double ExactAtWeight(int Z);
double ChemAtWeight(int Z);
// Van der Waals radius in Angstrom (known for some elements up to iodine); 0 otherwise.
double VDWRadius(int Z);
int NumOuterElectrons(int Z);
std::string ShortElectronConfig(int Z);
std::string FullElectronConfig(int Z);
// 0-based column (0..17) and row (0..8) in the periodic table grid; (0, 0) outside 1..103.
void PerSysCoord(int Z, int& Column, int& Row);

// CAS registry numbers.  The number is held as a 64-bit integer so that every
// registry number (up to ten digits) fits; negative numbers are never valid.
bool CheckCASNr(int64_t CASNr);
// digits-two digits-one digit, at least four digits ("0-00-7"); empty for negative numbers.
std::string FormatCASNr(int64_t CASNr);
// True when Text (blanks around it allowed) is a well-formed CAS number with a
// valid check digit; the number read goes to Number (left unchanged when the
// text is malformed or too long to be a number).
bool ConvertStrToCASNr(const std::string& Text, int64_t& Number);

// Dictionary compression of chemical names: fragments are replaced by single
// bytes 128..255.  The compressed form is a byte string, not UTF-8.
std::string CompressChemName(const std::string& Name);
std::string DeCompressChemName(const std::string& Compressed);
// The dictionary fragment of code 128..255; empty for other codes.
std::string ChemNameFragment(int Code);

}  // namespace zol
