// The COM port box: filled at start-up, refreshed while no port is open, so that a
// Handheld plugged in later can be chosen without a restart.
#include "app/GlowdeskDlg.h"

void CGlowdeskDlg::FillPortBox() {
    std::vector<unsigned> aFound;
    serial.EnumeratePorts(aFound);
    portList.Update(aFound, bComEmu);
    ShowPortRows();
    view.ComboSetSel(IDC_COMPORT, 0);
}

void CGlowdeskDlg::RefreshPortBox() {
    // The row of an open port names what is open: it stays until disconnect.
    if (hComPort != kNullHandle)
        return;
    const unsigned nSelected = portList.PortOfRow(view.ComboGetSel(IDC_COMPORT));
    std::vector<unsigned> aFound;
    serial.EnumeratePorts(aFound);
    if (!portList.Update(aFound, bComEmu))
        return;
    view.ComboReset(IDC_COMPORT);
    ShowPortRows();
    view.ComboSetSel(IDC_COMPORT, portList.RowToSelect(nSelected));
}

void CGlowdeskDlg::ShowPortRows() {
    const std::vector<unsigned>& aRows = portList.Rows();
    for (size_t i = 0; i < aRows.size(); ++i) {
        const int nRow = static_cast<int>(i);
        view.ComboInsert(IDC_COMPORT, nRow, "COM" + std::to_string(aRows[i]));
        view.ComboSetRowTip(
            IDC_COMPORT, nRow,
            portList.IsEmulatedOnly() ? "emulated Handheld" : serial.DevicePath(aRows[i]));
    }
}

void CGlowdeskDlg::CheckPortLost() {
    if (bPortLost || !serial.HasGoneAway(hComPort))
        return;
    // The running operation still ends by its time-out; the user learns why here.
    bPortLost = true;
    AppendTrace(" --> COM port lost !!!");
}
