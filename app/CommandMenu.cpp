// The start button: what it does depends on the command box.
#include <optional>
#include <string>

#include "app/GlowdeskDlg.h"

namespace {
// Two filters, Windows style: ini files, and every file.
constexpr const char* kIniFilter = "ini-files |*.ini|All Files (*.*) |*.*|";
}  // namespace

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
        session.Player().StopPlayback();  // the button reads "stop": a program is playing
        return;
    }

    switch (nCode) {
        case RUN_PROGRAM:
            session.Player().StartPlayback(nSliderPos, nProgRow);
            break;
        case LOAD_FILE: {
            const std::optional<std::string> strPath = view.ChooseOpenFile(kIniFilter);
            if (strPath && !strPath->empty())
                session.LoadProgFile(*strPath);
            break;
        }
        case RELOAD_FILE:
            session.LoadProgFile(GetFileName());
            break;
        case STORE_FILE: {
            const std::optional<std::string> strPath = view.ChooseSaveFile(kIniFilter);
            if (strPath && !strPath->empty())
                session.StoreProgFile(*strPath);
            break;
        }
        case READ_VERSION:
        case JMP_CONFIG:
        case JMP_NORMAL:
        case RD_STATIC_INFO:
        case RD_SEL_PROG:
        case WR_SEL_PROG:
        case RD_ALL_PROGS:
        case WR_ALL_PROGS:
        case RD_MIX_LEN:
        case WR_MIX_LEN:
            DeviceCommand(nCode, nProgRow, strLabel);
            break;
        default:
            break;
    }
}
