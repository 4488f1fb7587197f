// The presenter's side of the program editor: when it may open, the write-back of an
// edited program through the program files, and the preview through the player.
#include "app/GlowdeskDlg.h"
#include "programs/ProgramDraft.h"

int CGlowdeskDlg::EditableProgram() const {
    if (session.IsBusy())
        return -1;
    const int nRow = view.ComboGetSel(IDC_PROGRAM);
    return nRow >= 0 && nRow < kProgCount ? nRow : -1;
}

void CGlowdeskDlg::OnEditProgram() {
    const int nIndex = EditableProgram();
    if (nIndex >= 0)
        view.ShowProgramEditor(nIndex, session.Store().aProgs[nIndex]);
}

void CGlowdeskDlg::CommitProgram(int nIndex, const CProgramDraft& draft) {
    // The row of the program box follows through the changed-entry report.
    session.PutDraft(nIndex, draft);
}

void CGlowdeskDlg::StartPreview(int nIndex, const std::vector<uint8_t>& aSteps) {
    // L requests between the frames of a device operation would break it.
    if (session.IsBusy() || nIndex < 0 || nIndex >= kProgCount)
        return;
    CPlayer& player = session.Player();
    if (view.GetText(IDC_START) != "start")
        player.StopPlayback();  // a playing program gives way, as its stop button would
    player.StartPreview(view.SliderGetPos(IDC_SPEED), nIndex, aSteps);
}

void CGlowdeskDlg::UpdatePreview(const std::vector<uint8_t>& aSteps) {
    session.Player().UpdatePreview(aSteps);
}

void CGlowdeskDlg::StopPreview() {
    if (!session.Player().IsPreviewing())
        return;
    session.Player().StopPreview();
    view.ShowPreviewStep(-1, 0);
}
