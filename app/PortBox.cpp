// The COM port box: filled at start-up, refreshed while no port is open, so that a
// Handheld plugged in later can be chosen without a restart.
#include "app/GlowdeskDlg.h"

void CGlowdeskDlg::RefreshPortBox() {
    // The selection is read only when the rows changed: a refresh that finds the same
    // ports leaves the window untouched.
    const CPortList before = session.PortList();
    if (!session.RefreshPorts())
        return;
    const unsigned nSelected = before.PortOfRow(view.ComboGetSel(IDC_COMPORT));
    view.ComboReset(IDC_COMPORT);
    ShowPortRows();
    view.ComboSetSel(IDC_COMPORT, session.PortList().RowToSelect(nSelected));
}

void CGlowdeskDlg::ShowPortRows() {
    const std::vector<unsigned>& aRows = session.Ports();
    for (size_t i = 0; i < aRows.size(); ++i) {
        const int nRow = static_cast<int>(i);
        view.ComboInsert(IDC_COMPORT, nRow, "COM" + std::to_string(aRows[i]));
        view.ComboSetRowTip(
            IDC_COMPORT, nRow,
            session.IsEmulatedOnly() ? "emulated Handheld" : session.DevicePath(aRows[i]));
    }
}
