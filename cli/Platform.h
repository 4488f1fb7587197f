// The few things the command line needs from the operating system that differ between
// POSIX and Windows: terminals, Ctrl-C, waiting for input, the environment.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// True when the stream is an interactive terminal.
bool IsTerminal(std::FILE* pStream);

// From now on Ctrl-C (SIGINT) only raises a flag that InterruptRequested() reports.
void InstallInterruptHandler();
bool InterruptRequested();

// Waits up to nTimeoutMs for input on any of the descriptors (none: just waits), or for
// Ctrl-C. Returns, for each descriptor, whether it has input or has hung up. Where
// descriptors cannot be watched, it only waits.
std::vector<bool> WaitForInput(const std::vector<int>& aFds, int nTimeoutMs);

// Sets an environment variable of this process.
bool SetEnvVar(const std::string& strName, const std::string& strValue);
