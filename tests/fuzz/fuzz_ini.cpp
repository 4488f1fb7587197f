// INI files with arbitrary contents: the reader, a program load, a store and a load
// back (which must give the same store), and key-by-key edits that must read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/GlowdeskDlg.h"
#include "base/DebugSink.h"
#include "base/Waiter.h"
#include "programs/IniDocument.h"
#include "programs/IniFile.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/FakeView.h"
#include "tests/support/NullComApi.h"
#include "tests/support/TestDoubles.h"

namespace {

std::string TempDir() {
    static std::string strDir = [] {
        // A memory-backed folder where there is one: the store flushes each file to
        // the disk, which on a real disk costs more than everything else together.
        char acShm[] = "/dev/shm/glowdesk-fuzz-ini-XXXXXX";
        char acTmp[] = "/tmp/glowdesk-fuzz-ini-XXXXXX";
        const char* p = mkdtemp(acShm);
        if (p == nullptr)
            p = mkdtemp(acTmp);
        if (p == nullptr)
            return std::string("/tmp");
        static std::string strMade = p;
        std::atexit([] { std::filesystem::remove_all(strMade); });
        return strMade;
    }();
    return strDir;
}

// A value as the reader gives it back: no line breaks or NUL, no blanks around it, no
// pair of surrounding quotes.
std::string PlainValue(const std::string& str) {
    std::string strOut;
    for (char ch : str)
        if (ch != '\r' && ch != '\n' && ch != '\0')
            strOut += ch;
    const auto nFirst = strOut.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return {};
    strOut = strOut.substr(nFirst, strOut.find_last_not_of(" \t") - nFirst + 1);
    if (strOut.size() >= 2 && (strOut.front() == '"' || strOut.front() == '\'') &&
        strOut.back() == strOut.front())
        strOut = "v" + strOut;
    return strOut;
}

std::string PlainName(const std::string& str) {
    std::string strOut;
    for (char ch : str)
        if (ch != '\r' && ch != '\n' && ch != '\0' && ch != '=' && ch != '[' && ch != ']' &&
            ch != ';' && ch != ' ' && ch != '\t')
            strOut += ch;
    return strOut.empty() ? "k" : strOut;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    const std::string strIn = TempDir() + "/in.ini";
    const std::string strOut = TempDir() + "/out.ini";
    std::ofstream(strIn, std::ios::binary | std::ios::trunc) << strText;

    // The reader on the raw text, and edits of what it finds.
    CIniDocument doc = CIniDocument::Parse(strText);
    const size_t nHalf = nSize / 2;
    const std::string strSection = PlainName(strText.substr(0, nHalf % 17));
    const std::string strKey = PlainName(strText.substr(nHalf, nHalf % 13));
    const std::string strValue = PlainValue(strText.substr(nHalf / 2, 40));
    doc.Find(strSection, strKey);
    doc.Set(strSection, strKey, strValue);
    const std::string strEdited = doc.Serialize();
    const auto found = CIniDocument::Parse(strEdited).Find(strSection, strKey);
    Check(found.has_value() && *found == strValue);

    // A program load never leaves a record out of bounds, and a store loads back the same.
    FakeView view;
    NullComApi api;
    NoWaiter waiter;
    NullDebugSink sink;
    FixedClock clock;
    CSession session(SessionServices{&api, &waiter, &clock, &sink});
    CGlowdeskDlg dlg(view, session);
    dlg.OnInitDialog("", TempDir());
    session.LoadProgFile(strIn);
    const ProgramStore loaded = session.Store();
    for (const LightProgram& prog : loaded.aProgs) {
        Check(prog.Steps <= kMaxFileSteps);
        Check(std::memchr(prog.Name, 0, kNameSize) != nullptr);
    }
    std::remove(strOut.c_str());
    session.StoreProgFile(strOut);
    session.LoadProgFile(strOut);
    const ProgramStore& again = session.Store();
    Check(again.RandomLen == loaded.RandomLen);
    for (int k = 0; k < kProgCount; ++k) {
        const LightProgram& a = loaded.aProgs[k];
        const LightProgram& b = again.aProgs[k];
        Check(a.MixAllowed == b.MixAllowed && a.Steps == b.Steps);
        Check(std::strcmp(a.Name, b.Name) == 0 ||
              // A name the reader trims or unquotes differs after a round trip.
              PlainValue(a.Name) != a.Name);
        Check(std::memcmp(a.Data, b.Data, a.Steps) == 0);
    }
    return 0;
}
