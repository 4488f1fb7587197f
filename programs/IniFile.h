// INI access by file path, as the program files need it: reads as the Windows profile
// functions read, writes by editing the file in place. Every INI access of the program
// goes through here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include "programs/IniDocument.h"

// True when a path is used as given (absolute); otherwise it lives in the start-up
// directory.
bool IsPathAsGiven(const std::string& strPath);

class CIniProfile {
public:
    // strStartDir: the start-up directory with its trailing separator.
    explicit CIniProfile(std::string strStartDir = {}) : strStartDir(std::move(strStartDir)) {}

    void SetStartDir(const std::string& strDir) { strStartDir = strDir; }
    const std::string& StartDir() const { return strStartDir; }

    // A relative path lives in the start-up directory; an absolute one is used as given.
    std::string ResolveIniPath(const std::string& strPath) const;

    // The value, or strDefault when the file, the section or the key is missing. At
    // most 2999 bytes are kept, and a NUL ends the text, as with a fixed C buffer.
    std::string GetIniString(const std::string& strPath, const std::string& strSection,
                             const std::string& strKey, const std::string& strDefault);
    // The value read with the rules of atoi; the default goes through the text as "%u".
    int GetIniInt(const std::string& strPath, const std::string& strSection,
                  const std::string& strKey, int nDefault);
    // Creates the file if needed; false when it cannot be read or replaced.
    bool WriteIniString(const std::string& strPath, const std::string& strSection,
                        const std::string& strKey, const std::string& strValue);
    // Writes the value formatted with "%u".
    bool WriteIniInt(const std::string& strPath, const std::string& strSection,
                     const std::string& strKey, int nValue);

    // The whole file as a document: an empty one when the file is missing or
    // unreadable. bReadable tells the two apart from a file that could be read.
    CIniDocument ReadIniDocument(const std::string& strPath, bool* pbReadable = nullptr);
    // Replaces the file with the document, safely: the old file stays as it was on
    // failure.
    bool WriteIniDocument(const std::string& strPath, const CIniDocument& doc);
    // The same with the file's whole text; *pError says why it failed.
    bool WriteIniText(const std::string& strPath, const std::string& strText,
                      std::error_code* pError = nullptr);

    // While one of these lives, every file read through its profile is parsed once and
    // reused: a caller asking for many keys of one file by path would otherwise read and
    // parse the whole file again for each.
    class CReadScope {
    public:
        explicit CReadScope(CIniProfile& profile) : profile(profile) { ++profile.nReadScopes; }
        ~CReadScope();
        CReadScope(const CReadScope&) = delete;
        CReadScope& operator=(const CReadScope&) = delete;

    private:
        CIniProfile& profile;
    };

private:
    std::shared_ptr<const CIniDocument> LoadResolved(const std::string& strResolved);

    std::string strStartDir;
    int nReadScopes = 0;
    // Parsed files by resolved path, only while a read scope lives.
    std::unordered_map<std::string, std::shared_ptr<const CIniDocument>> mapDocs;
};

// GetIniString and GetIniInt on a document already in memory: a caller that reads many
// keys of one file reads it once and asks here, with the same results.
std::string IniDocString(const CIniDocument& doc, std::string_view strSection,
                         std::string_view strKey, std::string_view strDefault);
int IniDocInt(const CIniDocument& doc, std::string_view strSection, std::string_view strKey,
              int nDefault);

// Conversions with the C runtime's rules, without its undefined overflow.
int IniAtoi(const std::string& str);
std::string IniFormatUnsigned(int nValue);
