#include "programs/IniDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::string_literals;

namespace {

// Written by hand in a Windows editor: CRLF, blanks around '=', quotes, mixed case,
// comments, duplicates, a key outside any section and no final line end.
const std::string kHandWritten =
    "Orphan=1\r\n"
    "; Glowdesk programs\r\n"
    "[Random]\r\n"
    "MIX = 120 \r\n"
    "\r\n"
    "[prog_1]\r\n"
    "  name = \"chase  \"\r\n"
    "Steps=3\r\n"
    "STEPS=99\r\n"
    "Step_1='10000001'\r\n"
    "Step_2=\"01000010'\r\n"
    "Note=k=v ;x\r\n"
    ";Step_3=00000000\r\n"
    "Step_3\r\n"
    "Empty=\r\n"
    "Quote=\"\r\n"
    "\r\n"
    "[PROG_1]\r\n"
    "Extra=1\r\n"
    "[ Prog_2 ]  ; second\r\n"
    "\tName\t=\tlast";

TEST(IniDocument, ReadsHandWrittenFileAsTheProfileFunctionsDo) {
    const CIniDocument doc = CIniDocument::Parse(kHandWritten);
    const struct {
        const char* pSection;
        const char* pKey;
        std::optional<std::string> value;
    } aCases[] = {
        {"Random", "MIX", "120"},
        {"random", "mix", "120"},
        {"PROG_1", "Name", "chase  "},        // quotes removed, blanks inside kept
        {"PROG_1", "Steps", "3"},             // the first of two keys wins
        {"PROG_1", "Step_1", "10000001"},     // single quotes too
        {"PROG_1", "Step_2", "\"01000010'"},  // quotes that do not match stay
        {"PROG_1", "Note", "k=v ;x"},         // no comment after a value
        {"PROG_1", "Step_3", std::nullopt},   // a comment and a line without '='
        {"PROG_1", "Empty", ""},              // present and empty
        {"PROG_1", "Quote", "\""},            // a single quote character is a value
        {"PROG_1", "Extra", std::nullopt},    // only the first section of a name counts
        {"PROG_2", "Name", "last"},           // blanks around the header, tabs, no line end
        {"Random", "Orphan", std::nullopt},   // a key before every section
        {"PROG_3", "Name", std::nullopt},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::string(c.pSection) + "/" + c.pKey);
        EXPECT_EQ(doc.Find(c.pSection, c.pKey), c.value);
    }
}

TEST(IniDocument, AcceptsEveryLineEndAndSkipsTheByteOrderMark) {
    for (const char* pEol : {"\r\n", "\n", "\r"}) {
        const std::string strText = std::string("\xEF\xBB\xBF[A]") + pEol + "k=1" + pEol + "[B]" +
                                    pEol + pEol + "k=2" + pEol;
        const CIniDocument doc = CIniDocument::Parse(strText);
        EXPECT_EQ(doc.Find("A", "k"), "1");
        EXPECT_EQ(doc.Find("B", "k"), "2");
        EXPECT_EQ(doc.Serialize(), strText);
    }
}

// A UTF-16 file stays one: lines not edited keep their characters, also those that
// Windows-1252 lacks; edited and new lines are written in UTF-16 too.
TEST(IniDocument, EditsAUtf16FileInUtf16) {
    const auto utf16 = [](std::u16string_view str) {
        std::string strOut;
        for (char16_t c : str)
            strOut += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return strOut;
    };
    CIniDocument doc = CIniDocument::Parse(
        utf16(u"\xFEFF[A]\r\nName=\x2000\x0100\x4E2D\x20AC\x2000\r\nk\xFF1Dv\r\nSteps=1\n"));
    EXPECT_EQ(doc.Find("A", "Name"), " A?\x80 ");  // best fits, not trimmed
    EXPECT_EQ(doc.Find("A", "k"), std::nullopt);   // a full-width '=' is no '='
    doc.Set("A", "Steps", "2");
    doc.Set("A", "\xE9", "\xE9");
    doc.Set("A", "k?v", "1");  // the name keeps its full-width '='
    EXPECT_EQ(doc.Serialize(),
              utf16(u"\xFEFF[A]\r\nName=\x2000\x0100\x4E2D\x20AC\x2000\r\nk\xFF1Dv=1\r\n"
                    u"Steps=2\r\n\xE9=\xE9\r\n"));
    EXPECT_EQ(CIniDocument::Parse(doc.Serialize()).Find("A", "k?v"), "1");
}

