#include "serial/ComPortTable.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {
struct TableRow {
    unsigned nFirst;
    unsigned nLast;
    const char* pszBase;
};

constexpr TableRow kTable[] = {
    {1, 4, "/dev/ttyS"},
    {5, 20, "/dev/ttyUSB"},
    {21, 36, "/dev/ttyACM"},
    {37, 40, "/dev/ttyAMA"},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
}  // namespace

std::string ComPortTable::DefaultPath(unsigned nPort) {
    for (const TableRow& row : kTable) {
        if (nPort >= row.nFirst && nPort <= row.nLast) {
            return row.pszBase + std::to_string(nPort - row.nFirst);
        }
    }
    return {};
}

std::string ComPortTable::OverridePath(unsigned nPort) {
    if (nPort < 1 || nPort > kMaxComNumber)
        return {};
    char szVar[32];
    std::snprintf(szVar, sizeof szVar, "GLOWDESK_COM%u", nPort);
    const char* pszValue = std::getenv(szVar);
    return pszValue ? std::string(pszValue) : std::string();
}

std::string ComPortTable::Path(unsigned nPort) const {
    std::string strPath = OverridePath(nPort);
    if (strPath.empty() && bUseDefaults)
        strPath = DefaultPath(nPort);
    return strPath;
}

unsigned ComNumberFromName(const std::string& strName) {
    std::string_view sv(strName);
    if (sv.substr(0, 4) == "\\\\.\\")
        sv.remove_prefix(4);
    if (sv.size() < 4 || !EqualNoCase(sv.substr(0, 3), "COM"))
        return 0;
    sv.remove_prefix(3);
    if (sv.size() > 3)
        return 0;
    unsigned nPort = 0;
    for (char ch : sv) {
        if (ch < '0' || ch > '9')
            return 0;
        nPort = nPort * 10 + static_cast<unsigned>(ch - '0');
    }
    return nPort <= kMaxComNumber ? nPort : 0;
}
