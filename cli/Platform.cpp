#include "cli/Platform.h"

#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace {
volatile std::sig_atomic_t g_bInterrupted = 0;

void OnInterrupt(int) {
    g_bInterrupted = 1;
}
}  // namespace

bool IsTerminal(std::FILE* pStream) {
#ifdef _WIN32
    return _isatty(_fileno(pStream)) != 0;
#else
    return isatty(fileno(pStream)) != 0;
#endif
}

void InstallInterruptHandler() {
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
#else
    // No SA_RESTART: a wait in poll() ends at once when Ctrl-C comes.
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
#endif
}

bool InterruptRequested() {
    return g_bInterrupted != 0;
}

std::vector<bool> WaitForInput(const std::vector<int>& aFds, int nTimeoutMs) {
    std::vector<bool> aReady(aFds.size(), false);
    if (nTimeoutMs < 0)
        nTimeoutMs = 0;
#ifdef _WIN32
    Sleep(static_cast<DWORD>(nTimeoutMs));
#else
    std::vector<pollfd> aPoll;
    for (int fd : aFds)
        aPoll.push_back(pollfd{fd, POLLIN, 0});
    if (poll(aPoll.data(), aPoll.size(), nTimeoutMs) > 0) {
        for (size_t i = 0; i < aPoll.size(); ++i)
            aReady[i] = aPoll[i].revents != 0;
    }
#endif
    return aReady;
}

bool SetEnvVar(const std::string& strName, const std::string& strValue) {
#ifdef _WIN32
    return _putenv_s(strName.c_str(), strValue.c_str()) == 0;
#else
    return setenv(strName.c_str(), strValue.c_str(), 1) == 0;
#endif
}
