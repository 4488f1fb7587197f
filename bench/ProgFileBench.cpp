// Times a program load and a store of a large INI file, and a load of a small one.
// Usage: ProgFileBench [folder]   (default: the system's temporary folder)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/CommandLine.h"
#include "app/DebugSink.h"
#include "app/GlowdeskDlg.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/support/NullComApi.h"

namespace {

// A window that shows nothing.
class NullView : public DialogView {
public:
    bool HasControl(int) const override { return true; }
    std::string GetTitle() const override { return {}; }
    void SetTitle(const std::string&) override {}
    void SetWindowIcon(int) override {}
    std::string GetText(int) const override { return {}; }
    void SetText(int, const std::string&) override {}
    void AppendText(int, const std::string&) override {}
    void ScrollToEnd(int) override {}
    void Redraw(int) override {}
    bool GetCheck(int) const override { return false; }
    void SetCheck(int, bool) override {}
    void Show(int, bool) override {}
    bool IsShown(int) const override { return false; }
    void SetIcon(int, int) override {}
    void ComboReset(int) override { nRows = 0; }
    int ComboCount(int) const override { return nRows; }
    int ComboGetSel(int) const override { return -1; }
    void ComboSetSel(int, int) override {}
    std::string ComboGetRow(int, int) const override { return {}; }
    void ComboInsert(int, int, const std::string&) override { ++nRows; }
    void ComboDelete(int, int) override { --nRows; }
    void ComboSetRowTip(int, int, const std::string&) override {}
    void SliderSetRange(int, int, int) override {}
    void SliderSetPos(int, int) override {}
    int SliderGetPos(int) const override { return 500; }
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void WatchPort(int) override {}
    void MessageBox(const std::string& s) override { std::printf("message box: %s\n", s.c_str()); }
    std::optional<std::string> ChooseOpenFile(const std::string&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return {}; }
    void ShowAboutBox() override {}
    void ShowProgramEditor(int, const LightProgram&) override {}

private:
    int nRows = 0;
};

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

// Nine full programs between blocks of comments and unknown sections.
std::string LargeFile(size_t nTargetBytes) {
    std::string str = "; a large program file\r\n[Random]\r\nMIX=80\r\n";
    int nFiller = 0;
    while (str.size() < nTargetBytes) {
        str += "[Notes_" + std::to_string(++nFiller) + "]\r\n";
        for (int k = 0; k < 200; ++k)
            str += "note_" + std::to_string(k) + " = some text that nobody reads\r\n";
    }
    for (int p = 1; p <= 9; ++p) {
        str += "[PROG_" + std::to_string(p) + "]\r\nName=prog\r\nMixAllowed=1\r\nSteps=896\r\n";
        for (int k = 1; k <= 896; ++k)
            str += "Step_" + std::to_string(k) + "=10100101\r\n";
    }
    return str;
}

template <typename F>
double Millis(F f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    NullView view;
    NoWait waiter;
    NullDebugSink sink;
    CComEmulator emulator(waiter, sink);
    NullComApi api;
    CSerialPort serial(api, emulator);
    SystemClock clock;
    CGlowdeskDlg dlg(view, serial, waiter, clock);
    dlg.OnInitDialog("", dir.string());

    const std::string strLarge = (dir / "glowdesk-bench-large.ini").string();
    const std::string strStored = (dir / "glowdesk-bench-stored.ini").string();
    std::ofstream(strLarge, std::ios::binary) << LargeFile(8u * 1024 * 1024);
    const auto nBytes = std::filesystem::file_size(strLarge);

    for (int nRun = 1; nRun <= 3; ++nRun) {
        const double dLoad = Millis([&] { dlg.LoadProgFile(strLarge); });
        std::printf("load of %.1f MB (9 x 896 steps): %.1f ms\n", nBytes / 1048576.0, dLoad);
    }
    const double dStore = Millis([&] { dlg.StoreProgFile(strStored); });
    std::printf("store of 9 x 896 steps (%.1f KB): %.1f ms\n",
                std::filesystem::file_size(strStored) / 1024.0, dStore);
    const double dSmall = Millis([&] { dlg.LoadProgFile(strStored); });
    std::printf("load of the stored file: %.1f ms\n", dSmall);

    std::filesystem::remove(strLarge);
    std::filesystem::remove(strStored);
    return 0;
}
