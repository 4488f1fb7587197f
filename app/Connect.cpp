// The connect button and the device-command branch of the start button.
#include <cstdlib>

#include "app/GlowdeskDlg.h"

namespace {

constexpr uint32_t kBaudRate = 57600;
constexpr int kConnectPauseMs = 37;

struct DeviceCommandRow {
    int32_t nCode;
    int nCmd;
};

constexpr DeviceCommandRow kDeviceCommands[] = {
    {READ_VERSION, CmdRdVersion},      {JMP_CONFIG, CmdJmpConfig},    {JMP_NORMAL, CmdJmpNormal},
    {RD_STATIC_INFO, CmdRdStaticInfo}, {RD_SEL_PROG, CmdRdSelProg},   {WR_SEL_PROG, CmdWrSelProg},
    {RD_ALL_PROGS, CmdRdAllProgs},     {WR_ALL_PROGS, CmdWrAllProgs}, {RD_MIX_LEN, CmdRdMixLen},
    {WR_MIX_LEN, CmdWrMixLen},
};

// The number a "COM%d" row shows; 0 when the text carries none.
unsigned PortNumberOfRow(const std::string& strRow) {
    if (strRow.rfind("COM", 0) != 0)
        return 0;
    return static_cast<unsigned>(std::strtoul(strRow.c_str() + 3, nullptr, 10));
}

}  // namespace

void CGlowdeskDlg::OnConnect() {
    if (!view.HasControl(IDC_CONNECT) || bBusy)
        return;

    if (view.GetText(IDC_CONNECT) == "connect") {
        if (hComPort != kNullHandle) {
            WatchComPort(-1);
            serial.Close(hComPort);
            hComPort = kNullHandle;
        }
        const int nRow = view.ComboGetSel(IDC_COMPORT);
        if (nRow < 0)
            return;
        // The enumerated list is the truth; the row text is the fallback for a box
        // filled some other way.
        unsigned nPort = portList.PortOfRow(nRow);
        if (nPort == 0)
            nPort = PortNumberOfRow(view.ComboGetRow(IDC_COMPORT, nRow));
        serial.InitLineSettings(comSettings, nPort, kBaudRate, bComEmu);
        const char* pResult = serial.Open(hComPort, comSettings);
        if (pResult == nullptr) {
            // No text means the number lies outside what a port name can carry: no port
            // was opened, so this is a failure like any other.
            hComPort = kNullHandle;
            SetTrace("Could Not Open Com Port - port number out of range (1-99)");
            return;
        }
        if (*pResult != 0) {
            hComPort = kNullHandle;
            SetTrace(std::string("Could Not Open Com Port - ") + pResult);
            return;
        }
        bPortLost = false;
        ResetRxCount();
        ResetTxCount();
        serial.FlushReceive(hComPort);
        // Replies are read as they arrive, not only on the next tick of timer 2.
        WatchComPort(ComPortDescriptor());
        const std::string strText =
            std::string("Open Com Port:") + serial.DescribeSettings(comSettings);
        view.SetText(IDC_CONNECT, "disconnect");
        bAutoJmpConfig = bProgMode;
        StartCmd(CmdRdVersion, -1, &strText);
        waiter.Wait(kConnectPauseMs);
    } else {
        if (hComPort != kNullHandle) {
            WatchComPort(-1);
            serial.Close(hComPort);
            hComPort = kNullHandle;
        }
        view.SetText(IDC_CONNECT, "connect");
        SetTrace("Com Port closed");
        // Ports that came or went while this one was open show now.
        RefreshPortBox();
    }
}

void CGlowdeskDlg::DeviceCommand(int32_t nCode, int nProgRow, const std::string& strLabel) {
    for (const DeviceCommandRow& row : kDeviceCommands) {
        if (row.nCode != nCode)
            continue;
        int nIndex = -1;
        if (nCode == RD_STATIC_INFO)
            nIndex = 0;
        if (nCode == RD_SEL_PROG || nCode == WR_SEL_PROG)
            nIndex = nProgRow + 1;
        StartCmd(row.nCmd, nIndex, &strLabel);
        return;
    }
}
