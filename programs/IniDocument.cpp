#include "programs/IniDocument.h"

#include <algorithm>
#include <array>

#include "programs/Cp1252.h"

// Old DOS editors end a file with Ctrl-Z, often right after the last value. Line ends
// never reach a line's text.
bool IsIniBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\v' || ch == '\f' || ch == '\x1A';
}

namespace {

std::string_view Trim(std::string_view str) {
    while (!str.empty() && IsIniBlank(str.front()))
        str.remove_prefix(1);
    while (!str.empty() && IsIniBlank(str.back()))
        str.remove_suffix(1);
    return str;
}

// "[name]" with blanks anywhere around; the last ']' ends the name (so "[a]b]" names
// "a]b"), and a line without one is no header: its keys stay in the section before.
std::optional<std::string_view> SectionName(std::string_view strLine) {
    const std::string_view str = Trim(strLine);
    const size_t nEnd = str.rfind(']');
    if (str.empty() || str.front() != '[' || nEnd == std::string_view::npos)
        return std::nullopt;
    return Trim(str.substr(1, nEnd - 1));
}

// "name = value", or a name alone: a key without a value, which hides a later one of
// the same name. A comment is a key too, named with its ';', which no lookup asks for.
std::optional<std::string_view> KeyName(std::string_view strLine) {
    const std::string_view str = Trim(strLine);
    if (str.empty())
        return std::nullopt;
    return Trim(str.substr(0, str.find('=')));
}

// What follows the first '=', trimmed; none on a line without '='.
std::optional<std::string_view> RawValue(std::string_view strLine) {
    const size_t nEq = strLine.find('=');
    if (nEq == std::string_view::npos)
        return std::nullopt;
    return Trim(strLine.substr(nEq + 1));
}

// Calls onLine(nBegin, nEnd, nEol) for each line of a text of nSize characters, the
// n-th being at(n); CR, LF and CRLF end lines, nEol numbers them as the Eol values.
template <class At, class OnLine>
void SplitLines(size_t nSize, At at, OnLine onLine) {
    size_t nPos = 0;
    while (nPos < nSize) {
        size_t nEnd = nPos;
        while (nEnd < nSize && at(nEnd) != '\r' && at(nEnd) != '\n')
            ++nEnd;
        if (nEnd == nSize) {
            onLine(nPos, nEnd, 0);
            return;
        }
        const bool bCrLf = at(nEnd) == '\r' && nEnd + 1 < nSize && at(nEnd + 1) == '\n';
        onLine(nPos, nEnd, bCrLf ? 1 : at(nEnd) == '\n' ? 2 : 3);
        nPos = nEnd + (bCrLf ? 2 : 1);
    }
}

// Windows-1252 text as UTF-16LE bytes.
void AppendUtf16(std::string& strOut, std::string_view strText) {
    for (char ch : strText) {
        const uint16_t nUnit = UnitFromCp1252(ch);
        strOut += static_cast<char>(nUnit & 0xFF);
        strOut += static_cast<char>(nUnit >> 8);
    }
}

// A new line must not split into two: line ends in a written text become blanks.
std::string OneLine(std::string_view str) {
    std::string strOut(str);
    for (char& ch : strOut)
        if (ch == '\r' || ch == '\n')
            ch = ' ';
    return strOut;
}

std::string SectionLine(std::string_view strSection) {
    return "[" + OneLine(Trim(strSection)) + "]";
}

// strName as it goes into the file, already on one line.
std::string KeyLine(std::string_view strName, std::string_view strValue) {
    std::string strLine(strName);
    strLine += '=';
    strLine += OneLine(strValue);
    return strLine;
}

constexpr std::string_view kCrLf = "\r\n";
constexpr size_t kLinesAtOnce = 8;

}  // namespace

std::string FoldIniName(std::string_view str) {
    // Each byte's folded form (letters of Windows-1252 to lower case, all else unchanged)
    // from a table: every lookup folds its names.
    static constexpr auto kFold = [] {
        std::array<char, 256> aFold{};
        for (unsigned by = 0; by < 256; ++by) {
            unsigned nOut = by;
            if ((by >= 'A' && by <= 'Z') || (by >= 0xC0 && by <= 0xDE && by != 0xD7))
                nOut = by + 0x20;
            else if (by == 0x8A || by == 0x8C || by == 0x8E)  // S, OE, Z with caron/ligature
                nOut = by + 0x10;
            else if (by == 0x9F)  // Y with diaeresis
                nOut = 0xFF;
            aFold[by] = static_cast<char>(nOut);
        }
        return aFold;
    }();
    std::string strOut(str.size(), '\0');
    std::transform(str.begin(), str.end(), strOut.begin(),
                   [](char ch) { return kFold[static_cast<unsigned char>(ch)]; });
    return strOut;
}

