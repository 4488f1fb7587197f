#include "tests/ini_differential/IniCorpus.h"

#include <cstdio>
#include <random>

namespace {

enum Kind {
    Plain,
    Eol,
    Case,
    Blanks,
    Quotes,
    Dup,
    Empty,
    Cp1252,
    Cap,
    Long,
    CtrlZ,
    NoEq,
    Header,
    PreSection,
    Numbers,
    Mixed,
    Utf16,
    Utf8Bom,
    Utf16Be,
    Nul,
    Fold,
    KindCount
};
constexpr const char* kKindNames[KindCount] = {
    "plain",   "eol",   "case",  "blanks",  "quotes",  "dup",    "empty",
    "cp1252",  "cap",   "long",  "ctrlz",   "noeq",    "header", "presection",
    "numbers", "mixed", "utf16", "utf8bom", "utf16be", "nul",    "fold"};
// The quirks a mixed file, and each encoding's file, draws from.
constexpr Kind kMixable[] = {Eol,  Case, Blanks, Quotes,     Dup,     Empty, Cp1252,
                             Long, NoEq, Header, PreSection, Numbers, CtrlZ};

// Characters of UTF-16 files: outside Windows-1252 (best fit, none, a surrogate pair),
// inside it under another number, and best-fit forms of blanks, '=', quotes and ';'.
constexpr char16_t kWide[] = {0x0100, 0x0141, 0x03A9, 0x0416, 0x4E2D, 0xD83D, 0xDE00,
                              0x20AC, 0x201C, 0x0081, 0xFEFF, 0x2000, 0x3000, 0xFF1D,
                              0xFF02, 0x2032, 0x037E, 0x00A0, 0x00E9};

class CGenerator {
public:
    explicit CGenerator(uint32_t nSeed) : rng(nSeed) {}

    CorpusFile Make(int nIndex) {
        const auto kind = static_cast<Kind>(nIndex % KindCount);
        bool abQuirk[KindCount] = {};
        abQuirk[kind] = true;
        if (kind >= Mixed)
            for (Kind k : kMixable)
                abQuirk[k] = Chance(35);
        quirk = abQuirk;
        aLines.clear();
        Program();
        char acName[32];
        std::snprintf(acName, sizeof acName, "%04d-%s.ini", nIndex, kKindNames[kind]);
        return {acName, Encode(kind)};
    }

private:
    using Text = std::u16string;

    bool Chance(unsigned nPercent) { return rng() % 100 < nPercent; }
    unsigned Pick(unsigned n) { return rng() % n; }
    static Text Units(std::string_view str) {
        Text t;
        for (char ch : str)
            t += static_cast<char16_t>(static_cast<uint8_t>(ch));
        return t;
    }

    // Trimmed blanks, and now and then a character that only looks blank.
    Text Blank() {
        Text t;
        if (!quirk[Blanks])
            return t;
        static constexpr char16_t kBlanks[] = u" \t\v\f\x1A";
        for (unsigned n = Pick(3); n > 0; --n)
            t += kBlanks[Pick(5)];
        if (Chance(5))
            t += quirk[Utf16] && Chance(50) ? char16_t(0x2000) : char16_t(Chance(50) ? 0xA0 : 0x1C);
        return t;
    }
    Text Cased(std::string_view str) {
        Text t = Units(str);
        if (quirk[Case])
            for (char16_t& c : t)
                if (c < 0x80 && std::isalpha(c) && Chance(50))
                    c ^= 0x20;
        return t;
    }
    Text Wide(Text t) {
        if (quirk[Utf16] && Chance(30))
            t.insert(Pick(static_cast<unsigned>(t.size()) + 1), 1, kWide[Pick(std::size(kWide))]);
        if (quirk[Utf16] && Chance(5))
            t = (Chance(50) ? u"\xFF02" : u"\x3000") + t + (Chance(50) ? u"\xFF02" : u"\x3000");
        return t;
    }

    void AddHeader(std::string_view strName) {
        Text t = u"[" + Blank() + Cased(strName) + Blank() + u"]";
        if (quirk[Header] && Chance(25)) {
            const unsigned nHow = Pick(3);
            t = nHow == 0 ? t + u"x]" : nHow == 1 ? t.substr(0, t.size() - 1) : t + u" ; note";
        }
        aLines.push_back(Blank() + t + Blank());
    }
    void AddKey(std::string_view strName, Text value) {
        const Text name = Cased(strName);
        if (quirk[NoEq] && Chance(15))
            aLines.push_back(Blank() + name + Blank());
        if (quirk[Empty] && Chance(15))
            value.clear();
        if (quirk[Quotes] && Chance(30)) {
            static constexpr char16_t kQuotes[] = u"\"'";
            value = kQuotes[Pick(2)] + value + kQuotes[Pick(2)];
        }
        if (quirk[Nul] && Chance(20))
            value.insert(Pick(static_cast<unsigned>(value.size()) + 1), 1, u'\0');
        const Text eq = quirk[Utf16] && Chance(3) ? u"\xFF1D" : u"=";
        aLines.push_back(Blank() + name + Blank() + eq + Blank() + Wide(value) + Blank());
        if (quirk[Dup] && Chance(10))
            aLines.push_back(name + u"=" + Number(Pick(20)));
    }

