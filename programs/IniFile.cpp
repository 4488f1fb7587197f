#include "programs/IniFile.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "app/CommandLine.h"
#include "programs/FileReplace.h"

namespace {

constexpr size_t kReadBufferSize = 3000;  // the value keeps at most one byte less

int g_nReadScopes = 0;
// Parsed files by resolved path, only while a read scope lives.
std::unordered_map<std::string, std::shared_ptr<const CIniDocument>> g_mapDocs;

std::shared_ptr<const CIniDocument> LoadResolved(const std::string& strResolved, bool* pbReadable) {
    if (g_nReadScopes > 0 && pbReadable == nullptr) {
        const auto it = g_mapDocs.find(strResolved);
        if (it != g_mapDocs.end())
            return it->second;
    }
    std::string strText;
    const bool bReadable = ReadWholeFile(strResolved, strText);
    if (pbReadable != nullptr)
        *pbReadable = bReadable;
    auto pDoc = std::make_shared<const CIniDocument>(CIniDocument::Parse(strText));
    if (g_nReadScopes > 0)
        g_mapDocs[strResolved] = pDoc;
    return pDoc;
}

}  // namespace

std::string ResolveIniPath(const std::string& strPath) {
    return IsPathAsGiven(strPath) ? strPath : g_strStartDir + strPath;
}

CIniReadScope::CIniReadScope() {
    ++g_nReadScopes;
}

CIniReadScope::~CIniReadScope() {
    if (--g_nReadScopes == 0)
        g_mapDocs.clear();
}

std::string GetIniString(const std::string& strPath, const std::string& strSection,
                         const std::string& strKey, const std::string& strDefault) {
    const auto pDoc = LoadResolved(ResolveIniPath(strPath), nullptr);
    std::string strValue = pDoc->Find(strSection, strKey).value_or(strDefault);
    const size_t nNul = strValue.find('\0');
    if (nNul != std::string::npos)
        strValue.resize(nNul);
    if (strValue.size() > kReadBufferSize - 1)
        strValue.resize(kReadBufferSize - 1);
    return strValue;
}

int GetIniInt(const std::string& strPath, const std::string& strSection, const std::string& strKey,
              int nDefault) {
    return IniAtoi(GetIniString(strPath, strSection, strKey, IniFormatUnsigned(nDefault)));
}

CIniDocument ReadIniDocument(const std::string& strPath, bool* pbReadable) {
    bool bReadable = false;
    CIniDocument doc = *LoadResolved(ResolveIniPath(strPath), &bReadable);
    if (pbReadable != nullptr)
        *pbReadable = bReadable;
    return doc;
}

bool WriteIniDocument(const std::string& strPath, const CIniDocument& doc) {
    const std::string strResolved = ResolveIniPath(strPath);
    g_mapDocs.erase(strResolved);
    return ReplaceFileContents(strResolved, doc.Serialize());
}

bool WriteIniString(const std::string& strPath, const std::string& strSection,
                    const std::string& strKey, const std::string& strValue) {
    const std::string strResolved = ResolveIniPath(strPath);
    std::string strText;
    bool bTruncated = false;
    if (!ReadWholeFile(strResolved, strText, &bTruncated)) {
        // Only a file that is not there yet may start empty; anything else would be lost.
        std::error_code ec;
        if (std::filesystem::exists(strResolved, ec) || ec)
            return false;
        strText.clear();
    }
    if (bTruncated)
        return false;
    CIniDocument doc = CIniDocument::Parse(strText);
    doc.Set(strSection, strKey, strValue);
    return WriteIniDocument(strPath, doc);
}

bool WriteIniInt(const std::string& strPath, const std::string& strSection,
                 const std::string& strKey, int nValue) {
    return WriteIniString(strPath, strSection, strKey, IniFormatUnsigned(nValue));
}

int IniAtoi(const std::string& str) {
    const char* p = str.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
        bNegative = *p++ == '-';
    long long nValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1)
            break;  // saturates below
    }
    if (bNegative)
        nValue = -nValue;
    if (nValue > INT_MAX)
        return INT_MAX;
    if (nValue < INT_MIN)
        return INT_MIN;
    return static_cast<int>(nValue);
}

std::string IniFormatUnsigned(int nValue) {
    char acText[16];
    std::snprintf(acText, sizeof acText, "%u", static_cast<unsigned>(nValue));
    return acText;
}