CIniDocument::CIniDocument() {
    sections.Add({}, 0);
    sections.Seal();
}

CIniDocument CIniDocument::Parse(std::string_view strText) {
    CIniDocument doc;
    if (strText.substr(0, 2) == "\xFF\xFE") {
        doc.ParseUtf16(strText);
        return doc;
    }
    if (strText.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.strBom = strText.substr(0, 3);
        strText.remove_prefix(3);
    }
    // Room for every section at once: each needs its '['.
    const size_t nSections =
        1 + static_cast<size_t>(std::count(strText.begin(), strText.end(), '['));
    doc.aSections.reserve(nSections);
    doc.sections.Reserve(nSections);
    SplitLines(
        strText.size(), [&](size_t n) { return strText[n]; },
        [&](size_t nBegin, size_t nEnd, int nEol) {
            doc.AddLine(
                Line{std::string(strText.substr(nBegin, nEnd - nBegin)), static_cast<Eol>(nEol)});
        });
    doc.SealIndexes(0);
    return doc;
}

void CIniDocument::ParseUtf16(std::string_view strText) {
    bUtf16 = true;
    strBom = strText.substr(0, 2);
    // A lone last byte is half a character: it is dropped.
    const std::string_view strBytes = strText.substr(2);
    const auto unit = [&](size_t n) {
        return static_cast<uint16_t>(static_cast<uint8_t>(strBytes[2 * n]) |
                                     static_cast<uint8_t>(strBytes[2 * n + 1]) << 8);
    };
    SplitLines(strBytes.size() / 2, unit, [&](size_t nBegin, size_t nEnd, int nEol) {
        Line line{std::string(nEnd - nBegin, '\0'), static_cast<Eol>(nEol)};
        std::string strShape(nEnd - nBegin, '\0');
        bool bAllExact = true;
        for (size_t n = nBegin; n < nEnd; ++n) {
            bool bExact = false;
            line.strText[n - nBegin] = Cp1252FromUnit(unit(n), &bExact);
            strShape[n - nBegin] = bExact ? line.strText[n - nBegin] : '?';
            bAllExact = bAllExact && bExact;
        }
        if (!bAllExact) {
            line.strWide = strBytes.substr(2 * nBegin, 2 * (nEnd - nBegin));
            line.strShape = std::move(strShape);
        }
        AddLine(std::move(line));
    });
    SealIndexes(0);
}

void CIniDocument::AddLine(Line line) {
    if (const auto name = SectionName(line.Shape())) {
        std::string strFold = FoldIniName(*name);
        Section section;
        section.bHasHeader = true;
        section.header = std::move(line);
        aSections.push_back(std::move(section));
        sections.Add(std::move(strFold), aSections.size() - 1);
        return;
    }
    Section& section = aSections.back();
    // Most sections hold a few lines: room for them at once, not in four steps.
    if (section.aLines.empty())
        section.aLines.reserve(kLinesAtOnce);
    section.aLines.push_back(std::move(line));
    if (const auto name = KeyName(section.aLines.back().Shape())) {
        if (section.keys.Empty())
            section.keys.Reserve(kLinesAtOnce);
        section.keys.Add(FoldIniName(*name), section.aLines.size() - 1);
    }
}

void CIniDocument::SealIndexes(size_t nFirstSection) {
    sections.Seal();
    for (size_t n = nFirstSection; n < aSections.size(); ++n)
        aSections[n].keys.Seal();
}

std::optional<std::string> CIniDocument::Find(std::string_view strSection, std::string_view strKey,
                                              bool* pbQuoted) const {
    const auto nSection = sections.Find(FoldIniName(Trim(strSection)));
    if (!nSection)
        return std::nullopt;
    const Section& section = aSections[*nSection];
    const auto nLine = section.keys.Find(FoldIniName(Trim(strKey)));
    if (!nLine)
        return std::nullopt;
    const Line& line = section.aLines[*nLine];
    std::optional<std::string_view> value = RawValue(line.Shape());
    if (!value)
        return std::nullopt;
    const bool bQuoted = value->size() >= 2 && (value->front() == '"' || value->front() == '\'') &&
                         value->back() == value->front();
    if (bQuoted)
        value = value->substr(1, value->size() - 2);
    if (pbQuoted != nullptr)
        *pbQuoted = bQuoted;
    return std::string(line.Text(*value));
}

