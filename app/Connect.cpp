// The connect button and the device-command branch of the start button.
#include <cstdlib>

#include "app/GlowdeskDlg.h"

namespace {

// The number a "COM%d" row shows; 0 when the text carries none.
unsigned PortNumberOfRow(const std::string& strRow) {
    if (strRow.rfind("COM", 0) != 0)
        return 0;
    return static_cast<unsigned>(std::strtoul(strRow.c_str() + 3, nullptr, 10));
}

}  // namespace

void CGlowdeskDlg::OnConnect() {
    if (!view.HasControl(IDC_CONNECT) || session.IsBusy())
        return;

    if (view.GetText(IDC_CONNECT) == "connect") {
        session.ClosePort();
        const int nRow = view.ComboGetSel(IDC_COMPORT);
        if (nRow < 0)
            return;
        // The enumerated list is the truth; the row text is the fallback for a box
        // filled some other way.
        unsigned nPort = session.PortList().PortOfRow(nRow);
        if (nPort == 0)
            nPort = PortNumberOfRow(view.ComboGetRow(IDC_COMPORT, nRow));
        session.StartConnect(nPort);
    } else {
        // The button changes before the trace says so, as the user has always seen it.
        session.ClosePort();
        view.SetText(IDC_CONNECT, "connect");
        session.Disconnect();
        // Ports that came or went while this one was open show now.
        RefreshPortBox();
    }
}

void CGlowdeskDlg::DeviceCommand(int32_t nCode, int nProgRow, const std::string& strLabel) {
    session.StartOperation(nCode, nProgRow, strLabel);
}
