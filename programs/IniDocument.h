// One INI file in memory, read and edited the way the Windows profile functions do,
// so that files move between Windows and other systems unchanged. Every byte that an
// edit does not touch is written back exactly as it was read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "programs/IniNameIndex.h"

class CIniDocument {
public:
    CIniDocument() = default;
    // Splits the text at CR, LF or CRLF; a leading UTF-8 byte-order mark is kept aside.
    static CIniDocument Parse(std::string_view strText);

    // The value of the first matching key in the first matching section (names
    // compared without regard to case), trimmed and with one pair of surrounding
    // quotes removed. Empty optional when there is no such key.
    std::optional<std::string> Find(std::string_view strSection, std::string_view strKey) const;

    // Changes the first matching key in place, or adds the key at the end of its
    // section, or adds the section at the end of the document. New lines end in CRLF.
    void Set(std::string_view strSection, std::string_view strKey, std::string_view strValue);

    std::string Serialize() const;

    // The lines Set adds to a document for a section or a key that is not there yet,
    // appended to strText without a document: a file written whole, whose sections and
    // keys are all different, is built this way without looking each one up.
    static void AppendSection(std::string& strText, std::string_view strSection);
    static void AppendKey(std::string& strText, std::string_view strKey, std::string_view strValue);

private:
    enum Eol : uint8_t { EolNone, EolCrLf, EolLf, EolCr };
    struct Line {
        std::string strText;  // without its line end
        Eol nEol = EolNone;
    };
    struct Section {
        bool bHasHeader = false;  // false only for the lines before the first section
        Line header;
        std::vector<Line> aLines;
        CIniNameIndex keys;  // folded name -> first key line
    };

    // Appends a line while the document is read; SealIndexes() before the next lookup.
    void AddLine(Line line);
    void SealIndexes(size_t nFirstSection);
    void EndLastLine();

    std::string strBom;
    std::vector<Section> aSections{Section{}};
    CIniNameIndex sections;  // folded name -> first section
};

// Folds the letters of Windows-1252 to lower case, for comparing names.
std::string FoldIniName(std::string_view str);
