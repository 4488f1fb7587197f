// The start button: what it does depends on the command box.
#include <optional>
#include <string>

#include "app/GlowdeskDlg.h"

void CGlowdeskDlg::OnStart() {
    if (!view.HasControl(IDC_START) || !view.HasControl(IDC_COMMAND))
        return;
    // While a device command runs the button reads "stop", but only its end frees it.
    if (session.IsBusy())
        return;

    const int nSliderPos = view.SliderGetPos(IDC_SPEED);
    const int nProgRow = view.ComboGetSel(IDC_PROGRAM);
    const int nCmdRow = view.ComboGetSel(IDC_COMMAND);
    if (nCmdRow < 0 || nCmdRow >= session.CommandCount())
        return;
    const int32_t nCode = session.Commands()[nCmdRow].code;
    if (nCode == CMD_SEPARATOR)
        return;

    const std::string strButton = view.GetText(IDC_START);
    const std::string strLabel = view.GetText(IDC_COMMAND) + ": ";

    if (strButton != "start") {
        session.StopPlayback();  // the button reads "stop": a program is playing
        return;
    }

    switch (nCode) {
        case RUN_PROGRAM:
            session.StartPlayback(nSliderPos, nProgRow);
            break;
        case LOAD_FILE: {
            if (!MayReplace())
                break;
            const std::optional<std::string> strPath = view.ChooseOpenFile(kIniFilter);
            if (strPath && !strPath->empty())
                session.LoadProgFile(*strPath);
            break;
        }
        case RELOAD_FILE:
            if (MayReplace())
                session.LoadProgFile(GetFileName());
            break;
        case STORE_FILE:
            StoreToFile({});
            break;
        case RD_SEL_PROG:
            // Rows other than programs read nothing into the store.
            if (nProgRow < 0 || nProgRow >= kProgCount || MayReplace(nProgRow))
                DeviceCommand(nCode, nProgRow, strLabel);
            break;
        case RD_ALL_PROGS:
            if (MayReplace())
                DeviceCommand(nCode, nProgRow, strLabel);
            break;
        default:
            // The other device operations start as they are; any other code does nothing.
            DeviceCommand(nCode, nProgRow, strLabel);
            break;
    }
}
