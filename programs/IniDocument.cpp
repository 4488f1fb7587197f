#include "programs/IniDocument.h"

#include <algorithm>
#include <array>

namespace {

// Blanks around names and values; line ends never reach a line's text.
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

std::string_view Trim(std::string_view str) {
    while (!str.empty() && IsBlank(str.front()))
        str.remove_prefix(1);
    while (!str.empty() && IsBlank(str.back()))
        str.remove_suffix(1);
    return str;
}

// "[name]" with blanks anywhere around; a missing ']' takes the rest of the line.
std::optional<std::string_view> SectionName(std::string_view strLine) {
    std::string_view str = Trim(strLine);
    if (str.empty() || str.front() != '[')
        return std::nullopt;
    str.remove_prefix(1);
    const size_t nEnd = str.find(']');
    if (nEnd != std::string_view::npos)
        str = str.substr(0, nEnd);
    return Trim(str);
}

// "name = value"; comments (';' first) and lines without '=' are no keys.
std::optional<std::string_view> KeyName(std::string_view strLine) {
    const std::string_view str = Trim(strLine);
    if (str.empty() || str.front() == ';' || str.front() == '[')
        return std::nullopt;
    const size_t nEq = str.find('=');
    if (nEq == std::string_view::npos)
        return std::nullopt;
    return Trim(str.substr(0, nEq));
}

std::string_view RawValue(std::string_view strLine) {
    return Trim(strLine.substr(strLine.find('=') + 1));
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

CIniDocument CIniDocument::Parse(std::string_view strText) {
    CIniDocument doc;
    if (strText.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.strBom = strText.substr(0, 3);
        strText.remove_prefix(3);
    }
    // Room for every section at once: each needs its '['.
    const size_t nSections =
        1 + static_cast<size_t>(std::count(strText.begin(), strText.end(), '['));
    doc.aSections.reserve(nSections);
    doc.sections.Reserve(nSections);
    size_t nPos = 0;
    while (nPos < strText.size()) {
        const size_t nEnd = strText.find_first_of("\r\n", nPos);
        Line line;
        if (nEnd == std::string_view::npos) {
            line.strText = strText.substr(nPos);
            nPos = strText.size();
        } else {
            line.strText = strText.substr(nPos, nEnd - nPos);
            if (strText[nEnd] == '\n') {
                line.nEol = EolLf;
                nPos = nEnd + 1;
            } else if (nEnd + 1 < strText.size() && strText[nEnd + 1] == '\n') {
                line.nEol = EolCrLf;
                nPos = nEnd + 2;
            } else {
                line.nEol = EolCr;
                nPos = nEnd + 1;
            }
        }
        doc.AddLine(std::move(line));
    }
    doc.SealIndexes(0);
    return doc;
}

void CIniDocument::AddLine(Line line) {
    if (const auto name = SectionName(line.strText)) {
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
    if (const auto name = KeyName(section.aLines.back().strText)) {
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

std::optional<std::string> CIniDocument::Find(std::string_view strSection,
                                              std::string_view strKey) const {
    const auto nSection = sections.Find(FoldIniName(Trim(strSection)));
    if (!nSection)
        return std::nullopt;
    const Section& section = aSections[*nSection];
    const auto nLine = section.keys.Find(FoldIniName(Trim(strKey)));
    if (!nLine)
        return std::nullopt;
    std::string_view strValue = RawValue(section.aLines[*nLine].strText);
    if (strValue.size() >= 2 && (strValue.front() == '"' || strValue.front() == '\'') &&
        strValue.back() == strValue.front()) {
        strValue = strValue.substr(1, strValue.size() - 2);
    }
    return std::string(strValue);
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
        if (RawValue(line.strText) == OneLine(strValue))
            return;  // nothing to change
        // The key keeps the spelling it has in the file.
        line.strText = KeyLine(*KeyName(line.strText), strValue);
        line.nEol = EolCrLf;
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
    static constexpr std::string_view kEol[] = {"", "\r\n", "\n", "\r"};
    size_t nSize = strBom.size();
    for (const Section& section : aSections) {
        nSize += section.header.strText.size() + 2;
        for (const Line& line : section.aLines)
            nSize += line.strText.size() + 2;
    }
    std::string strOut;
    strOut.reserve(nSize);
    strOut += strBom;
    for (const Section& section : aSections) {
        if (section.bHasHeader) {
            strOut += section.header.strText;
            strOut += kEol[section.header.nEol];
        }
        for (const Line& line : section.aLines) {
            strOut += line.strText;
            strOut += kEol[line.nEol];
        }
    }
    return strOut;
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
