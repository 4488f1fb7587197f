// The floor of the paced transfers: the same request frames from a bare client that
// waits for each reply with poll and reads it in bulk, against a fresh simulator on a
// pseudo-terminal. What the simulator and the line allow without the program.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/DebugSink.h"
#include "bench/BenchRig.h"
#include "serial/posix/PtyHandheld.h"

// Seconds for all requests, or a negative value when a reply did not come. pGapsUs:
// the client's time from each answer to its next request, as the simulator saw it.
inline double BareLine(unsigned nBaud, const std::vector<std::string>& aRequests,
                       std::vector<double>* pGapsUs = nullptr) {
    NoWait noWait;
    NullDebugSink debug;
    PtyHandheld sim(noWait, debug);
    if (!sim.Open() || !sim.Start())
        return -1;
    sim.SetBaud(nBaud);
    const int fd = open(sim.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    auto exchange = [fd](const std::string& strRequest) {
        if (write(fd, strRequest.data(), strRequest.size()) !=
            static_cast<ssize_t>(strRequest.size()))
            return false;
        char acBuf[64];
        for (;;) {
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, 2000) <= 0)
                return false;
            const ssize_t n = read(fd, acBuf, sizeof acBuf);
            if (n > 0 && acBuf[n - 1] == '\n')
                return true;
        }
    };
    double dWall = -1;
    if (exchange(">2JC\n")) {
        const Stopwatch sw;
        bool bOk = true;
        for (const std::string& strRequest : aRequests)
            bOk = bOk && exchange(strRequest);
        dWall = bOk ? sw.Wall() : -1;
    }
    close(fd);
    if (pGapsUs != nullptr) {
        *pGapsUs = sim.TakeReplyGaps();
        if (!pGapsUs->empty())  // the gap before the first timed request is not timed
            pGapsUs->erase(pGapsUs->begin());
    }
    return dWall;
}
