// Exit statuses of glowdesk-cli; with several ports the worst (highest) one wins.
#pragma once

#include <algorithm>

#include "cli/DeviceLink.h"

constexpr int kExitDone = 0;
constexpr int kExitDevice = 1;  // the Handheld failed the operation
constexpr int kExitUsage = 2;
constexpr int kExitPort = 3;    // the port cannot be opened
constexpr int kExitFile = 4;    // a file cannot be read or written
constexpr int kExitDiffer = 5;  // the Handheld holds other programs than the file
constexpr int kExitInterrupted = 130;

inline int WorstExit(int a, int b) {
    return std::max(a, b);
}

inline int ExitForOutcome(LinkOutcome outcome) {
    switch (outcome) {
        case LinkOutcome::Done:
            return kExitDone;
        case LinkOutcome::PortFailed:
            return kExitPort;
        case LinkOutcome::Stopped:
            return kExitInterrupted;
        default:
            return kExitDevice;
    }
}
