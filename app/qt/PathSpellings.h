// File paths pass the window as the file system's bytes (UTF-8 on Linux, the ANSI code
// page on Windows), while every other text of the logic is Windows-1252. The window
// sees every path that enters or leaves the logic (the file dialogs, the file-name
// box), so it remembers their spellings and shows them, wherever a text of the logic
// carries one, as the file system spells them.
#pragma once

#include <QString>
#include <deque>
#include <string>

class CPathSpellings {
public:
    // A path as the file system's bytes; ASCII paths read the same either way.
    void Remember(const std::string& strPath);
    // strText (Windows-1252) for display: remembered paths in it decoded as file names,
    // the rest from Windows-1252.
    QString Decode(const std::string& strText) const;

private:
    std::deque<std::string> aPaths;  // most recent first
};
