#include "base/qt/Cp1252.h"

#include <QList>
#include <array>

namespace {

// 0x80 ... 0x9F; the five unassigned bytes stand for the C1 control with their number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToByte(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<char>(ch);
    for (size_t n = 0; n < kHighControls.size(); ++n) {
        if (kHighControls[n] == ch)
            return static_cast<char>(0x80 + n);
    }
    return '?';
}

}  // namespace

QString FromCp1252(const std::string& strBytes) {
    QString str;
    str.reserve(static_cast<qsizetype>(strBytes.size()));
    for (char c : strBytes) {
        const auto by = static_cast<unsigned char>(c);
        str.append(by >= 0x80 && by <= 0x9F ? QChar(kHighControls[by - 0x80]) : QChar(by));
    }
    return str;
}

std::string ToCp1252(const QString& str) {
    std::string strBytes;
    strBytes.reserve(static_cast<size_t>(str.size()));
    for (char32_t ch : str.toUcs4())
        strBytes.push_back(ToByte(ch));
    return strBytes;
}
