// What the INI layer and the Windows profile functions are both asked about each file
// of a corpus, and the one text both answers are written in, so that the two can be
// compared line by line. Plain standard C++: the Windows program includes it without
// the core.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace ini_answers {

// Sections and keys asked of every file: the program file's own, their other case, the
// empty section (the lines before the first header), and the names malformed lines
// make (a header with two ']', a header without ']', a comment).
inline const std::vector<std::string> kSections = {
    "",       "Random", "random", "PROG_1", "PROG_2", "PROG_3",   "PROG_4", "PROG_5",
    "PROG_6", "PROG_7", "PROG_8", "PROG_9", "prog_2", "PROG_1]x", "Other",  "\xE0\xC9\x9A\xFF"};
inline const std::vector<std::string> kKeys = {"MIX",    "Name",    "Steps",  "MixAllowed",
                                               "Step_1", "Step_2",  "Step_3", "Extra",
                                               "Long",   "[PROG_3", ";Step_1"};
// What a missing key answers, told apart from an empty value.
inline const std::string kDefault = "(none)";

// Bytes outside printable ASCII, and the backslash, as \xHH.
inline std::string Escape(std::string_view str) {
    std::string strOut;
    for (char ch : str) {
        const auto by = static_cast<uint8_t>(ch);
        if (by > 0x20 && by < 0x7F && by != '\\') {
            strOut += ch;
        } else {
            char acHex[8];
            std::snprintf(acHex, sizeof acHex, "\\x%02X", by);
            strOut += acHex;
        }
    }
    return strOut;
}

// The corpus's file names, one a line in its manifest.
inline std::vector<std::string> ReadManifest(const std::string& strDir) {
    std::vector<std::string> aFiles;
    std::ifstream in(strDir + "manifest.txt");
    for (std::string strLine; std::getline(in, strLine);)
        if (!strLine.empty())
            aFiles.push_back(strLine);
    return aFiles;
}

// One loaded program as both sides print it.
inline std::string ProgramLine(int nProg, std::string_view strName, int nMix, const uint8_t* pData,
                               int nSteps) {
    std::string strOut = "PROG_" + std::to_string(nProg) + " name=" + Escape(strName) +
                         " mix=" + std::to_string(nMix) + " steps=" + std::to_string(nSteps) +
                         " data=";
    for (int n = 0; n < nSteps; ++n) {
        char acHex[4];
        std::snprintf(acHex, sizeof acHex, "%02X", pData[n]);
        strOut += acHex;
    }
    return strOut;
}

// For every file: the lines load(path) gives (the whole program file read as the
// program reads it), then get(path, section, key, default) for every query.
template <class Load, class Get>
void AnswerAll(const std::string& strDir, std::FILE* pOut, Load load, Get get) {
    for (const std::string& strFile : ReadManifest(strDir)) {
        const std::string strPath = strDir + strFile;
        for (const std::string& strLine : load(strPath))
            std::fprintf(pOut, "%s\tload\t%s\n", strFile.c_str(), strLine.c_str());
        for (const std::string& strSection : kSections)
            for (const std::string& strKey : kKeys)
                std::fprintf(pOut, "%s\t%s/%s\t%s\n", strFile.c_str(), Escape(strSection).c_str(),
                             Escape(strKey).c_str(),
                             Escape(get(strPath, strSection, strKey, kDefault)).c_str());
    }
}

}  // namespace ini_answers
