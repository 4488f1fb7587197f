// Program files: the nine programs and the MIX length loaded from and stored to INI
// files through the profile layer.
#pragma once

#include <string>

#include "base/TraceLog.h"
#include "programs/IniFile.h"
#include "programs/LightProgram.h"

class CProgramDraft;

// What a load tells the part above it, in the order it happens.
class ProgFileListener {
public:
    virtual ~ProgFileListener() = default;
    // Before the store is cleared and read.
    virtual void OnLoadBegin(const std::string& strPath) = 0;
    // Entry nEntry of the program list (0-8 programs, 9 Random, 10 MIX) changed.
    virtual void OnProgEntryChanged(int nEntry) = 0;
    // After the load's trace line.
    virtual void OnLoadEnd() = 0;
    virtual void OnStoreFailed(const std::string& strMessage) = 0;
};

// How a program file load went, beyond the number of programs it loaded.
enum class LoadResult {
    Loaded,      // the file was read and has program sections
    NoFile,      // no name, or nothing under that name
    Unreadable,  // the file is there but could not be read
    NoPrograms,  // the file was read but has no program section
};

// Whether a document has a section of any of the nine programs.
bool HoldsPrograms(const CIniDocument& doc);

class CProgFiles {
public:
    // The trace line after a load of a file that is there but cannot be read.
    static constexpr const char* kTextUnreadable = " --> the file cannot be read";

    CProgFiles(ProgramStore& store, CIniProfile& ini, CTraceLog& trace)
        : store(store), ini(ini), trace(trace) {}
    void SetListener(ProgFileListener* pListenerArg) { pListener = pListenerArg; }

    // The store is emptied and filled from the file whatever it holds; when the file
    // has no programs to load, a trace line after the load's own says why.
    LoadResult LoadProgFile(const std::string& strPath);
    // LoadProgFile with the file already read into doc; strPath only names it.
    void LoadProgDocument(const CIniDocument& doc, const std::string& strPath);
    // True when the file was written; the trace then says where, and a failure is
    // reported with the file's name and the system's reason.
    bool StoreProgFile(const std::string& strPath);
    // The text StoreProgFile writes.
    std::string StoreText() const;
    int ReadProgFromIni(int nIndex, const std::string& strPath);
    int ReadProgFromIni(int nIndex, const CIniDocument& doc);
    int WriteProgToIni(int nIndex, const std::string& strPath);
    // An edited copy of program nIndex (0..8) replaces it in the store and the entry
    // is reported changed; false, and nothing changes, for another index.
    bool PutDraft(int nIndex, const CProgramDraft& draft);

private:
    ProgramStore& store;
    CIniProfile& ini;
    CTraceLog& trace;
    ProgFileListener* pListener = nullptr;
};
