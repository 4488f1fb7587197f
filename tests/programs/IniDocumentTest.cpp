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

}  // namespace
