#include "programs/IniFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "programs/FileReplace.h"
#include "tests/programs/ProgramsFixture.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ini.SetStartDir(folder.Dir() + "/"); }
    CIniProfile ini;
    TempFolder folder;
};

TEST_F(IniFileTest, RelativePathsLiveInTheStartDirectory) {
    WriteBytes(folder.File("progs.ini"), "[A]\r\nk=start dir\r\n");
    EXPECT_EQ(ini.GetIniString("progs.ini", "A", "k", "none"), "start dir");
    EXPECT_EQ(ini.GetIniString(folder.File("progs.ini"), "A", "k", "none"), "start dir");

    ASSERT_TRUE(ini.WriteIniString("new.ini", "B", "j", "2"));
    EXPECT_EQ(ReadBytes(folder.File("new.ini")), "[B]\r\nj=2\r\n");
}

#ifdef _WIN32
// The window hands over paths as the file dialog spells them, "C:/dir/x.ini" included.
TEST_F(IniFileTest, DriveLetterWithSlashesIsUsedAsGiven) {
    WriteBytes(folder.File("slash.ini"), "[A]\r\nk=found\r\n");
    std::string strPath = folder.File("slash.ini");
    std::replace(strPath.begin(), strPath.end(), '\\', '/');
    ASSERT_EQ(strPath[1], ':');
    ini.SetStartDir("Z:\\nowhere\\");
    EXPECT_EQ(ini.GetIniString(strPath, "A", "k", "none"), "found");
}
#endif

TEST_F(IniFileTest, MissingOrUnreadableFilesGiveTheDefault) {
    EXPECT_EQ(ini.GetIniString("absent.ini", "A", "k", "dflt"), "dflt");
    EXPECT_EQ(ini.GetIniString("", "A", "k", "dflt"), "dflt");  // the start directory itself
    EXPECT_EQ(ini.GetIniInt("absent.ini", "A", "k", 80), 80);
}

TEST_F(IniFileTest, ValuesAreCutAsAFixedBufferCutsThem) {
    WriteBytes(folder.File("long.ini"),
               "[A]\nlong=" + std::string(5000, 'x') + "\nnul=ab" + std::string(1, '\0') + "cd\n");
    EXPECT_EQ(ini.GetIniString("long.ini", "A", "long", ""), std::string(2999, 'x'));
    EXPECT_EQ(ini.GetIniString("long.ini", "A", "nul", ""), "ab");
}

TEST_F(IniFileTest, NumbersFollowAtoi) {
    const struct {
        const char* pLine;
        int nExpected;
    } aCases[] = {
        {"n=42", 42},
        {"n= -5", -5},
        {"n=+7", 7},
        {"n=12abc", 12},
        {"n=abc", 0},
        {"n=", 0},
        {"n=\" 9\"", 9},
        {"n=99999999999", INT_MAX},
        {"n=-99999999999", INT_MIN},
        {"x=1", 80},  // missing: the default
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pLine);
        WriteBytes(folder.File("n.ini"), std::string("[A]\r\n") + c.pLine + "\r\n");
        EXPECT_EQ(ini.GetIniInt("n.ini", "A", "n", 80), c.nExpected);
    }
    EXPECT_EQ(IniFormatUnsigned(-1), "4294967295");
}

TEST_F(IniFileTest, WritesEditTheFileInPlace) {
    const std::string strBefore = "; my programs\r\n[PROG_1]\r\nName = old\r\nOwn=key\r\n\r\n[X]\n";
    WriteBytes(folder.File("edit.ini"), strBefore);
    ASSERT_TRUE(ini.WriteIniString("edit.ini", "prog_1", "NAME", "new"));
    ASSERT_TRUE(ini.WriteIniInt("edit.ini", "PROG_1", "Steps", 3));
    EXPECT_EQ(ReadBytes(folder.File("edit.ini")),
              "; my programs\r\n[PROG_1]\r\nName=new\r\nOwn=key\r\nSteps=3\r\n\r\n[X]\n");
}

TEST_F(IniFileTest, AFailedWriteLeavesEverythingAsItWas) {
    std::filesystem::create_directory(folder.File("dir.ini"));
    EXPECT_FALSE(ini.WriteIniString("dir.ini", "A", "k", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("dir.ini")));
    EXPECT_FALSE(ini.WriteIniString("no/such/folder.ini", "A", "k", "1"));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(IniFileTest, AReadScopeParsesOnceAndSeesItsOwnWrites) {
    WriteBytes(folder.File("s.ini"), "[A]\nk=1\n");
    {
        const CIniProfile::CReadScope scope(ini);
        EXPECT_EQ(ini.GetIniString("s.ini", "A", "k", ""), "1");
        WriteBytes(folder.File("s.ini"), "[A]\nk=2\n");  // behind the layer's back
        EXPECT_EQ(ini.GetIniString("s.ini", "A", "k", ""), "1");
        ASSERT_TRUE(ini.WriteIniString("s.ini", "A", "j", "3"));
        EXPECT_EQ(ini.GetIniString("s.ini", "A", "k", ""), "2");
        EXPECT_EQ(ini.GetIniString("s.ini", "A", "j", ""), "3");
    }
    // Outside a scope every read sees the file as it is now, even within one clock tick.
    WriteBytes(folder.File("s.ini"), "[A]\nk=4\n");
    EXPECT_EQ(ini.GetIniString("s.ini", "A", "k", ""), "4");
    WriteBytes(folder.File("s.ini"), "[A]\nk=5\n");
    EXPECT_EQ(ini.GetIniString("s.ini", "A", "k", ""), "5");
}

// Symbolic links need a privilege on Windows.
#ifndef _WIN32
TEST_F(IniFileTest, ReplacingThroughALinkKeepsTheLink) {
    WriteBytes(folder.File("real.ini"), "old");
    std::filesystem::create_symlink(folder.File("real.ini"), folder.File("link.ini"));
    ASSERT_TRUE(ReplaceFileContents(folder.File("link.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(ReadBytes(folder.File("real.ini")), "new");
}
#endif

}  // namespace
