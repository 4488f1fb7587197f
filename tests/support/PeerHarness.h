// A started dialog whose serial line ends in a ScriptedPeer (COM3 present), with
// helpers to connect and to step timer 2 by hand.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "tests/support/DialogHarness.h"
#include "tests/support/ScriptedPeer.h"

struct PeerHarness {
    // configure may change the peer (ports present, failures) before the start-up
    // enumerates the ports.
    explicit PeerHarness(const std::string& strArgs = "-p 1",
                         const std::function<void(ScriptedPeer&)>& configure = nullptr)
        : h(&peer) {
        if (configure)
            configure(peer);
        h.Start(strArgs);
    }

    // Connects and answers the version request (and, in programming mode, the jump to
    // configuration mode) so that the dialog is idle and connected.
    void ConnectIdle() {
        peer.responder = [](const std::string& strFrame) -> std::string {
            if (strFrame == ">1V\n")
                return ">8vHH 1.01\n";
            if (strFrame == ">2JC\n")
                return ">3j:0\n";
            return {};
        };
        h.dlg.OnConnect();
        RunUntilIdle();
        peer.responder = nullptr;
        peer.aWritten.clear();
    }

    // From now on the peer answers as an emulated Handheld in configuration mode,
    // unless fnOverride gives an answer of its own for a frame ("" for none).
    using Override = std::function<std::optional<std::string>(const std::string& strFrame)>;
    void AnswerLikeTheHandheld(Override fnOverride = nullptr) {
        peerEmu.ResetEmulator();
        HandheldAnswer(">2JC\n");
        peer.responder = [this, fnOverride](const std::string& strFrame) -> std::string {
            if (fnOverride) {
                if (std::optional<std::string> strAnswer = fnOverride(strFrame))
                    return *strAnswer;
            }
            return HandheldAnswer(strFrame);
        };
    }
    std::string HandheldAnswer(const std::string& strFrame) {
        peerEmu.HandleFrame(reinterpret_cast<const uint8_t*>(strFrame.data()),
                            static_cast<int>(strFrame.size()));
        std::string strAnswer(static_cast<size_t>(peerEmu.AnswerBytesWaiting()), '\0');
        peerEmu.ReadAnswer(reinterpret_cast<uint8_t*>(strAnswer.data()),
                           static_cast<int>(strAnswer.size()));
        return strAnswer;
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            h.dlg.OnTimer(kTimerCom);
    }

    // Ticks until no operation runs and nothing is left to read; returns the ticks,
    // or -1 when the bound was hit.
    int RunUntilIdle(int nBound = 100000) {
        for (int n = 1; n <= nBound; ++n) {
            Tick();
            if (!h.session.IsBusy() && peer.strRx.empty())
                return n;
        }
        return -1;
    }

    std::string Trace() const { return h.session.GetTrace(); }
    std::string Button(int nId) { return h.view.GetText(nId); }

    ScriptedPeer peer;
    DialogHarness h;
    RecordingWaiter peerWaiter;
    NullDebugSink peerDebug;
    CComEmulator peerEmu{peerWaiter, peerDebug};
};
