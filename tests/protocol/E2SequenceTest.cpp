// Static info, program reads and writes and the MIX length, through the whole dialog
// against the emulated Handheld ("-e 1"), timer 2 stepped by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tests/support/PeerHarness.h"

namespace {

const std::string kStaticTrace = "E2=8k, InfoLen=2, ProgCount=9, ProgNameLen=12, ProgSize=896";

std::string Banner(int k) {
    return "\r\n*** Program " + std::to_string(k) + " **************************************";
}

struct Emulated : PeerHarness {
    Emulated() : PeerHarness("-p 1 -e 1") { ConnectIdle(); }

    // Runs a menu row to its end; returns the ticks it took.
    int Run(int32_t nCode, int nProgRow, const std::string& strLabel) {
        h.dlg.DeviceCommand(nCode, nProgRow, strLabel + ": ");
        const int nTicks = RunUntilIdle();
        EXPECT_GT(nTicks, 0) << "operation did not end";
        return nTicks;
    }
    LightProgram& Prog(int k) { return h.session.Store().aProgs[k - 1]; }
    uint8_t* Image(unsigned nAddr) { return h.emulator.Image().data() + nAddr; }
};

// Dots the data transfer appended after strHead, one per data reply.
long DotsAfter(const std::string& strTrace, const std::string& strHead) {
    const size_t nStart = strTrace.find(strHead);
    if (nStart == std::string::npos)
        return -1;
    const size_t nFrom = nStart + strHead.size();
    const size_t nEnd = strTrace.find("\r\n", nFrom);
    return std::count(strTrace.begin() + nFrom,
                      nEnd == std::string::npos ? strTrace.end() : strTrace.begin() + nEnd, '.');
}

void SetProgram(LightProgram& p, const char* pName, int nSteps, int bMix, uint8_t bySeed) {
    p = LightProgram{};
    std::snprintf(p.Name, kNameSize, "%s", pName);
    p.Steps = static_cast<uint16_t>(nSteps);
    p.MixAllowed = bMix;
    for (int i = 0; i < nSteps; ++i)
        p.Data[i] = static_cast<uint8_t>(bySeed + 37 * i);
}

TEST(E2Sequence, ReadStaticInfo) {
    Emulated t;
    t.Run(RD_STATIC_INFO, -1, "rd static info");
    EXPECT_EQ(t.Trace(), "rd static info:  --> ok\r\n" + kStaticTrace);
    EXPECT_EQ(t.h.session.Info().InfoLen, 2);
    EXPECT_EQ(t.h.session.Info().ProgNameLen, 12);
    EXPECT_EQ(t.h.session.Info().ProgSize, 896);
}

TEST(E2Sequence, ReadSelectedFactoryPrograms) {
    struct Case {
        int k;
        const char* pPositions;
        const char* pSteps;
        const char* pDots;
        std::vector<uint8_t> aData;
    };
    const Case aCases[] = {
        {1,
         " PosProgLen=0002h, PosProgName=0004h, PosProgData=0080h",
         " --> 8",
         "..",
         {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}},
        {3, " PosProgLen=001Eh, PosProgName=0020h, PosProgData=0780h", " --> 1", ".", {3}},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.k);
        Emulated t;
        t.Run(RD_SEL_PROG, c.k - 1, "rd sel. program");
        EXPECT_EQ(t.Trace(), "rd sel. program: \r\n--> read static E2 info\r\n" + kStaticTrace +
                                 Banner(c.k) + "\r\n --> read E2 program info\r\n Program " +
                                 std::to_string(c.k) + ":" + c.pPositions +
                                 "\r\n --> read program length" + c.pSteps +
                                 "\r\n --> read program name --> (\"\")"
                                 "\r\n --> read program data" +
                                 c.pDots + "\r\n finished");
        const LightProgram& p = t.Prog(c.k);
        EXPECT_EQ(p.Steps, c.aData.size());
        EXPECT_EQ(p.MixAllowed, 0);
        EXPECT_STREQ(p.Name, "");
        EXPECT_TRUE(std::equal(c.aData.begin(), c.aData.end(), p.Data));
        EXPECT_EQ(t.h.view.ComboGetRow(IDC_PROGRAM, c.k - 1),
                  "Prog " + std::to_string(c.k) + ": \"\", " + std::to_string(c.aData.size()) +
                      (c.aData.size() == 1 ? " step" : " steps") + ", MixAllowed=0");
    }
}

