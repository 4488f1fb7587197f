// Windows-1252 and UTF-16, converted as the Windows ANSI functions convert them: a file
// saved as "Unicode" reads back as the ANSI text Windows hands to a program.
#pragma once

#include <cstdint>

// The Windows-1252 byte for a UTF-16 code unit: its own byte when the code page has the
// character; else the near character of Windows' best-fit table (A for A with macron,
// a plain blank for an em space); else '?', also for each half of a surrogate pair.
// *pbExact tells whether the byte stands for the character itself.
char Cp1252FromUnit(uint16_t nUnit, bool* pbExact);

// The UTF-16 code unit of a Windows-1252 byte; the five bytes the code page leaves
// free stand for the control characters of the same number, as on Windows.
uint16_t UnitFromCp1252(char ch);
