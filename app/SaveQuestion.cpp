// Unsaved work: the question before it would be lost, storing it, and the mark in the
// title while there is some.
#include <filesystem>

#include "app/GlowdeskDlg.h"

namespace {

constexpr const char* kQuestion =
    "Programs were changed and neither stored to a file nor written to the Handheld.\r\n"
    "Save the changes?";
constexpr char kUnsavedMark = '*';

}  // namespace

bool CGlowdeskDlg::QueryClose() {
    return MayReplace();
}

bool CGlowdeskDlg::MayReplace(int nIndex) {
    if (!session.Unsaved().WouldLose(nIndex))
        return true;
    switch (view.AskToSave(kQuestion)) {
        case SaveAnswer::Save:
            return StoreToFile(GetFileName());
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

bool CGlowdeskDlg::StoreToFile(const std::string& strPath) {
    std::string strTarget = strPath;
    if (strTarget.empty()) {
        const std::optional<std::string> strChosen = view.ChooseSaveFile(kIniFilter);
        if (!strChosen || strChosen->empty())
            return false;
        strTarget = *strChosen;
        // The open dialog shows program files by default: a typed name without an
        // extension would be stored where that dialog does not show it.
        if (!std::filesystem::path(strTarget).has_extension())
            strTarget += ".ini";
    }
    return session.StoreProgFile(strTarget);
}

void CGlowdeskDlg::OnUnsavedWork(bool bAny) {
    const std::string strTitle = view.GetTitle();
    const bool bMarked = !strTitle.empty() && strTitle.front() == kUnsavedMark;
    if (bAny && !bMarked)
        view.SetTitle(kUnsavedMark + strTitle);
    else if (!bAny && bMarked)
        view.SetTitle(strTitle.substr(1));
}