TEST(E2Sequence, WriteTheTwoStepChaseAndReadItBack) {
    Emulated t;
    SetProgram(t.Prog(1), "chase", 2, 1, 0x81);
    t.Run(WR_SEL_PROG, 0, "wr sel. program");
    EXPECT_EQ(t.Trace(), "wr sel. program: \r\n--> read static E2 info\r\n" + kStaticTrace +
                             Banner(1) +
                             "\r\n --> read E2 program info\r\n Program 1: PosProgLen=0002h, "
                             "PosProgName=0004h, PosProgData=0080h"
                             "\r\n --> write program data."
                             "\r\n --> write program name"
                             "\r\n --> write program length"
                             "\r\n finished");
    const uint8_t aExpect[] = {0x80, 0x02, 'c', 'h', 'a', 's', 'e', 0};
    EXPECT_EQ(std::memcmp(t.Image(0x0002), aExpect, sizeof aExpect), 0);
    EXPECT_EQ(t.Image(0x0080)[0], 0x81);
    EXPECT_EQ(t.Image(0x0080)[1], static_cast<uint8_t>(0x81 + 37));

    t.Prog(1) = LightProgram{};
    t.Run(RD_SEL_PROG, 0, "rd sel. program");
    EXPECT_NE(t.Trace().find(" --> 2\r\n --> read program name --> (\"chase\")\r\n --> read "
                             "program data.\r\n finished"),
              std::string::npos)
        << t.Trace();
    EXPECT_STREQ(t.Prog(1).Name, "chase");
    EXPECT_EQ(t.Prog(1).MixAllowed, 1);
    EXPECT_EQ(t.Prog(1).Data[1], static_cast<uint8_t>(0x81 + 37));
}

TEST(E2Sequence, MixLengthWriteAndRead) {
    Emulated t;
    t.Run(RD_MIX_LEN, -1, "rd MIX lenght");
    EXPECT_EQ(t.Trace(), "rd MIX lenght: : (random length=32)\r\n ...finished");
    EXPECT_EQ(t.h.session.Store().RandomLen, 32);

    t.h.session.Store().RandomLen = 200;
    t.Run(WR_MIX_LEN, -1, "wr MIX lenght");
    EXPECT_EQ(t.Trace(), "wr MIX lenght: : (random length=200)\r\n ...finished");
    EXPECT_EQ(*t.Image(1), 200);

    t.h.session.Store().RandomLen = 0;
    t.Run(RD_MIX_LEN, -1, "rd MIX lenght");
    EXPECT_EQ(t.Trace(), "rd MIX lenght: : (random length=200)\r\n ...finished");
    EXPECT_EQ(t.h.view.ComboGetRow(IDC_PROGRAM, kEntryMix), "MIX: (RandomLen=200)");
}

TEST(E2Sequence, FullLengthProgramRoundTrip) {
    Emulated t;
    SetProgram(t.Prog(9), "twelve chars", 896, 0, 7);
    const LightProgram written = t.Prog(9);
    const int nTx = t.h.session.TxCount();
    const int nTicks = t.Run(WR_SEL_PROG, 8, "wr sel. program");
    // 2 info, 180 data, 3 name (12 bytes, no terminator), 1 length word
    EXPECT_EQ(t.h.session.TxCount() - nTx, 2 + 180 + 3 + 1);
    // Every reply is read on a tick of its own: the window repaints between requests.
    EXPECT_GE(nTicks, 2 + 180 + 3 + 1);
    EXPECT_EQ(DotsAfter(t.Trace(), "\r\n --> write program data"), 180);
    EXPECT_EQ(std::memcmp(t.Image(0x1C80), written.Data, 896), 0);

    t.Prog(9) = LightProgram{};
    const int nTx2 = t.h.session.TxCount();
    t.Run(RD_SEL_PROG, 8, "rd sel. program");
    // 2 info, 1 length word, 2 name (7 + 5), 128 data
    EXPECT_EQ(t.h.session.TxCount() - nTx2, 2 + 1 + 2 + 128);
    EXPECT_EQ(DotsAfter(t.Trace(), "\r\n --> read program data"), 128);
    // A name that fills its field gets no name line.
    EXPECT_NE(t.Trace().find("\r\n --> read program name\r\n --> read program data"),
              std::string::npos);
    EXPECT_EQ(t.Prog(9).Steps, 896);
    EXPECT_STREQ(t.Prog(9).Name, "twelve chars");
    EXPECT_EQ(std::memcmp(t.Prog(9).Data, written.Data, 896), 0);
}