TEST(IniDocument, WritesBackEveryByteItDidNotChange) {
    const std::string aTexts[] = {
        kHandWritten,         "",          "\xEF\xBB\xBF", "bin\0ary\xff\r\r\n\n[\x01]=\x80"s,
        "no line end at all", "[A]\n\n\n",
    };
    for (const std::string& strText : aTexts) {
        EXPECT_EQ(CIniDocument::Parse(strText).Serialize(), strText);
    }
}

TEST(IniDocument, EditsInPlace) {
    const std::string strBase =
        "; top\r\n[PROG_1]\r\nSTEPS = 3\r\nName=x\r\n\r\n[Other]\r\nkeep = me\r\n";
    const struct {
        const char* pSection;
        const char* pKey;
        const char* pValue;
        std::string strExpected;
    } aCases[] = {
        // A changed key keeps its line and its spelling.
        {"prog_1", "steps", "4",
         "; top\r\n[PROG_1]\r\nSTEPS=4\r\nName=x\r\n\r\n[Other]\r\nkeep = me\r\n"},
        // Writing the value a key already has changes nothing.
        {"PROG_1", "Steps", "3", strBase},
        // A new key goes after the section's last line, before the blank line.
        {"PROG_1", "Step_1", "00000001",
         "; top\r\n[PROG_1]\r\nSTEPS = 3\r\nName=x\r\nStep_1=00000001\r\n\r\n[Other]\r\nkeep = "
         "me\r\n"},
        // A new section goes at the end, with no blank line before it.
        {"PROG_2", "Name", "y", strBase + "[PROG_2]\r\nName=y\r\n"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::string(c.pSection) + "/" + c.pKey);
        CIniDocument doc = CIniDocument::Parse(strBase);
        doc.Set(c.pSection, c.pKey, c.pValue);
        EXPECT_EQ(doc.Serialize(), c.strExpected);
        EXPECT_EQ(CIniDocument::Parse(doc.Serialize()).Find(c.pSection, c.pKey), c.pValue);
    }
}

TEST(IniDocument, EndsAnUnfinishedLastLineBeforeAddingToIt) {
    CIniDocument doc = CIniDocument::Parse("[A]\nk=1");
    doc.Set("A", "j", "2");
    doc.Set("B", "i", "3");
    EXPECT_EQ(doc.Serialize(), "[A]\nk=1\r\nj=2\r\n[B]\r\ni=3\r\n");

    CIniDocument header = CIniDocument::Parse("[A]");
    header.Set("A", "k", "1");
    EXPECT_EQ(header.Serialize(), "[A]\r\nk=1\r\n");
}

TEST(IniDocument, AValueCannotBreakItsLine) {
    CIniDocument doc;
    doc.Set("PROG_1", "Name", "ab\r\n[PROG_5]");
    doc.Set("PROG_5", "Steps", "1");
    const CIniDocument back = CIniDocument::Parse(doc.Serialize());
    EXPECT_EQ(back.Find("PROG_1", "Name"), "ab  [PROG_5]");
    EXPECT_EQ(back.Find("PROG_5", "Steps"), "1");
}

// Lookups after edits that add sections and keys before, between and after the ones
// read: every name is still found where it first stands, and only there.
TEST(IniDocument, FindsEveryNameAfterEditsInAnyOrder) {
    CIniDocument doc = CIniDocument::Parse("[m]\nk=m1\nk=m2\n[M]\nk=M\nj=M\n[x]\nb=x\n");
    doc.Set("z", "k", "z");  // a new section after all others
    doc.Set("a", "k", "a");  // and one before them
    doc.Set("m", "z", "mz");
    doc.Set("m", "a", "ma");  // keys before and after the one read
    doc.Set("M", "k", "m3");  // the first section of the name, its first key
    const struct {
        const char* pSection;
        const char* pKey;
        std::optional<std::string> value;
    } aCases[] = {
        {"a", "k", "a"},          {"m", "k", "m3"},         {"m", "a", "ma"},
        {"m", "z", "mz"},         {"x", "b", "x"},          {"z", "k", "z"},
        {"m", "j", std::nullopt}, {"a", "b", std::nullopt}, {"b", "k", std::nullopt},
    };
    for (const CIniDocument& d : {doc, CIniDocument::Parse(doc.Serialize())}) {
        for (const auto& c : aCases) {
            SCOPED_TRACE(std::string(c.pSection) + "/" + c.pKey);
            EXPECT_EQ(d.Find(c.pSection, c.pKey), c.value);
        }
    }
    EXPECT_EQ(doc.Serialize(),
              "[m]\nk=m3\r\nk=m2\nz=mz\r\na=ma\r\n[M]\nk=M\nj=M\n[x]\nb=x\n"
              "[z]\r\nk=z\r\n[a]\r\nk=a\r\n");
}

