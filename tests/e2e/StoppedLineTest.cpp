// A line stopped by flow control: the Handheld (or noise) sends XOFF and nothing else.
// A request the port does not take ends its operation at once with a line saying so,
// LED changes meanwhile are reported once, and after XON the next operation works
// without reconnecting.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/PtyRig.h"

namespace {

const std::string kNotTaken = " --> frame not taken by the port !!!";

int Count(const std::string& strText, const std::string& strPart) {
    int n = 0;
    for (size_t nPos = strText.find(strPart); nPos != std::string::npos;
         nPos = strText.find(strPart, nPos + 1))
        ++n;
    return n;
}

// Sends the flow-control byte and a noise byte behind it: once the noise can be read,
// the terminal has acted on the control byte. The noise is read and dropped.
void SendFlowControl(PtyRig& r, char ch) {
    ASSERT_TRUE(r.sim.Send(std::string(1, ch) + "x"));
    r.WaitForInput();
    r.Tick();
}

TEST(StoppedLine, EachRequestEndsItsOperationAndXonBringsTheLineBack) {
    PtyRig r("-p 1");
    ASSERT_TRUE(r.bOpen);
    r.Connect();
    ASSERT_GT(r.RunUntilIdle(), 0);
    SendFlowControl(r, 0x13);

    for (const char* pLabel : {"read version", "rd all programs", "wr MIX lenght"}) {
        ASSERT_TRUE(r.h->view.SelectCommand(pLabel));
        r.Dlg().OnStart();
        // Ended inside the call: nothing waits for a reply that cannot come.
        EXPECT_FALSE(r.Session().IsBusy()) << pLabel;
        EXPECT_TRUE(r.Trace().ends_with(kNotTaken)) << r.Trace();
        EXPECT_EQ(Count(r.Trace(), kNotTaken), 1) << r.Trace();
        EXPECT_EQ(r.h->view.GetText(IDC_START), "start");
        EXPECT_EQ(r.h->view.TimerPeriod(kTimerCom), 100);
    }

    // LED keys: the panel follows, the stalled line is reported once for the run.
    const std::string strBefore = r.Trace();
    for (char ch : {'1', '2', '3'})
        EXPECT_TRUE(r.Dlg().OnChar(ch));
    EXPECT_EQ(r.Session().Player().Leds(), 0x07);
    EXPECT_TRUE(r.h->view.IsShown(kLedStatics[2].nOn));
    EXPECT_EQ(r.Trace(), strBefore + kNotTaken);
    EXPECT_EQ(r.sim.FramesReceived(), r.nFramesBase + 2);  // the connect's two requests

    SendFlowControl(r, 0x11);
    r.nFramesBase = r.sim.FramesReceived() - r.Session().TxCount();
    EXPECT_GT(r.Run(READ_VERSION, -1, "read version"), 0);
    EXPECT_EQ(r.Trace(), "read version:  --> VHH 1.01");
    // Nothing of the abandoned frames reached the Handheld afterwards.
    EXPECT_EQ(r.sim.FramesReceived(), r.nFramesBase + r.Session().TxCount());

    // An LED change goes out again, without a new report.
    r.Dlg().OnChar('4');
    r.ServePending();
    EXPECT_EQ(r.sim.FramesReceived(), r.nFramesBase + r.Session().TxCount());
    EXPECT_EQ(r.Trace(), "read version:  --> VHH 1.01");
}

}  // namespace
