// Program files: the keys of one program, whole files read and written.
#include "programs/ProgFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "programs/ProgramDraft.h"

namespace {

std::string ProgSection(int nIndex) {
    return "PROG_" + std::to_string(nIndex + 1);
}

// Eight characters, LED 8 (bit 7) first: "1" lit, "0" dark.
std::string StepText(uint8_t byStep) {
    std::string str(8, '0');
    for (int nBit = 0; nBit < 8; ++nBit)
        if (byStep & (0x80u >> nBit))
            str[nBit] = '1';
    return str;
}

// Any character but "1" is a dark LED.
uint8_t StepByte(const std::string& str) {
    uint8_t by = 0;
    for (int nBit = 0; nBit < 8; ++nBit)
        if (str[nBit] == '1')
            by |= static_cast<uint8_t>(0x80u >> nBit);
    return by;
}

// A line of its own at the end of the trace.
void AddTraceLine(CTraceLog& trace, const std::string& strLine) {
    trace.AppendTrace(trace.GetTrace().empty() ? strLine : "\r\n" + strLine);
}

bool FileExists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(strPath, ec) || ec;
}

// The name as it is written: in double quotes when the reader would otherwise change it
// (it trims blanks and removes one pair of quotes), so that it reads back as it was. A
// name "-  " read back as "-" would make its program an empty slot.
std::string NameValue(const LightProgram& r) {
    const std::string strName(r.Name, strnlen(r.Name, kNameSize));
    const bool bBlankEnds =
        !strName.empty() && (IsIniBlank(strName.front()) || IsIniBlank(strName.back()));
    const bool bQuoted = strName.size() >= 2 &&
                         (strName.front() == '"' || strName.front() == '\'') &&
                         strName.back() == strName.front();
    return bBlankEnds || bQuoted ? '"' + strName + '"' : strName;
}

// The keys of one program in the order they are written, each handed to put(key,
// value); the same sequence serves a single program written into a file and a whole
// store.
template <class Put>
void ForEachProgKey(const LightProgram& r, Put put) {
    put("MixAllowed", IniFormatUnsigned(r.MixAllowed));
    put("Name", NameValue(r));
    put("Steps", IniFormatUnsigned(r.Steps));
    for (int k = 1; k <= r.Steps && k <= kDataSize; ++k)
        put("Step_" + std::to_string(k), StepText(r.Data[k - 1]));
}

}  // namespace

bool HoldsPrograms(const CIniDocument& doc) {
    for (int nIndex = 0; nIndex < kProgCount; ++nIndex)
        if (doc.HasSection(ProgSection(nIndex)))
            return true;
    return false;
}

LoadResult CProgFiles::LoadProgFile(const std::string& strPath) {
    // Thousands of keys are read from the same file: it is read and parsed once.
    bool bReadable = false;
    const CIniDocument doc = ini.ReadIniDocument(strPath, &bReadable);
    LoadProgDocument(doc, strPath);

    LoadResult result = LoadResult::Loaded;
    if (!bReadable)
        result = strPath.empty() || !FileExists(ini.ResolveIniPath(strPath))
                     ? LoadResult::NoFile
                     : LoadResult::Unreadable;
    else if (!HoldsPrograms(doc))
        result = LoadResult::NoPrograms;
    // Without a name there was nothing to load, and nothing to explain.
    if (strPath.empty())
        return result;
    switch (result) {
        case LoadResult::NoFile:
            AddTraceLine(trace, " --> the file does not exist");
            break;
        case LoadResult::Unreadable:
            AddTraceLine(trace, kTextUnreadable);
            break;
        case LoadResult::NoPrograms:
            AddTraceLine(trace, " --> the file holds no programs");
            break;
        case LoadResult::Loaded:
            break;
    }
    return result;
}

void CProgFiles::LoadProgDocument(const CIniDocument& doc, const std::string& strPath) {
    if (pListener != nullptr)
        pListener->OnLoadBegin(strPath);
    store.RandomLen = 0;
    store.ClearPrograms();

    int nCount = 0;
    for (int nEntry = 0; nEntry < kEntryCount; ++nEntry) {
        if (nEntry < kProgCount)
            nCount += ReadProgFromIni(nEntry, doc);
        if (nEntry == kEntryMix)
            store.RandomLen = static_cast<uint8_t>(IniDocInt(doc, "Random", "MIX", 80));
        if (pListener != nullptr)
            pListener->OnProgEntryChanged(nEntry);
    }

    trace.SetTrace(" " + std::to_string(nCount) + " programs loaded from " + strPath, true);
    if (pListener != nullptr)
        pListener->OnLoadEnd();
}

