#include "app/qt/PathSpellings.h"

#include <QFile>
#include <algorithm>

#include "base/qt/Cp1252.h"

namespace {

constexpr size_t kMaxPaths = 16;  // the last few are all a session shows again

bool IsAscii(const std::string& str) {
    return std::all_of(str.begin(), str.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

void CPathSpellings::Remember(const std::string& strPath) {
    if (strPath.empty() || IsAscii(strPath))
        return;
    aPaths.erase(std::remove(aPaths.begin(), aPaths.end(), strPath), aPaths.end());
    aPaths.push_front(strPath);
    if (aPaths.size() > kMaxPaths)
        aPaths.pop_back();
}

QString CPathSpellings::Decode(const std::string& strText) const {
    QString str;
    size_t nPos = 0;
    while (nPos < strText.size()) {
        // The first remembered path from here on; the longest where several start there.
        size_t nFound = std::string::npos;
        const std::string* pPath = nullptr;
        for (const std::string& strPath : aPaths) {
            const size_t n = strText.find(strPath, nPos);
            if (n < nFound ||
                (n == nFound && n != std::string::npos && strPath.size() > pPath->size())) {
                nFound = n;
                pPath = &strPath;
            }
        }
        if (pPath == nullptr) {
            str += FromCp1252(strText.substr(nPos));
            break;
        }
        str += FromCp1252(strText.substr(nPos, nFound - nPos));
        str += QFile::decodeName(QByteArray::fromStdString(*pPath));
        nPos = nFound + pPath->size();
    }
    return str;
}