bool CIniDocument::HasSection(std::string_view strSection) const {
    return sections.Find(FoldIniName(Trim(strSection))).has_value();
}

void CIniDocument::EndLastLine() {
    Section& last = aSections.back();
    Line* pLine =
        !last.aLines.empty() ? &last.aLines.back() : (last.bHasHeader ? &last.header : nullptr);
    if (pLine != nullptr && pLine->nEol == EolNone)
        pLine->nEol = EolCrLf;
}

void CIniDocument::Set(std::string_view strSection, std::string_view strKey,
                       std::string_view strValue) {
    const std::string strName = OneLine(Trim(strKey));
    const std::string strLine = KeyLine(strName, strValue);

    const auto nSection = sections.Find(FoldIniName(Trim(strSection)));
    if (!nSection) {
        EndLastLine();
        AddLine(Line{SectionLine(strSection), EolCrLf});
        AddLine(Line{strLine, EolCrLf});
        SealIndexes(aSections.size() - 1);
        return;
    }

    Section& section = aSections[*nSection];
    std::string strFold = FoldIniName(strName);
    if (const auto nLine = section.keys.Find(strFold)) {
        Line& line = section.aLines[*nLine];
        const auto value = RawValue(line.Shape());
        if (value && line.Text(*value) == OneLine(strValue))
            return;  // nothing to change
        // The key keeps the spelling it has in the file, in UTF-16 its own characters.
        const std::string_view strName = *KeyName(line.Shape());
        Line edited{KeyLine(line.Text(strName), strValue), EolCrLf};
        if (!line.strWide.empty()) {
            const size_t nAt = static_cast<size_t>(strName.data() - line.Shape().data());
            edited.strShape = KeyLine(strName, strValue);
            edited.strWide = line.strWide.substr(2 * nAt, 2 * strName.size());
            AppendUtf16(edited.strWide, std::string_view(edited.strText).substr(strName.size()));
        }
        line = std::move(edited);
        return;
    }

    // After the section's last non-blank line, so blank lines stay before the next one.
    size_t nPos = section.aLines.size();
    while (nPos > 0 && Trim(section.aLines[nPos - 1].strText).empty())
        --nPos;
    Line& before = nPos > 0 ? section.aLines[nPos - 1] : section.header;
    if (before.nEol == EolNone)
        before.nEol = EolCrLf;
    section.aLines.insert(section.aLines.begin() + static_cast<std::ptrdiff_t>(nPos),
                          Line{strLine, EolCrLf});
    // Only blank lines moved, and they are not indexed.
    section.keys.Insert(std::move(strFold), nPos);
}

std::string CIniDocument::Serialize() const {
    size_t nSize = strBom.size();
    for (const Section& section : aSections) {
        nSize += section.header.strText.size() + 2;
        for (const Line& line : section.aLines)
            nSize += line.strText.size() + 2;
    }
    std::string strOut;
    strOut.reserve(bUtf16 ? 2 * nSize : nSize);
    strOut += strBom;
    for (const Section& section : aSections) {
        if (section.bHasHeader)
            AppendLine(strOut, section.header);
        for (const Line& line : section.aLines)
            AppendLine(strOut, line);
    }
    return strOut;
}

void CIniDocument::AppendLine(std::string& strOut, const Line& line) const {
    static constexpr std::string_view kEol[] = {"", "\r\n", "\n", "\r"};
    if (!bUtf16) {
        strOut += line.strText;
        strOut += kEol[line.nEol];
        return;
    }
    if (!line.strWide.empty())
        strOut += line.strWide;
    else
        AppendUtf16(strOut, line.strText);
    AppendUtf16(strOut, kEol[line.nEol]);
}

void CIniDocument::AppendSection(std::string& strText, std::string_view strSection) {
    strText += SectionLine(strSection);
    strText += kCrLf;
}

void CIniDocument::AppendKey(std::string& strText, std::string_view strKey,
                             std::string_view strValue) {
    strText += KeyLine(OneLine(Trim(strKey)), strValue);
    strText += kCrLf;
}