// A file written whole is built line by line without a document: the same text as the
// keys set one by one in an empty document.
TEST(IniDocument, AppendedLinesAreTheOnesSetAdds) {
    const struct {
        const char* pSection;
        const char* pKey;
        const char* pValue;
    } aKeys[] = {
        {"Random", "MIX", "80"},      {" PROG_1\t", "Name", "two\r\nlines\rand\n"},
        {" PROG_1\t", " Steps ", ""}, {" PROG_1\t", "Step_1", " 0101 "},
        {"[x]", "k", "[PROG_2]"},     {"=", "=", "="},
    };
    CIniDocument doc;
    std::string strText;
    const char* pLastSection = nullptr;
    for (const auto& k : aKeys) {
        if (pLastSection == nullptr || std::string(pLastSection) != k.pSection)
            CIniDocument::AppendSection(strText, k.pSection);
        pLastSection = k.pSection;
        CIniDocument::AppendKey(strText, k.pKey, k.pValue);
        doc.Set(k.pSection, k.pKey, k.pValue);
    }
    EXPECT_EQ(strText, doc.Serialize());
    EXPECT_EQ(CIniDocument::Parse(strText).Find("PROG_1", "Name"), "two  lines and");
}

}  // namespace

namespace {

// Name folding at the edges of each range it changes: only the letters fold, the
// neighbours of each range stay as they are, on both sides.
TEST(IniNameFolding, LettersFoldAndTheirNeighboursStay) {
    const struct {
        unsigned char byIn, byOut;
    } aCases[] = {
        {'@', '@'},   {'A', 'a'},   {'Z', 'z'},   {'[', '['},   {'`', '`'},   {'a', 'a'},
        {'z', 'z'},   {'{', '{'},   {0x7F, 0x7F}, {0x80, 0x80}, {0x89, 0x89}, {0x8A, 0x9A},
        {0x8B, 0x8B}, {0x8C, 0x9C}, {0x8D, 0x8D}, {0x8E, 0x9E}, {0x8F, 0x8F}, {0x9A, 0x9A},
        {0x9E, 0x9E}, {0x9F, 0xFF}, {0xBF, 0xBF}, {0xC0, 0xE0}, {0xD6, 0xF6}, {0xD7, 0xD7},
        {0xD8, 0xF8}, {0xDE, 0xFE}, {0xDF, 0xDF}, {0xE0, 0xE0}, {0xF7, 0xF7}, {0xFF, 0xFF},
    };
    for (const auto& c : aCases) {
        const std::string strIn(1, static_cast<char>(c.byIn));
        EXPECT_EQ(FoldIniName(strIn), std::string(1, static_cast<char>(c.byOut)))
            << "byte " << static_cast<unsigned>(c.byIn);
    }
}

// In a document: a name found under its other case, and never under a neighbour's.
TEST(IniNameFolding, LookupsMatchOnlyTheFoldedName) {
    const CIniDocument doc =
        CIniDocument::Parse("[AZ\xC0\xDE\x8A\x9F]\r\nK@Z=upper\r\n[@[\xD7\xDF]\r\nk=edge\r\n"s);
    EXPECT_EQ(doc.Find("az\xE0\xFE\x9A\xFF", "k@z"), "upper");
    EXPECT_EQ(doc.Find("Az\xC0\xFE\x8A\xFF", "K@Z"), "upper");
    EXPECT_EQ(doc.Find("@[\xD7\xDF", "K"), "edge");
    // '@' is not 'A' - 1 folded, '[' not 'Z' + 1, 0xD7 and 0xDF have no other case.
    EXPECT_EQ(doc.Find("`{\xF7\xFF", "k"), std::nullopt);
    EXPECT_EQ(doc.Find("az\xE0\xFE\x9A\xFF", "k`z"), std::nullopt);
    EXPECT_EQ(doc.Find("@[\xF7\xDF", "k"), std::nullopt);
}

}  // namespace
