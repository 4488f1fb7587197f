// INI files with arbitrary contents: the reader, a program load, a store and a load
// back (which must give the same store), and key-by-key edits that must read back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "app/Session.h"
#include "base/DebugSink.h"
#include "base/Waiter.h"
#include "programs/IniDocument.h"
#include "programs/ProgFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/NullComApi.h"
#include "tests/support/TestDoubles.h"

namespace {

// A value as the reader gives it back: no line breaks or NUL, no blanks around it, no
// pair of surrounding quotes.
std::string PlainValue(const std::string& str) {
    std::string strOut;
    for (char ch : str)
        if (ch != '\r' && ch != '\n' && ch != '\0')
            strOut += ch;
    constexpr std::string_view kBlanks = " \t\v\f\x1A";
    const auto nFirst = strOut.find_first_not_of(kBlanks);
    if (nFirst == std::string::npos)
        return {};
    strOut = strOut.substr(nFirst, strOut.find_last_not_of(kBlanks) - nFirst + 1);
    if (strOut.size() >= 2 && (strOut.front() == '"' || strOut.front() == '\'') &&
        strOut.back() == strOut.front())
        strOut = "v" + strOut;
    return strOut;
}

// A name as the reader can find it again: no line breaks, NUL, structure characters or
// blanks (a name of blanks only would be the empty section before the first header).
std::string PlainName(const std::string& str) {
    std::string strOut;
    for (char ch : str)
        if (ch != '\r' && ch != '\n' && ch != '\0' && ch != '=' && ch != '[' && ch != ']' &&
            ch != ';' && !IsIniBlank(ch))
            strOut += ch;
    return strOut.empty() ? "k" : strOut;
}

// A session on a machine without ports.
struct Session {
    NullComApi api;
    NoWaiter waiter;
    NullDebugSink sink;
    FixedClock clock;
    CSession session{SessionServices{&api, &waiter, &clock, &sink}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);

    // A program load never leaves a record out of bounds, and a store loads back the same.
    // One session serves every input: a load clears the whole store before it reads, so
    // nothing of an earlier input survives it, and its start-up is not paid per input.
    // The load and the store run on the text in memory through the same code as with
    // files; the files themselves only move the bytes unchanged.
    static Session s;
    CProgFiles& files = s.session.Files();
    CIniDocument doc = CIniDocument::Parse(strText);
    files.LoadProgDocument(doc, "in.ini");
    const ProgramStore loaded = s.session.Store();
    for (const LightProgram& prog : loaded.aProgs) {
        Check(prog.Steps <= kMaxFileSteps);
        Check(std::memchr(prog.Name, 0, kNameSize) != nullptr);
    }
    files.LoadProgDocument(CIniDocument::Parse(files.StoreText()), "out.ini");
    const ProgramStore& again = s.session.Store();
    Check(again.RandomLen == loaded.RandomLen);
    for (int k = 0; k < kProgCount; ++k) {
        const LightProgram& a = loaded.aProgs[k];
        const LightProgram& b = again.aProgs[k];
        Check(a.MixAllowed == b.MixAllowed && a.Steps == b.Steps);
        Check(std::strcmp(a.Name, b.Name) == 0);
        Check(std::memcmp(a.Data, b.Data, a.Steps) == 0);
    }

    // Edits of what the reader found.
    const size_t nHalf = nSize / 2;
    const std::string strSection = PlainName(strText.substr(0, nHalf % 17));
    const std::string strKey = PlainName(strText.substr(nHalf, nHalf % 13));
    const std::string strValue = PlainValue(strText.substr(nHalf / 2, 40));
    doc.Find(strSection, strKey);
    doc.Set(strSection, strKey, strValue);
    const std::string strEdited = doc.Serialize();
    const auto found = CIniDocument::Parse(strEdited).Find(strSection, strKey);
    Check(found.has_value() && *found == strValue);
    return 0;
}
