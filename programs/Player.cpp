#include "programs/Player.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Steps beyond the record's room are never played, whatever a record claims.
uint16_t PlayableSteps(const LightProgram& r) {
    return r.Steps < kDataSize ? r.Steps : static_cast<uint16_t>(kDataSize);
}

std::string SwitchLine(int nProg, const char* pName, size_t nNameSize) {
    return "switch to: Prog" + std::to_string(nProg) + " (" +
           std::string(pName, strnlen(pName, nNameSize)) + ")";
}

}  // namespace

void CPlayer::StartPlayback(int nSliderPos, int nProgRow) {
    EndPreview();
    pHost->KillPlayTimer();
    BlinkRunIcon(false, 0);
    rand.Seed(clock.Seconds());
    SelectProg(static_cast<uint8_t>(nProgRow));  // no selection (-1) becomes 255: MIX
    playState.TimerInterval = nSliderPos;
    pHost->SetPlayTimer(nSliderPos);
    pHost->OnPlaybackStarted();
    trace.SetTrace("start program", true);
    // Nothing is shown yet: the first step comes one period later.
}

void CPlayer::StopPlayback() {
    pHost->KillPlayTimer();
    BlinkRunIcon(false, 0);
    pHost->OnPlaybackStopped();
    trace.AppendTrace("\r\n...stopped by user", true);
    // The panel keeps the last step shown.
}

void CPlayer::SelectProg(uint8_t byEntry) {
    if (byEntry < kProgCount) {
        const LightProgram& r = store.aProgs[byEntry];
        playState.CurProg = byEntry;
        playState.CurSteps = PlayableSteps(r);
        playState.CurPos = 0;
        playState.CurData = r.Data;
    } else if (byEntry == kEntryRandom) {
        playState.CurProg = kEntryRandom;
        playState.CurPos = 0;
    } else {
        playState.CurProg = kEntryMix;
        playState.CurPos = 0;
        MixNextProg(true);
    }
}

void CPlayer::MixNextProg(bool bRestart) {
    if (bRestart)
        playState.MixProg = kEntryRandom;
    playState.MixProg++;
    if (playState.MixProg > kEntryRandom)
        playState.MixProg = 0;

    // Random is among any ten candidates in a row, so the search always ends.
    constexpr int kCandidates = kEntryRandom + 1;  // the programs and Random
    int j = playState.MixProg;
    for (int nTry = 0; nTry < kCandidates; ++nTry, j = (j + 1) % kCandidates) {
        if (j == kEntryRandom) {
            playState.MixCount = 0;
            playState.MixProg = kEntryRandom;
            trace.SetTrace(SwitchLine(10, "Random", 7), true);
            return;
        }
        const LightProgram& r = store.aProgs[j];
        if (r.Steps != 0 && r.MixAllowed != 0) {
            playState.CurSteps = PlayableSteps(r);
            playState.CurPos = 0;
            playState.CurData = r.Data;
            trace.SetTrace(SwitchLine(j + 1, r.Name, kNameSize), true);
            playState.MixProg = static_cast<uint8_t>(j);
            return;
        }
    }
}

void CPlayer::OnPlayTick() {
    // Once the slider has moved, this re-arms on every tick: the recorded interval is
    // the one from the start.
    int nPos = 0;
    if (pHost->GetSpeed(nPos) && nPos != playState.TimerInterval) {
        pHost->KillPlayTimer();
        pHost->SetPlayTimer(nPos);
    }
    BlinkRunIcon(true, 0);

    PlayState& p = playState;
    const auto NextStep = [&p, this]() { byLeds = p.CurData[p.CurPos++]; };
    const auto RandomStep = [this]() { byLeds ^= static_cast<uint8_t>(rand.Next() / 13); };
    if (p.CurProg < kProgCount) {
        if (p.CurSteps != 0 && p.CurData != nullptr) {
            if (bPreview)
                nPreviewStep = p.CurPos;
            NextStep();
            if (p.CurPos >= p.CurSteps)
                p.CurPos = 0;
        }
    } else if (p.CurProg == kEntryRandom) {
        RandomStep();
    } else if (p.MixProg == kEntryRandom) {
        RandomStep();
        p.MixCount++;
        if (p.MixCount > store.RandomLen)
            MixNextProg(false);
    } else if (p.CurSteps != 0 && p.CurData != nullptr) {
        NextStep();
        if (p.CurPos >= p.CurSteps)
            MixNextProg(false);
    } else {
        MixNextProg(false);
    }
    pHost->ShowLeds(byLeds, true);
}

void CPlayer::BlinkRunIcon(bool bToggle, int nValue) {
    if (!pHost->HasRunIcon())
        return;
    nRunIconState = bToggle ? (nRunIconState ^ 1) : nValue;
    pHost->ShowRunIcon(nRunIconState == 1);
}

void CPlayer::StartPreview(int nSliderPos, int nIndex, const std::vector<uint8_t>& aSteps) {
    if (nIndex < 0 || nIndex >= kProgCount)
        return;
    pHost->KillPlayTimer();
    BlinkRunIcon(false, 0);
    if (!bPreview)
        byLedsBeforePreview = byLeds;
    bPreview = true;
    nPreviewStep = -1;
    playState.CurProg = static_cast<uint8_t>(nIndex);
    UpdatePreview(aSteps);
    playState.CurPos = 0;
    playState.TimerInterval = nSliderPos;
    pHost->SetPlayTimer(nSliderPos);
}

void CPlayer::UpdatePreview(const std::vector<uint8_t>& aSteps) {
    if (!bPreview)
        return;
    aPreviewSteps.assign(aSteps.begin(),
                         aSteps.begin() + std::min<size_t>(aSteps.size(), kDataSize));
    playState.CurData = aPreviewSteps.data();
    playState.CurSteps = static_cast<uint16_t>(aPreviewSteps.size());
    if (playState.CurPos >= playState.CurSteps)
        playState.CurPos = 0;
}

void CPlayer::StopPreview() {
    if (!bPreview)
        return;
    EndPreview();
    pHost->KillPlayTimer();
    BlinkRunIcon(false, 0);
    // The preview only showed what the editor holds: the panel goes back to its state.
    byLeds = byLedsBeforePreview;
    pHost->ShowLeds(byLeds, true);
}

void CPlayer::EndPreview() {
    if (!bPreview)
        return;
    bPreview = false;
    nPreviewStep = -1;
    playState.CurData = nullptr;
    playState.CurSteps = 0;
    playState.CurPos = 0;
    aPreviewSteps.clear();
}

void CPlayer::OnProgramChanged(int nIndex) {
    if (nIndex < 0 || nIndex >= kProgCount)
        return;
    const LightProgram& r = store.aProgs[nIndex];
    if (playState.CurData != r.Data)
        return;
    playState.CurSteps = PlayableSteps(r);
    if (playState.CurPos >= playState.CurSteps)
        playState.CurPos = 0;
}
