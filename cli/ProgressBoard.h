// Progress lines on a terminal, one per port, redrawn in place.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class CProgressBoard {
public:
    explicit CProgressBoard(std::ostream& out) : out(out) {}
    // Replaces the lines drawn last by these.
    void Draw(const std::vector<std::string>& aLines);
    // Leaves the lines drawn last as they are and goes on below them.
    void Finish();

private:
    std::ostream& out;
    size_t nDrawn = 0;
};

// Trace text of one port, for the error output: carriage returns dropped, and with a
// name each line starts with "[name] ".
class CTraceWriter {
public:
    CTraceWriter(std::ostream& out, std::string strPrefix)
        : out(out), strPrefix(std::move(strPrefix)) {}
    void Write(const std::string& strText, bool bNew);
    // Ends a line left open.
    void End();

private:
    std::ostream& out;
    std::string strPrefix;
    bool bLineStart = true;
};
