#include <gtest/gtest.h>

#include "cli/CliOptions.h"

namespace {

CliOptions Parse(const std::vector<std::string>& aArgs, std::string* pError = nullptr) {
    CliOptions opts;
    const std::string strError = ParseCliOptions(aArgs, opts);
    if (pError != nullptr)
        *pError = strError;
    else
        EXPECT_EQ(strError, "");
    return opts;
}

std::string ErrorOf(const std::vector<std::string>& aArgs) {
    std::string strError;
    Parse(aArgs, &strError);
    return strError;
}

TEST(CliOptions, OptionsMayStandAnywhereAndPortsRepeat) {
    const CliOptions opts =
        Parse({"-p", "COM1", "backup", "--port", "/dev/ttyUSB0", "a.ini", "--port=3", "-q", "-t"});
    EXPECT_EQ(opts.strCommand, "backup");
    EXPECT_EQ(opts.strFile, "a.ini");
    EXPECT_EQ(opts.aPorts, (std::vector<std::string>{"COM1", "/dev/ttyUSB0", "3"}));
    EXPECT_TRUE(opts.bQuiet);
    EXPECT_TRUE(opts.bTrace);
    EXPECT_FALSE(opts.bEmulate);
}

TEST(CliOptions, CommandArgumentsAreChecked) {
    const CliOptions read = Parse({"-e", "read", "9", "x.ini"});
    EXPECT_EQ(read.nProg, 9);
    EXPECT_EQ(read.strFile, "x.ini");
    EXPECT_EQ(Parse({"--emulate", "mix", "255"}).nMixValue, 255);
    EXPECT_EQ(Parse({"-e", "mix"}).nMixValue, -1);
    EXPECT_EQ(Parse({"-e", "--stay", "mix", "0"}).nMixValue, 0);

    EXPECT_NE(ErrorOf({"read", "0", "x.ini"}), "");
    EXPECT_NE(ErrorOf({"write", "10", "x.ini"}), "");
    EXPECT_NE(ErrorOf({"write", "+1", "x.ini"}), "");
    EXPECT_NE(ErrorOf({"mix", "256"}), "");
    EXPECT_NE(ErrorOf({"mix", "-1"}), "");
    EXPECT_NE(ErrorOf({"backup"}), "");
    EXPECT_NE(ErrorOf({"list", "a", "b"}), "");
    EXPECT_NE(ErrorOf({"version", "extra"}), "");
}

TEST(CliOptions, LedPatternsAndPlayOptions) {
    // LED 8 first, as in program files; hex; off. -1: refused.
    const std::pair<const char*, int> aPatterns[] = {
        {"10100101", 0xA5}, {"00000001", 0x01}, {"0xA5", 0xA5},    {"0Xff", 0xFF}, {"0x7", 7},
        {"off", 0},         {"1010010", -1},    {"101001012", -1}, {"0x", -1},     {"0x1FF", -1},
        {"A5", -1},         {"on", -1},         {"1010 101", -1},
    };
    for (const auto& [pText, nLeds] : aPatterns) {
        if (nLeds < 0)
            EXPECT_NE(ErrorOf({"leds", pText}), "") << pText;
        else
            EXPECT_EQ(Parse({"leds", pText}).nLeds, nLeds) << pText;
    }

    const CliOptions play =
        Parse({"play", "3", "--file", "f.ini", "--step-ms", "32", "--for", "2"});
    EXPECT_EQ(play.nProg, 3);
    EXPECT_EQ(play.strFile, "f.ini");
    EXPECT_EQ(play.nStepMs, 32);
    EXPECT_EQ(play.nForSeconds, 2);
    EXPECT_EQ(Parse({"play", "1"}).nStepMs, 500);
    EXPECT_EQ(Parse({"play", "1"}).nForSeconds, 0);
    for (const auto& aArgs :
         std::vector<std::vector<std::string>>{{"play", "0"},
                                               {"play", "1", "--step-ms", "31"},
                                               {"play", "1", "--step-ms", "5001"},
                                               {"play", "1", "--for", "0"},
                                               {"play", "1", "--for"},
                                               {"backup", "a.ini", "--for", "1"},
                                               {"play"}})
        EXPECT_NE(ErrorOf(aArgs), "") << aArgs.back();
}

TEST(CliOptions, UsageErrors) {
    EXPECT_NE(ErrorOf({}), "");
    EXPECT_NE(ErrorOf({"frobnicate"}), "");
    EXPECT_NE(ErrorOf({"-x", "version"}), "");
    EXPECT_NE(ErrorOf({"version", "-p"}), "");
    // Several ports only where transfers run side by side.
    EXPECT_NE(ErrorOf({"-p", "1", "-p", "2", "info"}), "");
    EXPECT_EQ(ErrorOf({"-p", "1", "-p", "2", "restore", "a.ini"}), "");
    // JSON only where it is offered; no port for what needs no device.
    EXPECT_NE(ErrorOf({"--json", "backup", "a.ini"}), "");
    EXPECT_EQ(ErrorOf({"--json", "ports"}), "");
    EXPECT_NE(ErrorOf({"-p", "1", "list", "a.ini"}), "");
}

TEST(CliOptions, HelpAndVersionNeedNoCommand) {
    EXPECT_TRUE(Parse({"-h"}).bHelp);
    EXPECT_TRUE(Parse({"--help", "nonsense"}).bHelp);
    EXPECT_TRUE(Parse({"--version"}).bVersion);
}

TEST(CliOptions, DoubleDashEndsOptions) {
    const CliOptions opts = Parse({"list", "--", "-odd.ini"});
    EXPECT_EQ(opts.strFile, "-odd.ini");
}

}  // namespace