bool CProgFiles::StoreProgFile(const std::string& strPath) {
    // Built whole in memory and put in place in one step, so that a failure half-way
    // leaves the old file as it was.
    std::error_code ec;
    const std::string strResolved = ini.ResolveIniPath(strPath);
    if (!ini.WriteIniText(strPath, StoreText(), &ec)) {
        if (pListener != nullptr)
            pListener->OnStoreFailed("error: can not open the file !!!\r\n" + strResolved + ": " +
                                     ec.message());
        return false;
    }
    const auto nCount = std::count_if(store.aProgs.begin(), store.aProgs.end(),
                                      [](const LightProgram& r) { return r.Steps != 0; });
    AddTraceLine(trace, " " + std::to_string(nCount) + " programs stored to " + strResolved);
    return true;
}

std::string CProgFiles::StoreText() const {
    // Every section and key is new: the lines are written as a document would add them.
    std::string strText;
    const auto putKey = [&](std::string_view strKey, std::string_view strValue) {
        CIniDocument::AppendKey(strText, strKey, strValue);
    };
    CIniDocument::AppendSection(strText, "Random");
    putKey("MIX", IniFormatUnsigned(store.RandomLen));
    for (int nIndex = 0; nIndex < kProgCount; ++nIndex) {
        CIniDocument::AppendSection(strText, ProgSection(nIndex));
        ForEachProgKey(store.aProgs[nIndex], putKey);
    }
    return strText;
}

int CProgFiles::ReadProgFromIni(int nIndex, const std::string& strPath) {
    return ReadProgFromIni(nIndex, ini.ReadIniDocument(strPath));
}

int CProgFiles::ReadProgFromIni(int nIndex, const CIniDocument& doc) {
    if (nIndex < 0 || nIndex >= kProgCount)
        return 0;
    LightProgram& r = store.aProgs[nIndex];
    const std::string strSection = ProgSection(nIndex);

    int n = IniDocInt(doc, strSection, "Steps", 0);
    if (n > kMaxFileSteps)
        n = kMaxFileSteps;
    const std::string strName = IniDocString(doc, strSection, "Name", "");
    std::memset(r.Name, 0, sizeof r.Name);
    std::memcpy(r.Name, strName.data(), std::min<size_t>(strName.size(), kNameSize - 1));

    if (strName == "-") {
        n = 0;  // an empty slot, whatever the other keys say
    } else {
        if (IniDocInt(doc, strSection, "MixAllowed", 0) != 0)
            r.MixAllowed = 1;
        int k = 1;
        for (; k <= n; ++k) {
            const std::string strStep =
                IniDocString(doc, strSection, "Step_" + std::to_string(k), "");
            if (strStep.size() != 8)
                break;
            r.Data[k - 1] = StepByte(strStep);
        }
        n = k - 1;
    }
    r.Steps = static_cast<uint16_t>(n);
    return n != 0 ? 1 : 0;
}

int CProgFiles::WriteProgToIni(int nIndex, const std::string& strPath) {
    if (nIndex < 0 || nIndex >= kProgCount)
        return 0;
    bool bReadable = false;
    CIniDocument doc = ini.ReadIniDocument(strPath, &bReadable);
    const std::string strSection = ProgSection(nIndex);
    ForEachProgKey(store.aProgs[nIndex], [&](std::string_view strKey, std::string_view strValue) {
        doc.Set(strSection, strKey, strValue);
    });
    // A file that exists but cannot be read is left alone, as each key write would.
    if (bReadable || !FileExists(ini.ResolveIniPath(strPath)))
        ini.WriteIniDocument(strPath, doc);
    return store.aProgs[nIndex].Steps != 0 ? 1 : 0;
}

bool CProgFiles::PutDraft(int nIndex, const CProgramDraft& draft) {
    if (nIndex < 0 || nIndex >= kProgCount)
        return false;
    draft.WriteBack(store.aProgs[nIndex]);
    if (pListener != nullptr)
        pListener->OnProgEntryChanged(nIndex);
    return true;
}
