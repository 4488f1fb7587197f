#include "cli/ProgressBoard.h"

void CProgressBoard::Draw(const std::vector<std::string>& aLines) {
    // Back to the first line drawn, then each line anew with the rest of it cleared.
    if (nDrawn > 1)
        out << "\x1b[" << nDrawn - 1 << 'A';
    out << '\r';
    for (size_t i = 0; i < aLines.size(); ++i) {
        out << aLines[i] << "\x1b[K";
        if (i + 1 < aLines.size())
            out << '\n';
    }
    out.flush();
    nDrawn = aLines.size();
}

void CProgressBoard::Finish() {
    if (nDrawn > 0)
        out << '\n';
    out.flush();
    nDrawn = 0;
}

void CTraceWriter::Write(const std::string& strText, bool bNew) {
    if (bNew && !bLineStart) {
        out << '\n';
        bLineStart = true;
    }
    for (char ch : strText) {
        if (ch == '\r')
            continue;
        if (bLineStart && !strPrefix.empty())
            out << '[' << strPrefix << "] ";
        out << ch;
        bLineStart = ch == '\n';
    }
    out.flush();
}

void CTraceWriter::End() {
    if (!bLineStart)
        out << '\n';
    out.flush();
    bLineStart = true;
}
