// A Handheld that answers one request only after its time-out: the late reply must not
// be taken for the reply of the next operation's requests, which starts at once.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/e2e/PtyRig.h"

namespace {

void ExpectSamePrograms(const ProgramStore& got, const ProgramStore& want) {
    for (int i = 0; i < kProgCount; ++i) {
        EXPECT_STREQ(got.aProgs[i].Name, want.aProgs[i].Name) << i;
        EXPECT_EQ(got.aProgs[i].MixAllowed, want.aProgs[i].MixAllowed) << i;
        ASSERT_EQ(got.aProgs[i].Steps, want.aProgs[i].Steps) << i;
        EXPECT_EQ(std::memcmp(got.aProgs[i].Data, want.aProgs[i].Data, got.aProgs[i].Steps), 0)
            << i;
    }
}

TEST(LateReply, ALateReplyNeverAnswersALaterRequest) {
    // The late reply arrives while the next operation waits for its first reply, or
    // before that operation starts, while nothing waits for one.
    for (const bool bWhileIdle : {false, true}) {
        PtyRig r("-p 1 -t 1");
        ASSERT_TRUE(r.bOpen);
        r.Connect();
        ASSERT_GT(r.RunUntilIdle(), 0);

        // The fourth read request goes unanswered (the log is called under the
        // simulator's lock, so silence is switched on between its steps).
        std::string strHeld;
        int nReads = 0;
        r.sim.SetFrameLog([&](const std::string& strFrame, bool bAnswer) {
            if (!bAnswer && strFrame[2] == 'R' && ++nReads == 4)
                strHeld = strFrame;
        });
        r.Dlg().DeviceCommand(RD_ALL_PROGS, -1, "rd all programs: ");
        while (strHeld.empty() && r.Session().IsBusy()) {
            r.ServePending();
            r.sim.SetSilent(nReads == 3);
            if (strHeld.empty())
                r.WaitForInput();
            r.Tick();
        }
        for (int n = 0; n < 100 && r.Session().IsBusy(); ++n)
            r.Tick();
        ASSERT_TRUE(r.Trace().ends_with(" --> timeout")) << r.Trace();

        const std::string strLate = r.sim.WithEmulator([&](CComEmulator& e) {
            e.HandleFrame(reinterpret_cast<const uint8_t*>(strHeld.data()),
                          static_cast<int>(strHeld.size()));
            uint8_t ac[32];
            return std::string(reinterpret_cast<char*>(ac), e.ReadAnswer(ac, sizeof ac));
        });
        r.sim.SetFrameLog(nullptr);
        r.sim.SetSilent(false);
        r.nFramesBase = r.sim.FramesReceived() - r.Session().TxCount();
        if (bWhileIdle) {
            ASSERT_TRUE(r.sim.Send(strLate));
            r.WaitForInput();
            r.Tick();
            EXPECT_TRUE(r.Trace().ends_with(CCommandEngine::kTextReplyDropped)) << r.Trace();
        }
        r.Dlg().DeviceCommand(RD_ALL_PROGS, -1, "rd all programs: ");
        if (!bWhileIdle)
            ASSERT_TRUE(r.sim.Send(strLate));
        ASSERT_GT(r.RunUntilIdle(), 0);
        ASSERT_EQ(r.Session().LastOutcome(), CmdOutcome::Finished) << r.Trace();
        EXPECT_EQ(r.Trace().find(CCommandEngine::kTextReplyDropped) != std::string::npos,
                  !bWhileIdle);
        const ProgramStore late = r.Session().Store();

        ASSERT_GT(r.Run(RD_ALL_PROGS, -1, "rd all programs"), 0);
        ASSERT_EQ(r.Session().LastOutcome(), CmdOutcome::Finished);
        ExpectSamePrograms(late, r.Session().Store());
    }
}

}  // namespace