    Text Number(unsigned n) {
        static constexpr const char* kOdd[] = {" +5",  "-3",         "12abc", "abc", "99999999999",
                                               "0x10", "4294967295", "\t8",   "-0",  "+"};
        return Units(quirk[Numbers] && Chance(25) ? kOdd[Pick(10)] : std::to_string(n));
    }
    Text Step() {
        static constexpr const char* kOdd[] = {"1x1x1x1x", "101", "101010101", ""};
        if (Chance(4))
            return Units(kOdd[Pick(4)]);
        std::string str(8, '0');
        for (char& ch : str)
            ch = Chance(50) ? '1' : '0';
        return Units(str);
    }
    Text Name() {
        if (Chance(8))
            return u"-";
        if (quirk[Long] && Chance(40))
            return Text(2994 + Pick(9), u'n');
        Text t;
        for (unsigned n = Pick(16); n > 0; --n) {
            if (quirk[Cp1252] && Chance(40))
                t += static_cast<char16_t>(quirk[Utf16] ? 0xA0 + Pick(0x60) : 0x80 + Pick(0x80));
            else
                t += u"abcXYZ 019_-"[Pick(12)];
        }
        return quirk[Utf8Bom] ? t + u"K\xC3\xA4se" : t;
    }

    // In turn each length around the read buffer's, bare and quoted.
    void LongKey() {
        if (!quirk[Long])
            return;
        const Text value(2996 + nLong % 8, u'l');
        AddKey("Long", nLong++ / 8 % 2 != 0 ? u'"' + value + u'"' : value);
    }

    void Program() {
        if (quirk[PreSection]) {
            AddKey("MIX", Number(Pick(300)));
            AddKey("Extra", u"before");
        }
        AddHeader("Random");
        AddKey("MIX", Number(Pick(300)));
        LongKey();
        for (int nProg = 1; nProg <= 9; ++nProg) {
            if (Chance(10))
                continue;
            AddHeader("PROG_" + std::to_string(nProg));
            LongKey();
            const unsigned nSteps = quirk[Cap] && Chance(40) ? 880 + Pick(120) : Pick(10);
            const unsigned nWritten =
                Chance(15) ? Pick(nSteps + 1) : nSteps + (Chance(10) ? Pick(3) : 0);
            AddKey("MixAllowed", Number(Pick(3) == 2 ? 7 : Pick(2)));
            AddKey("Name", Name());
            AddKey("Steps", Number(nSteps));
            for (unsigned k = 1; k <= nWritten; ++k)
                AddKey("Step_" + std::to_string(k), Step());
            if (Chance(10))
                AddKey("Extra", Name());
        }
        if (quirk[Dup] && Chance(60)) {
            AddHeader("PROG_" + std::to_string(1 + Pick(9)));
            AddKey("Name", u"again");
            AddKey("Steps", u"1");
            AddKey("Step_1", u"11111111");
        }
        if (quirk[Fold]) {
            AddHeader("\xC0\xC9\x8A\x9F");  // the queried section's other case
            AddKey("Extra", u"\xE9t\xE9");
        }
        AddHeader("Other");
        AddKey("Extra", Name());
    }

    std::string Encode(Kind kind) {
        Text t;
        for (const Text& line : aLines) {
            t += line;
            static constexpr const char16_t* kEols[] = {u"\r\n", u"\n", u"\r", u"\r\n\r\n"};
            t += quirk[Eol] ? kEols[Pick(4)] : u"\r\n";
        }
        if (quirk[Eol] && Chance(30))
            t.resize(t.size() - 1 - (t.size() >= 2 && t.substr(t.size() - 2) == u"\r\n"));
        if (quirk[CtrlZ]) {
            if (Chance(50))
                t.resize(t.size() - 2);  // right after the last value
            t += u'\x1A';
        }
        std::string strOut;
        const auto put = [&](char16_t c, bool bBig) {
            strOut += static_cast<char>(bBig ? c >> 8 : c & 0xFF);
            strOut += static_cast<char>(bBig ? c & 0xFF : c >> 8);
        };
        if (kind == Utf16 || kind == Utf16Be) {
            t = u'\xFEFF' + t;
            for (char16_t c : t)
                put(c, kind == Utf16Be);
            return strOut;
        }
        if (kind == Utf8Bom)
            strOut = "\xEF\xBB\xBF";
        for (char16_t c : t)
            strOut += static_cast<char>(c);
        return strOut;
    }

    std::mt19937 rng;
    const bool* quirk = nullptr;
    unsigned nLong = 0;
    std::vector<Text> aLines;
};

}  // namespace

std::vector<CorpusFile> MakeIniCorpus(uint32_t nSeed, int nFiles) {
    CGenerator gen(nSeed);
    std::vector<CorpusFile> aFiles;
    for (int n = 0; n < nFiles; ++n)
        aFiles.push_back(gen.Make(n));
    return aFiles;
}
