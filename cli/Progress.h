// The progress line of a transfer, as a pure function of what is known about it.
#pragma once

#include <string>

struct ProgressState {
    std::string strPort;  // name shown in front
    int nDone = 0;        // exchanges done
    int nTotal = 0;       // exchanges the transfer needs; 0 while not yet known
    double dElapsed = 0;  // seconds since the transfer started
};

// Seconds still to go at the pace so far; negative while that cannot be told.
double SecondsLeft(const ProgressState& state);

// "COM1 [###########.............]  45%   540/1204  0:07 left", nBarWidth cells wide.
std::string FormatProgress(const ProgressState& state, int nBarWidth = 30);