TEST(E2Sequence, ProgramWithoutStepsWritesItsWholeNameFieldFirst) {
    Emulated t;
    SetProgram(t.Prog(2), "ab", 0, 1, 0);
    t.Run(WR_SEL_PROG, 1, "wr sel. program");
    EXPECT_NE(t.Trace().find("PosProgData=0400h\r\n --> write program data\r\n --> write program "
                             "length\r\n finished"),
              std::string::npos)
        << t.Trace();
    const uint8_t aExpect[] = {0x80, 0x00, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(t.Image(0x0010), aExpect, sizeof aExpect), 0);

    t.Prog(2).Steps = 5;
    t.Run(RD_SEL_PROG, 1, "rd sel. program");
    EXPECT_NE(t.Trace().find(" --> 0\r\n --> read program name --> (\"ab\")\r\n this program has "
                             "no data pattern\r\n finished"),
              std::string::npos)
        << t.Trace();
    EXPECT_EQ(t.Prog(2).Steps, 0);
    EXPECT_EQ(t.Prog(2).MixAllowed, 1);
}

TEST(E2Sequence, ProgramLongerThanTheHandheldTakesIsRefusedBeforeAnyData) {
    Emulated t;
    SetProgram(t.Prog(1), "long", 897, 0, 1);
    const int nTx = t.h.session.TxCount();
    t.Run(WR_SEL_PROG, 0, "wr sel. program");
    EXPECT_TRUE(t.Trace().ends_with(
        "PosProgData=0080h --> program data len > static read length\r\n --> cmd-err"))
        << t.Trace();
    EXPECT_EQ(t.h.session.TxCount() - nTx, 2);
    EXPECT_EQ(*t.Image(0x0080), 0x01);  // factory data untouched
}

TEST(E2Sequence, FullStoreRoundTrip) {
    Emulated t;
    const char* apNames[kProgCount] = {"",       "a",       "abc",         "chase",       "run-7",
                                       "blink!", "~twelve", "eleven char", "twelve chars"};
    const int anSteps[kProgCount] = {8, 896, 1, 2, 0, 100, 7, 35, 896};
    for (int k = 1; k <= kProgCount; ++k)
        SetProgram(t.Prog(k), apNames[k - 1], anSteps[k - 1], k % 2, static_cast<uint8_t>(k * 11));
    t.h.session.Store().RandomLen = 200;
    const ProgramStore written = t.h.session.Store();
    for (int e = 0; e < kEntryCount; ++e)
        t.h.dlg.ListProgEntry(e);
    const std::vector<std::string> aListing = t.h.view.Ctl(IDC_PROGRAM).aRows;
    t.h.view.ComboSetSel(IDC_PROGRAM, 4);

    t.Run(WR_ALL_PROGS, 4, "wr all programs");
    EXPECT_TRUE(t.Trace().ends_with(
        "\r\n*************************************************\r\n--> write random "
        "length: (random length=200)\r\n ...finished"))
        << t.Trace();
    for (int k = 1; k <= kProgCount; ++k)
        EXPECT_NE(t.Trace().find(Banner(k)), std::string::npos) << k;

    t.h.session.Store().ClearPrograms();
    t.h.session.Store().RandomLen = 0;
    t.Run(RD_ALL_PROGS, 4, "rd all programs");
    EXPECT_TRUE(t.Trace().ends_with(
        "\r\n*************************************************\r\n--> read random "
        "length: (random length=200)\r\n ...finished"))
        << t.Trace();

    const ProgramStore& read = t.h.session.Store();
    EXPECT_EQ(read.RandomLen, 200);
    for (int i = 0; i < kProgCount; ++i) {
        SCOPED_TRACE(i + 1);
        const LightProgram& a = written.aProgs[i];
        const LightProgram& b = read.aProgs[i];
        EXPECT_EQ(b.Steps, a.Steps);
        EXPECT_EQ(b.MixAllowed, a.MixAllowed);
        EXPECT_STREQ(b.Name, a.Name);
        EXPECT_EQ(std::memcmp(b.Data, a.Data, a.Steps), 0);
        EXPECT_EQ(b.PosProgData, 0x0080 + 0x0380 * i);
    }
    EXPECT_EQ(t.h.view.Ctl(IDC_PROGRAM).aRows, aListing);
    EXPECT_EQ(t.h.view.ComboGetSel(IDC_PROGRAM), 4);
}

}  // namespace
