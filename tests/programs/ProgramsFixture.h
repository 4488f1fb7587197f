// A dialog over an in-memory window and a machine without ports, and a fresh folder
// for the files a test writes.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "app/CommandLine.h"
#include "app/GlowdeskDlg.h"
#include "base/DebugSink.h"
#include "tests/support/DialogHarness.h"

class TempFolder {
public:
    TempFolder() {
        static const unsigned nRun = std::random_device{}();
        static int nCounter = 0;
        path = std::filesystem::temp_directory_path() /
               ("glowdesk-programs-" + std::to_string(nRun) + "-" + std::to_string(++nCounter));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::all, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string Dir() const { return path.string(); }
    std::string File(const std::string& strName) const { return (path / strName).string(); }

    std::filesystem::path path;
};

inline void WriteBytes(const std::string& strPath, const std::string& strData) {
    std::ofstream(strPath, std::ios::binary | std::ios::trunc) << strData;
}

inline std::string ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A failed store said so once, naming the file and a reason after the old message.
inline bool OneStoreMessage(const std::vector<std::string>& aMessages) {
    constexpr std::string_view kStart = "error: can not open the file !!!\r\n";
    return aMessages.size() == 1 && aMessages[0].starts_with(kStart) &&
           aMessages[0].find(".ini: ", kStart.size()) != std::string::npos &&
           !aMessages[0].ends_with(": ");
}

struct DialogRig : DialogHarness {
    DialogRig() { dlg.OnInitDialog(strArgs, folder.Dir()); }
    explicit DialogRig(const std::string& strArguments) : strArgs(strArguments) {
        dlg.OnInitDialog(strArgs, folder.Dir());
    }

    std::string strArgs;
    TempFolder folder;
};
