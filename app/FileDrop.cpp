// Files dropped on the window: one program file loads as "load file" would load it.
#include <algorithm>
#include <cctype>

#include "app/GlowdeskDlg.h"

namespace {

bool IsProgFileName(const std::string& strPath) {
    constexpr std::string_view kExt = ".ini";
    return strPath.size() > kExt.size() &&
           std::equal(kExt.begin(), kExt.end(), strPath.end() - kExt.size(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

void CGlowdeskDlg::OnDropFiles(const std::vector<std::string>& aPaths) {
    // A drop must not break into a device operation, which owns the store meanwhile.
    if (session.IsBusy() || aPaths.empty())
        return;
    if (aPaths.size() != 1 || !IsProgFileName(aPaths[0])) {
        // Told as a file that cannot be read is told, and the store stays as it was.
        const std::string strWhat =
            aPaths.size() == 1 ? aPaths[0] : std::to_string(aPaths.size()) + " files";
        session.Trace().SetTrace(" " + strWhat + "\r\n" + CProgFiles::kTextUnreadable);
        return;
    }
    if (MayReplace())
        session.LoadProgFile(aPaths[0]);
}
