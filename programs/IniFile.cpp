#include "programs/IniFile.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <filesystem>
#include <iterator>

#include "programs/FileReplace.h"

namespace {
constexpr size_t kReadBufferSize = 3000;  // the value keeps at most one byte less
}  // namespace

bool IsPathAsGiven(const std::string& strPath) {
#ifdef _WIN32
    // A drive letter with either separator: file dialogs of some toolkits spell "C:/".
    const bool bDriveSlash = strPath.size() >= 3 &&
                             std::isalpha(static_cast<unsigned char>(strPath[0])) &&
                             strPath[1] == ':' && strPath[2] == '/';
    return bDriveSlash || strPath.find(":\\") != std::string::npos;
#else
    return !strPath.empty() && strPath[0] == '/';
#endif
}

std::shared_ptr<const CIniDocument> CIniProfile::LoadResolved(const std::string& strResolved) {
    if (nReadScopes > 0) {
        const auto it = mapDocs.find(strResolved);
        if (it != mapDocs.end())
            return it->second;
    }
    std::string strText;
    ReadWholeFile(strResolved, strText);
    auto pDoc = std::make_shared<const CIniDocument>(CIniDocument::Parse(strText));
    if (nReadScopes > 0)
        mapDocs[strResolved] = pDoc;
    return pDoc;
}

std::string CIniProfile::ResolveIniPath(const std::string& strPath) const {
    return IsPathAsGiven(strPath) ? strPath : strStartDir + strPath;
}

CIniProfile::CReadScope::~CReadScope() {
    if (--profile.nReadScopes == 0)
        profile.mapDocs.clear();
}

std::string CIniProfile::GetIniString(const std::string& strPath, const std::string& strSection,
                                      const std::string& strKey, const std::string& strDefault) {
    return IniDocString(*LoadResolved(ResolveIniPath(strPath)), strSection, strKey, strDefault);
}

int CIniProfile::GetIniInt(const std::string& strPath, const std::string& strSection,
                           const std::string& strKey, int nDefault) {
    return IniDocInt(*LoadResolved(ResolveIniPath(strPath)), strSection, strKey, nDefault);
}

CIniDocument CIniProfile::ReadIniDocument(const std::string& strPath, bool* pbReadable) {
    std::string strText;
    const bool bReadable = ReadWholeFile(ResolveIniPath(strPath), strText);
    if (pbReadable != nullptr)
        *pbReadable = bReadable;
    return CIniDocument::Parse(strText);
}

bool CIniProfile::WriteIniDocument(const std::string& strPath, const CIniDocument& doc) {
    return WriteIniText(strPath, doc.Serialize());
}

bool CIniProfile::WriteIniText(const std::string& strPath, const std::string& strText,
                               std::error_code* pError) {
    const std::string strResolved = ResolveIniPath(strPath);
    mapDocs.erase(strResolved);
    return ReplaceFileContents(strResolved, strText, pError);
}

bool CIniProfile::WriteIniString(const std::string& strPath, const std::string& strSection,
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

bool CIniProfile::WriteIniInt(const std::string& strPath, const std::string& strSection,
                              const std::string& strKey, int nValue) {
    return WriteIniString(strPath, strSection, strKey, IniFormatUnsigned(nValue));
}

std::string IniDocString(const CIniDocument& doc, std::string_view strSection,
                         std::string_view strKey, std::string_view strDefault) {
    bool bQuoted = false;
    std::optional<std::string> value = doc.Find(strSection, strKey, &bQuoted);
    std::string strValue = value ? std::move(*value) : std::string(strDefault);
    const size_t nNul = strValue.find('\0');
    if (nNul != std::string::npos)
        strValue.resize(nNul);
    // The profile functions copy a quoted value with its closing quote into the buffer
    // and then drop the last byte copied: a value that fills the buffer to its end loses
    // its own last byte. A longer one is cut, without its quotes.
    if (bQuoted && nNul == std::string::npos && strValue.size() == kReadBufferSize - 1)
        strValue.resize(kReadBufferSize - 2);
    if (strValue.size() > kReadBufferSize - 1)
        strValue.resize(kReadBufferSize - 1);
    return strValue;
}

int IniDocInt(const CIniDocument& doc, std::string_view strSection, std::string_view strKey,
              int nDefault) {
    return IniAtoi(IniDocString(doc, strSection, strKey, IniFormatUnsigned(nDefault)));
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
    // What "%u" gives, without printf: a load formats the default of every number it reads.
    char acText[16];
    char* pEnd =
        std::to_chars(std::begin(acText), std::end(acText), static_cast<unsigned>(nValue)).ptr;
    return std::string(acText, pEnd);
}
