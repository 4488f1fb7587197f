#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "programs/IniFile.h"

namespace {

struct ScanCase {
    const char* szArgs;
    bool bProg, bEmu, bTrace, bAlt;
    const char* szFile;
};

class CommandLineScan : public testing::TestWithParam<ScanCase> {};

TEST_P(CommandLineScan, SetsExactlyTheSwitchesItShould) {
    const ScanCase& c = GetParam();
    const CommandLineOptions o = ScanCommandLine(c.szArgs);
    EXPECT_EQ(o.bProgMode, c.bProg) << c.szArgs;
    EXPECT_EQ(o.bComEmu, c.bEmu) << c.szArgs;
    EXPECT_EQ(o.bTrace, c.bTrace) << c.szArgs;
    EXPECT_EQ(o.bAltIcons, c.bAlt) << c.szArgs;
    EXPECT_EQ(o.strStartFile, c.szFile) << c.szArgs;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineScan,
    testing::Values(ScanCase{"", false, false, false, false, ""},
                    ScanCase{"-p 1 -e 1 -t 1", true, true, true, false, ""},
                    ScanCase{"-e 1", false, true, false, false, ""},
                    ScanCase{"-s 1", false, false, false, true, ""},
                    ScanCase{"-p1", false, false, false, false, ""},
                    ScanCase{"-p  1", false, false, false, false, ""},
                    ScanCase{"-p 0 -e 1", false, true, false, false, ""},
                    // The value position of -p is the '-' of -e, which is then stepped over.
                    ScanCase{"-p -e 1", false, false, false, false, ""},
                    ScanCase{"x-t 1", false, false, true, false, ""},
                    ScanCase{"-P 1 -x 1 -E 1", false, false, false, false, ""},
                    ScanCase{"-p", false, false, false, false, ""},
                    ScanCase{"-", false, false, false, false, ""},
                    ScanCase{"-f demo.ini", false, false, false, false, "demo.ini"},
                    ScanCase{"-f my file.ini", false, false, false, false, "my"},
                    ScanCase{"-fname.ini -p 1", true, false, false, false, ""},
                    ScanCase{"-f \"a.ini\"", false, false, false, false, "\"a.ini\""},
                    // A '-' inside the collected name starts no switch.
                    ScanCase{"-f a-t 1", false, false, false, false, "a-t"},
                    ScanCase{"-f a.ini\n-p 1", true, false, false, false, "a.ini"},
                    // A second -f is skipped; its name starts no switch either.
                    ScanCase{"-f a.ini -f b-p 1", false, false, false, false, "a.ini"},
                    ScanCase{"-f", false, false, false, false, ""},
                    ScanCase{"-f ", false, false, false, false, ""}));

TEST(CommandLine, EmbeddedNulEndsTheScan) {
    const std::string strArgs("-e 1\0-p 1", 9);
    const CommandLineOptions o = ScanCommandLine(strArgs);
    EXPECT_TRUE(o.bComEmu);
    EXPECT_FALSE(o.bProgMode);
}

TEST(CommandLine, HostileTextNeverCrashes) {
    std::string strNoise;
    for (int i = 0; i < 5000; ++i)
        strNoise += static_cast<char>((i * 37 + 11) % 256);
    strNoise += "-f";
    ScanCommandLine(strNoise);
    ScanCommandLine(std::string(100000, '-'));
    ScanCommandLine("\"-p 1 -f 'unbalanced");
}

TEST(CommandLine, JoinsArgumentsWithSingleBlanks) {
    const char* argv[] = {"glowdesk", "-p", "1", "-f", "x.ini"};
    EXPECT_EQ(JoinArguments(5, argv), "-p 1 -f x.ini");
    EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(CommandLine, StartupNameResolution) {
    const std::string strDir = "/home/u/work/";
    struct {
        const char* szName;
        const char* szExpected;
    } aCases[] = {
        {"", ""},
        {"demo.ini", "/home/u/work/demo.ini"},
        {"./demo.ini", "./demo.ini"},
        {"../x/demo.ini", "../x/demo.ini"},
        {".hidden.ini", ".hidden.ini"},
#ifdef _WIN32
        {"C:\\abs\\demo.ini", "C:\\abs\\demo.ini"},
#else
        {"/abs/demo.ini", "/abs/demo.ini"},
#endif
        {"sub/demo.ini", "/home/u/work/sub/demo.ini"},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(ResolveStartupName(c.szName, strDir), c.szExpected);
}

TEST(CommandLine, IniPathsAreAbsoluteOrLiveInTheStartDirectory) {
#ifdef _WIN32
    EXPECT_TRUE(IsPathAsGiven("C:\\tmp\\a.ini"));
    // As Qt's file dialogs spell it, either case of drive letter.
    EXPECT_TRUE(IsPathAsGiven("C:/tmp/a.ini"));
    EXPECT_TRUE(IsPathAsGiven("d:/a.ini"));
    EXPECT_TRUE(IsPathAsGiven("\\\\server\\share\\c:\\a.ini"));
    EXPECT_FALSE(IsPathAsGiven("C:a.ini"));   // relative to the drive's directory
    EXPECT_FALSE(IsPathAsGiven("1:/a.ini"));  // no drive letter
    EXPECT_FALSE(IsPathAsGiven("sub/C:/a.ini"));
#else
    EXPECT_TRUE(IsPathAsGiven("/tmp/a.ini"));
#endif
    EXPECT_FALSE(IsPathAsGiven("a.ini"));
    EXPECT_FALSE(IsPathAsGiven("./a.ini"));
    EXPECT_FALSE(IsPathAsGiven(""));
}

}  // namespace
