// Playback of the program store on the LED panel: a program, Random, or MIX, one step
// per tick of the play timer. The player owns what the LEDs show; the part above it
// shows them (and mirrors them to the device) through PlayerHost.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Clock.h"
#include "base/Rand.h"
#include "base/TraceLog.h"
#include "programs/LightProgram.h"
#include "programs/PlayState.h"

class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    // The LED output: show byValue, and send it to the device when bSend.
    virtual void ShowLeds(uint8_t byValue, bool bSend) = 0;
    // (Re)starts the play timer with a period, or stops it.
    virtual void SetPlayTimer(int nPeriodMs) = 0;
    virtual void KillPlayTimer() = 0;
    // The step time the user chose now; false when there is no such control.
    virtual bool GetSpeed(int& nPos) = 0;
    // The run indicator: whether there is one, and showing it lit or dark.
    virtual bool HasRunIcon() = 0;
    virtual void ShowRunIcon(bool bLit) = 0;
    virtual void OnPlaybackStarted() = 0;
    // After the timer stopped, before the trace line.
    virtual void OnPlaybackStopped() = 0;
};

class CPlayer {
public:
    CPlayer(const ProgramStore& store, CRand& rand, Clock& clock, CTraceLog& trace)
        : store(store), rand(rand), clock(clock), trace(trace) {}
    void SetHost(PlayerHost* pHostArg) { pHost = pHostArg; }

    void StartPlayback(int nSliderPos, int nProgRow);
    void StopPlayback();
    void SelectProg(uint8_t byEntry);
    void MixNextProg(bool bRestart);
    void OnPlayTick();
    void BlinkRunIcon(bool bToggle, int nValue);

    // A preview plays steps that are not in the store (an editor's copy of program
    // nIndex) on the play timer, as a program plays, but does not count as playback:
    // no start report, no trace line. Starting playback ends it.
    void StartPreview(int nSliderPos, int nIndex, const std::vector<uint8_t>& aSteps);
    // New steps for the running preview, played from the next tick.
    void UpdatePreview(const std::vector<uint8_t>& aSteps);
    // Ends the preview; the panel (and the device) show again what they showed before it.
    void StopPreview();
    bool IsPreviewing() const { return bPreview; }
    // The preview's step shown last (0-based), -1 before the first.
    int PreviewStep() const { return nPreviewStep; }
    // Program nIndex of the store changed: when it is being played, go on with its
    // new steps.
    void OnProgramChanged(int nIndex);

    // Forgets what was played (a new file was loaded).
    void Reset() { playState = PlayState{}; }
    const PlayState& State() const { return playState; }

    // The LED byte shown last (bit n-1 for LED n).
    uint8_t Leds() const { return byLeds; }
    void SetLeds(uint8_t by) { byLeds = by; }

private:
    // Forgets the preview's steps, leaving the timer to the caller.
    void EndPreview();

    const ProgramStore& store;
    CRand& rand;
    Clock& clock;
    CTraceLog& trace;
    PlayerHost* pHost = nullptr;
    PlayState playState;
    uint8_t byLeds = 0;
    int nRunIconState = 0;
    // The preview's own copy: CurData points into it while it plays.
    std::vector<uint8_t> aPreviewSteps;
    bool bPreview = false;
    int nPreviewStep = -1;
    uint8_t byLedsBeforePreview = 0;
};
