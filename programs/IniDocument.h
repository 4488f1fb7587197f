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

// A blank the reader trims around names and values, as the profile functions do.
bool IsIniBlank(char ch);

class CIniDocument {
public:
    CIniDocument();
    // Splits the text at CR, LF or CRLF. A leading UTF-8 byte-order mark is kept aside
    // and the bytes after it read as they are (Windows takes the mark for part of the
    // first line, which would lose the first section). A text that starts with the UTF-16
    // little-endian mark is read in Windows-1252 as the ANSI profile functions read it,
    // and written back in UTF-16.
    static CIniDocument Parse(std::string_view strText);

    // The value of the first matching key in the first matching section (names
    // compared without regard to case), trimmed and with one pair of surrounding
    // quotes removed; *pbQuoted tells whether it had them. Empty optional when there is
    // no such key, or when its first line has no '='. The lines before the first section
    // are the section with the empty name.
    std::optional<std::string> Find(std::string_view strSection, std::string_view strKey,
                                    bool* pbQuoted = nullptr) const;
    // Whether a section of that name (compared without regard to case) is there.
    bool HasSection(std::string_view strSection) const;

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
        Line() = default;
        Line(std::string strTextArg, Eol nEolArg) : strText(std::move(strTextArg)), nEol(nEolArg) {}

        std::string strText;  // without its line end
        Eol nEol = EolNone;
        // Only for a line read from UTF-16 with characters that Windows-1252 lacks: its
        // UTF-16 bytes, written back unchanged, and strText with '?' for each of those
        // characters, where the line's parts are found (a best-fit blank or '=' is none).
        std::string strWide;
        std::string strShape;

        std::string_view Shape() const { return strShape.empty() ? strText : strShape; }
        // The part of strText at the place of a part of Shape().
        std::string_view Text(std::string_view strPart) const {
            return std::string_view(strText).substr(strPart.data() - Shape().data(),
                                                    strPart.size());
        }
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
    void ParseUtf16(std::string_view strBytes);
    // The line and its line end as the file holds them.
    void AppendLine(std::string& strOut, const Line& line) const;

    std::string strBom;
    bool bUtf16 = false;
    std::vector<Section> aSections{Section{}};
    CIniNameIndex sections;  // folded name -> first section
};

// Folds the letters of Windows-1252 to lower case, for comparing names.
std::string FoldIniName(std::string_view str);
