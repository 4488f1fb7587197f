// A seeded corpus of program files for the comparison with the Windows profile
// functions: well-formed files and files with the quirks real ones have (line ends,
// case, blanks and Ctrl-Z, quotes, duplicates, empty and long values, malformed lines,
// Windows-1252 names, UTF-16 text). Each file's name ends in its kind, for example
// "0042-blanks.ini"; the kinds in kWineOnlyKinds are where Wine is known to read
// otherwise than Windows, and the INI layer follows Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CorpusFile {
    std::string strName;
    std::string strBytes;
};

// Wine decodes UTF-8 after its mark and reads UTF-16BE, where Windows reads bytes; NUL
// bytes inside a line; letters outside ASCII in names, whose case Wine does not ignore.
inline constexpr std::string_view kWineOnlyKinds[] = {"utf8bom", "utf16be", "nul", "fold"};

std::vector<CorpusFile> MakeIniCorpus(uint32_t nSeed, int nFiles);
