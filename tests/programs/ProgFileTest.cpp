#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include <unistd.h>

#include "programs/Cp1252.h"
#include "programs/IniFile.h"
#include "tests/programs/ProgramsFixture.h"

namespace {

class ProgFileTest : public ::testing::Test {
protected:
    std::string Row(int n) { return rig.view.ComboGetRow(IDC_PROGRAM, n); }
    const LightProgram& Prog(int n) { return rig.session.Store().aProgs[n - 1]; }
    void Load(const std::string& strName, const std::string& strText) {
        WriteBytes(rig.folder.File(strName), strText);
        rig.session.LoadProgFile(strName);
    }

    static void ExpectSameStore(const ProgramStore& a, const ProgramStore& b) {
        EXPECT_EQ(a.RandomLen, b.RandomLen);
        for (int n = 0; n < kProgCount; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(a.aProgs[n].Steps, b.aProgs[n].Steps);
            EXPECT_EQ(a.aProgs[n].MixAllowed, b.aProgs[n].MixAllowed);
            EXPECT_STREQ(a.aProgs[n].Name, b.aProgs[n].Name);
            EXPECT_EQ(std::memcmp(a.aProgs[n].Data, b.aProgs[n].Data, kDataSize), 0);
        }
    }

    DialogRig rig;
};

TEST_F(ProgFileTest, ReadsProgramsAsTheFileDescribesThem) {
    Load("edge.ini",
         "[PROG_1]\r\nName=a name longer than twelve\r\nSteps=5\r\nMixAllowed=7\r\n"
         "Step_1=10000001\r\nStep_2=1x1x1x1x\r\nStep_3=00000011\r\nStep_5=11111111\r\n"
         "[PROG_2]\r\nName=-\r\nSteps=2\r\nMixAllowed=1\r\nStep_1=11111111\r\nStep_2=11111111\r\n"
         "[PROG_3]\r\nSteps=2\r\nStep_1=101\r\nStep_2=11111111\r\n"
         "[PROG_4]\r\nSteps=\r\nStep_1=11111111\r\n"
         "[PROG_5]\r\nSteps=-3\r\nStep_1=11111111\r\n"
         "[PROG_6]\r\nSteps=2\r\nMixAllowed=0\r\nStep_1=00000001\r\nStep_2=00000010\r\n"
         "[Random]\r\nMIX=300\r\n");
    const struct {
        int nProg;
        int nSteps;
        int nMix;
        const char* pName;
        const char* pRow;
    } aCases[] = {
        {1, 3, 1, "a name longe", "Prog 1: \"a name longe\", 3 steps, MixAllowed=1"},
        {2, 0, 0, "-", "Prog 2: \"-\", 0 step, MixAllowed=0"},
        {3, 0, 0, "", "Prog 3: \"\", 0 step, MixAllowed=0"},  // "101" ends it at once
        {4, 0, 0, "", "Prog 4: \"\", 0 step, MixAllowed=0"},  // empty, not the default
        {5, 0, 0, "", "Prog 5: \"\", 0 step, MixAllowed=0"},
        {6, 2, 0, "", "Prog 6: \"\", 2 steps, MixAllowed=0"},
        {7, 0, 0, "", "Prog 7: \"\", 0 step, MixAllowed=0"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.nProg);
        EXPECT_EQ(Prog(c.nProg).Steps, c.nSteps);
        EXPECT_EQ(Prog(c.nProg).MixAllowed, c.nMix);
        EXPECT_STREQ(Prog(c.nProg).Name, c.pName);
        EXPECT_EQ(Row(c.nProg - 1), c.pRow);
    }
    EXPECT_EQ(Prog(1).Data[0], 0x81);
    EXPECT_EQ(Prog(1).Data[1], 0xAA);
    EXPECT_EQ(Prog(1).Data[2], 0x03);
    EXPECT_EQ(rig.session.Store().RandomLen, 44);
    ASSERT_EQ(rig.view.ComboCount(IDC_PROGRAM), 11);
    EXPECT_EQ(Row(9), "Random");
    EXPECT_EQ(Row(10), "MIX: (RandomLen=44)");
    EXPECT_EQ(rig.view.ComboGetSel(IDC_PROGRAM), 0);
    EXPECT_EQ(rig.session.GetTrace(), " 2 programs loaded from edge.ini");
    EXPECT_EQ(rig.dlg.GetFileName(), "edge.ini");
}

TEST_F(ProgFileTest, StepsAreCutAt896AndAMissingKeyReadsItsDefault) {
    std::string strText = "[PROG_9]\nName=first\nSteps=5000\n";
    for (int k = 1; k <= 900; ++k)
        strText += "Step_" + std::to_string(k) + "=01010101\n";
    // A key that stands twice reads its first value, however many keys the section has.
    strText += "Name=second\nSteps=1\n";
    for (int k = 1; k <= 900; ++k)
        strText += "step_" + std::to_string(k) + "=11111111\n";
    Load("big.ini", strText);
    EXPECT_EQ(Prog(9).Steps, 896);
    EXPECT_STREQ(Prog(9).Name, "first");
    const uint8_t* pData = Prog(9).Data;
    EXPECT_EQ(std::count(pData, pData + 896, 0x55), 896);
    EXPECT_EQ(rig.session.Store().RandomLen, 80);
    EXPECT_EQ(rig.session.Store().aProgs[8].Data[896], 0);
}

TEST_F(ProgFileTest, ALoadClearsAddressesStaticInfoAndPlayback) {
    rig.session.Store().aProgs[0].PosProgLen = 0x100;
    rig.session.Store().aProgs[3].PosProgData = 0x200;
    rig.session.Engine().SetInfo(StaticInfo{4, 12, 896});
    rig.session.Player().SelectProg(kEntryMix);  // MIX, on Random with an empty store
    ASSERT_EQ(rig.session.Player().State().CurProg, kEntryMix);
    ASSERT_EQ(rig.session.Player().State().MixProg, kEntryRandom);
    Load("p.ini", "[PROG_1]\nSteps=1\nStep_1=00000001\n");
    for (const LightProgram& r : rig.session.Store().aProgs) {
        EXPECT_EQ(r.PosProgLen + r.PosProgName + r.PosProgData, 0);
    }
    EXPECT_EQ(
        rig.session.Info().InfoLen + rig.session.Info().ProgNameLen + rig.session.Info().ProgSize,
        0);
    EXPECT_EQ(rig.session.Player().State().CurProg, 0);
    EXPECT_EQ(rig.session.Player().State().MixProg, 0);
}

TEST_F(ProgFileTest, StoreWritesEveryProgramInFull) {
    ProgramStore& s = rig.session.Store();
    s.aProgs[0] = LightProgram{};
    s.aProgs[0].MixAllowed = 1;
    std::strcpy(s.aProgs[0].Name, "chase");
    s.aProgs[0].Steps = 2;
    s.aProgs[0].Data[0] = 0x81;
    s.aProgs[0].Data[1] = 0x42;
    rig.session.StoreProgFile("out.ini");
    std::string strExpected =
        "[Random]\r\nMIX=80\r\n[PROG_1]\r\nMixAllowed=1\r\nName=chase\r\nSteps=2\r\n"
        "Step_1=10000001\r\nStep_2=01000010\r\n";
    for (int n = 2; n <= 9; ++n)
        strExpected += "[PROG_" + std::to_string(n) + "]\r\nMixAllowed=0\r\nName=\r\nSteps=0\r\n";
    EXPECT_EQ(ReadBytes(rig.folder.File("out.ini")), strExpected);
    EXPECT_TRUE(rig.view.aMessages.empty());
}

TEST_F(ProgFileTest, StoreAndLoadGiveBackTheSamePrograms) {
    Load("in.ini",
         "[PROG_2]\nName=\"Bounce\"\nMixAllowed=7\nSteps=3\nStep_1=00011000\nStep_2=00100100\n"
         "Step_3=01000010\n[PROG_4]\nName=-\nSteps=9\nMixAllowed=1\n[Random]\nMIX=3\n");
    std::mt19937 gen(7);
    for (int k = 0; k < kMaxFileSteps; ++k)
        rig.session.Store().aProgs[8].Data[k] = gen() & 0xFF;
    rig.session.Store().aProgs[8].Steps = kMaxFileSteps;
    const ProgramStore before = rig.session.Store();

    rig.session.StoreProgFile(rig.folder.File("round.ini"));  // an absolute path
    rig.session.LoadProgFile("round.ini");
    EXPECT_EQ(rig.session.Store().RandomLen, 3);
    ExpectSameStore(rig.session.Store(), before);
    const std::string strFile = ReadBytes(rig.folder.File("round.ini"));
    EXPECT_NE(strFile.find("[PROG_2]\r\nMixAllowed=1\r\nName=Bounce\r\n"), std::string::npos);
    EXPECT_NE(strFile.find("[PROG_4]\r\nMixAllowed=0\r\nName=-\r\nSteps=0\r\n"), std::string::npos);
}

// A file saved on Windows as "Unicode" (UTF-16 with its byte-order mark) loads the
// programs of the same file in Windows-1252.
TEST_F(ProgFileTest, AUnicodeFileLoadsAsItsWindows1252Twin) {
    const std::string strAnsi =
        "[Random]\r\nMIX=12\r\n[PROG_1]\r\nName=Caf\xE9 \x80 \x8A\r\nMixAllowed=1\r\nSteps=2\r\n"
        "Step_1=10000001\r\nStep_2=01100110\x1A";
    std::string strWide = "\xFF\xFE";
    for (char ch : strAnsi) {
        const uint16_t nUnit = UnitFromCp1252(ch);
        strWide += {static_cast<char>(nUnit & 0xFF), static_cast<char>(nUnit >> 8)};
    }
    Load("ansi.ini", strAnsi);
    const ProgramStore ansi = rig.session.Store();
    EXPECT_EQ(ansi.aProgs[0].Steps, 2);
    Load("wide.ini", strWide);
    ExpectSameStore(rig.session.Store(), ansi);
}

// The reader trims blanks and removes a pair of quotes: names it would change are
// stored in quotes. "-" with blanks read back as "-" would lose the program's steps.
TEST_F(ProgFileTest, NamesTheReaderWouldChangeComeBackAsTheyWere) {
    const char* aNames[] = {"-  ", "\t-", " lead", "\"q\"", "'s'", "'", "a'b'", "x\f\x1A", "-"};
    ProgramStore& s = rig.session.Store();
    for (int n = 0; n < 9; ++n) {
        s.aProgs[n] = LightProgram{};
        std::strcpy(s.aProgs[n].Name, aNames[n]);
        s.aProgs[n].Steps = 1;
        s.aProgs[n].Data[0] = static_cast<uint8_t>(n + 1);
    }
    rig.session.StoreProgFile("names.ini");
    const std::string strFile = ReadBytes(rig.folder.File("names.ini"));
    EXPECT_NE(strFile.find("Name=\"-  \"\r\n"), std::string::npos);
    EXPECT_NE(strFile.find("Name='\r\n"), std::string::npos);
    EXPECT_NE(strFile.find("Name=a'b'\r\n"), std::string::npos);
    rig.session.LoadProgFile("names.ini");
    for (int n = 0; n < 9; ++n) {
        SCOPED_TRACE(aNames[n]);
        EXPECT_STREQ(Prog(n + 1).Name, aNames[n]);
        // Only the real empty slot reads as one.
        EXPECT_EQ(Prog(n + 1).Steps, n == 8 ? 0 : 1);
    }
}

TEST_F(ProgFileTest, AFailedStoreLeavesTheOldFileAndSaysSo) {
    const std::string strOld = "[PROG_1]\r\nName=keep me\r\n";
    WriteBytes(rig.folder.File("old.ini"), strOld);
    std::filesystem::create_directory(rig.folder.File("folder.ini"));
    rig.session.StoreProgFile("folder.ini");         // a folder in the way
    rig.session.StoreProgFile("missing/dir/x.ini");  // no such folder
    // Each message names the file and the system's reason.
    ASSERT_EQ(rig.view.aMessages.size(), 2u);
    const std::string aEnds[] = {
        "folder.ini: " + std::make_error_code(std::errc::is_a_directory).message(),
        "x.ini: " + std::make_error_code(std::errc::no_such_file_or_directory).message()};
    for (int n = 0; n < 2; ++n) {
        const std::string& strMessage = rig.view.aMessages[n];
        EXPECT_EQ(strMessage.rfind("error: can not open the file !!!\r\n", 0), 0u) << strMessage;
        EXPECT_TRUE(strMessage.ends_with(aEnds[n])) << strMessage;
    }
    EXPECT_TRUE(std::filesystem::is_directory(rig.folder.File("folder.ini")));

#ifndef _WIN32
    if (::geteuid() != 0) {  // root writes everywhere
        std::filesystem::permissions(rig.folder.File("old.ini"),
                                     std::filesystem::perms::owner_read);
        rig.session.StoreProgFile("old.ini");
        EXPECT_EQ(rig.view.aMessages.size(), 3u);
        std::filesystem::permissions(rig.folder.path, std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
        rig.session.StoreProgFile("old.ini");
        EXPECT_EQ(rig.view.aMessages.size(), 4u);
    }
#endif
    EXPECT_EQ(ReadBytes(rig.folder.File("old.ini")), strOld);
    EXPECT_EQ(rig.session.GetTrace().find("stored"), std::string::npos);

    // A store that works says where it went.
    std::filesystem::permissions(rig.folder.path, std::filesystem::perms::owner_all);
    rig.session.Store().aProgs[4].Steps = 1;
    ASSERT_TRUE(rig.session.StoreProgFile("new.ini"));
    EXPECT_TRUE(rig.session.GetTrace().ends_with("\r\n 1 programs stored to " +
                                                 rig.session.Ini().ResolveIniPath("new.ini")))
        << rig.session.GetTrace();
}

TEST_F(ProgFileTest, BadFilesStillLoad) {
    const char* kNoPrograms = "\r\n --> the file holds no programs";
    std::mt19937 gen(1);
    std::string strBinary(200000, '\0');
    for (char& ch : strBinary)
        ch = static_cast<char>(gen());
    const std::string strLongLine = "[PROG_1]\nName=" + std::string(3'000'000, 'n') +
                                    "\nSteps=1\n"
                                    "Step_1=" +
                                    std::string(1'000'000, '1') + "\n";
    const struct {
        const char* pName;
        std::string strText;
        int nCount;
        const char* pNote = "";  // the line after the count
    } aCases[] = {
        {"empty", "", 0, kNoPrograms},
        {"binary", strBinary, 0, kNoPrograms},
        {"long lines", strLongLine, 0},
        {"no sections", "Steps=1\nStep_1=11111111\nMIX=5\n", 0, kNoPrograms},
        {"BOM", "\xEF\xBB\xBF[PROG_1]\r\nSteps=1\r\nStep_1=11111111\r\n", 1},
        {"duplicates",
         "[PROG_1]\nSteps=1\nStep_1=11111111\n[PROG_1]\nSteps=2\n[prog_2]\nsteps=1\nSTEP_1="
         "00000001\n",
         2},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pName);
        Load("bad.ini", c.strText);
        EXPECT_EQ(rig.session.GetTrace(),
                  " " + std::to_string(c.nCount) + " programs loaded from bad.ini" + c.pNote);
        EXPECT_EQ(rig.view.ComboCount(IDC_PROGRAM), 11);
        EXPECT_EQ(ReadBytes(rig.folder.File("bad.ini")), c.strText);
    }
    EXPECT_STREQ(Prog(1).Name, "");
    EXPECT_EQ(Prog(1).Steps, 1);
    EXPECT_EQ(Prog(2).Data[0], 1);

    // A folder in place of the file reads as a missing one.
    std::filesystem::create_directory(rig.folder.File("adir"));
    rig.session.LoadProgFile("adir");
    EXPECT_EQ(rig.session.GetTrace(),
              " 0 programs loaded from adir\r\n --> the file cannot be read");
    EXPECT_EQ(rig.session.LoadProgFile("gone.ini"), LoadResult::NoFile);
    EXPECT_EQ(rig.session.GetTrace(),
              " 0 programs loaded from gone.ini\r\n --> the file does not exist");
    EXPECT_EQ(rig.session.Store().RandomLen, 80);
}

// The fuzz target and other callers without files load and store through the document
// entry points: the file functions must be exactly these with the file read or written.
TEST_F(ProgFileTest, FileFunctionsAreTheDocumentOnesAroundTheFile) {
    const std::string strText =
        "[Random]\nMIX=9\n[PROG_3]\nName=\" three \"\nMixAllowed=2\nSteps=3\n"
        "Step_1=10101010\nStep_2=01010101\nStep_3=short\n[prog_5]\nname=-\nsteps=4\n";
    Load("doc.ini", strText);
    const ProgramStore fromFile = rig.session.Store();
    const std::string strTrace = rig.session.GetTrace();
    const std::string strRow = Row(2);
    rig.session.Store().ClearPrograms();
    rig.dlg.ListProgEntry(2);
    ASSERT_NE(Row(2), strRow);

    CProgFiles& files = rig.session.Files();
    files.LoadProgDocument(CIniDocument::Parse(strText), "doc.ini");
    EXPECT_EQ(rig.session.GetTrace(), strTrace);
    EXPECT_EQ(Row(2), strRow);
    EXPECT_EQ(rig.session.Store().RandomLen, 9);
    ExpectSameStore(rig.session.Store(), fromFile);
    EXPECT_EQ(Prog(3).Steps, 2);
    EXPECT_EQ(files.ReadProgFromIni(2, "doc.ini"), 1);
    EXPECT_EQ(files.ReadProgFromIni(4, "doc.ini"), 0);

    rig.session.StoreProgFile("out.ini");
    EXPECT_EQ(ReadBytes(rig.folder.File("out.ini")), files.StoreText());
}

TEST_F(ProgFileTest, ListProgEntryRewritesOneRowAndKeepsTheSelection) {
    rig.view.ComboSetSel(IDC_PROGRAM, 10);
    rig.session.Store().aProgs[2].Steps = 1;
    rig.session.Store().aProgs[2].MixAllowed = 1;
    std::strcpy(rig.session.Store().aProgs[2].Name, "fill");
    rig.dlg.ListProgEntry(2);
    EXPECT_EQ(Row(2), "Prog 3: \"fill\", 1 step, MixAllowed=1");
    EXPECT_EQ(rig.view.ComboCount(IDC_PROGRAM), 11);
    EXPECT_EQ(rig.view.ComboGetSel(IDC_PROGRAM), 10);
}

TEST_F(ProgFileTest, WriteProgToIniEditsOneSectionOfAnExistingFile) {
    WriteBytes(
        rig.folder.File("mine.ini"),
        "; keep\r\n[PROG_1]\r\nName=old\r\nSteps=3\r\nColour=red\r\n\r\n[PROG_2]\r\nName=x\r\n");
    LightProgram& r = rig.session.Store().aProgs[0];
    std::strcpy(r.Name, "new");
    r.Steps = 1;
    r.Data[0] = 0x01;
    EXPECT_EQ(rig.session.Files().WriteProgToIni(0, "mine.ini"), 1);
    EXPECT_EQ(ReadBytes(rig.folder.File("mine.ini")),
              "; keep\r\n[PROG_1]\r\nName=new\r\nSteps=1\r\nColour=red\r\nMixAllowed=0\r\n"
              "Step_1=00000001\r\n\r\n[PROG_2]\r\nName=x\r\n");
    EXPECT_EQ(rig.session.Files().WriteProgToIni(1, "mine.ini"), 0);
}

TEST_F(ProgFileTest, TheDemoFileLoads) {
    const char* pSource = std::getenv("GLOWDESK_SOURCE_DIR");
    if (pSource == nullptr)
        GTEST_SKIP() << "GLOWDESK_SOURCE_DIR is not set";
    rig.session.LoadProgFile(std::string(pSource) + "/examples/demo.ini");
    EXPECT_EQ(rig.session.GetTrace().substr(0, 20), " 8 programs loaded f");
    EXPECT_EQ(Row(0), "Prog 1: \"Chase\", 8 steps, MixAllowed=1");
    EXPECT_EQ(Row(4), "Prog 5: \"Sweep\", 12 steps, MixAllowed=1");
    EXPECT_EQ(Row(7), "Prog 8: \"-\", 0 step, MixAllowed=0");
    EXPECT_EQ(Row(10), "MIX: (RandomLen=40)");
}

}  // namespace
