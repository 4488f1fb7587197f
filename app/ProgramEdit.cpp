// The main dialog's side of the program editor: when it may open, the write-back of
// an edited program, and the preview, which plays the editor's steps with timer 1
// as "run program" plays a stored program.
#include <algorithm>

#include "app/GlowdeskDlg.h"
#include "programs/ProgramDraft.h"

int CGlowdeskDlg::EditableProgram() const {
    if (bBusy)
        return -1;
    const int nRow = view.ComboGetSel(IDC_PROGRAM);
    return nRow >= 0 && nRow < kProgCount ? nRow : -1;
}

void CGlowdeskDlg::OnEditProgram() {
    const int nIndex = EditableProgram();
    if (nIndex >= 0)
        view.ShowProgramEditor(nIndex, store.aProgs[nIndex]);
}

void CGlowdeskDlg::CommitProgram(int nIndex, const CProgramDraft& draft) {
    if (nIndex < 0 || nIndex >= kProgCount)
        return;
    LightProgram& r = store.aProgs[nIndex];
    draft.WriteBack(r);
    // Timer 1 may be playing this very record: it goes on with the new steps.
    if (playState.CurData == r.Data) {
        playState.CurSteps = r.Steps;
        if (playState.CurPos >= playState.CurSteps)
            playState.CurPos = 0;
    }
    ListProgEntry(nIndex);
}

void CGlowdeskDlg::StartPreview(int nIndex, const std::vector<uint8_t>& aSteps) {
    // L requests between the frames of a device operation would break it.
    if (bBusy || nIndex < 0 || nIndex >= kProgCount)
        return;
    if (view.GetText(IDC_START) != "start")
        StopPlayback();  // a playing program gives way, as its stop button would
    view.KillTimer(kTimerPlay);
    BlinkRunIcon(false, 0);
    bPreview = true;
    playState.CurProg = static_cast<uint8_t>(nIndex);
    UpdatePreview(aSteps);
    playState.CurPos = 0;
    const int nSliderPos = view.SliderGetPos(IDC_SPEED);
    playState.TimerInterval = nSliderPos;
    view.SetTimer(kTimerPlay, nSliderPos);
}

void CGlowdeskDlg::UpdatePreview(const std::vector<uint8_t>& aSteps) {
    if (!bPreview)
        return;
    aPreviewSteps.assign(aSteps.begin(),
                         aSteps.begin() + std::min<size_t>(aSteps.size(), kDataSize));
    playState.CurData = aPreviewSteps.data();
    playState.CurSteps = static_cast<uint16_t>(aPreviewSteps.size());
    if (playState.CurPos >= playState.CurSteps)
        playState.CurPos = 0;
}

void CGlowdeskDlg::StopPreview() {
    if (!bPreview)
        return;
    bPreview = false;
    view.KillTimer(kTimerPlay);
    BlinkRunIcon(false, 0);
    playState.CurData = nullptr;
    playState.CurSteps = 0;
    playState.CurPos = 0;
    aPreviewSteps.clear();
    // The panel keeps the last step shown.
}
