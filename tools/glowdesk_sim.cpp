// A Handheld on a pseudo-terminal, for trying the program without a device:
//
//   glowdesk-sim [-l LINK] [-s SCALE] [-b BAUD] [-v] (installed under that name)
//
// prints the device path a program should open (for example through
// GLOWDESK_COM1=<path>) and answers its frames as the Handheld would until it is
// interrupted.
//   -l LINK   also make a symbolic link LINK to that path (removed on exit)
//   -s SCALE  reaction times of the Handheld times SCALE (default 1; 0 answers at once)
//   -b BAUD   send answers at the wire speed of BAUD with 10 bits per byte (57600 for a
//             real link; default 0, as fast as possible)
//   -v        log each frame received and sent, and the LED lines, on stderr
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/DebugSink.h"
#include "base/Waiter.h"
#include "serial/ScaledWaiter.h"
#include "serial/posix/PtyHandheld.h"

namespace {
volatile std::sig_atomic_t g_bStop = 0;

void OnSignal(int) {
    g_bStop = 1;
}

class StderrSink : public DebugSink {
public:
    explicit StderrSink(bool bOn) : bOn(bOn) {}
    void Output(const std::string& strText) override {
        if (bOn)
            std::fputs(strText.c_str(), stderr);
    }

private:
    bool bOn;
};

// The frame with its line feed shown as "\n".
std::string Printable(const std::string& strFrame) {
    std::string str;
    for (char ch : strFrame) {
        if (ch == '\n') {
            str += "\\n";
        } else if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\x%02X", static_cast<unsigned char>(ch));
            str += sz;
        } else {
            str += ch;
        }
    }
    return str;
}

// Asked for with -h or --help: on stdout, success; after a wrong option: on stderr, status 2.
int Usage(bool bAsked = false) {
    std::fputs("usage: glowdesk-sim [-l LINK] [-s SCALE] [-b BAUD] [-v]\n",
               bAsked ? stdout : stderr);
    return bAsked ? 0 : 2;
}
}  // namespace

int main(int argc, char** argv) {
    std::string strLink;
    double dScale = 1.0;
    unsigned nBaud = 0;
    bool bVerbose = false;
    int nOpt;
    static const option kLong[] = {{"help", no_argument, nullptr, 'h'}, {}};
    while ((nOpt = getopt_long(argc, argv, "l:s:b:vh", kLong, nullptr)) != -1) {
        char* pEnd = nullptr;
        switch (nOpt) {
            case 'l':
                strLink = optarg;
                break;
            case 's':
                dScale = std::strtod(optarg, &pEnd);
                if (*pEnd != '\0' || dScale < 0)
                    return Usage();
                break;
            case 'b': {
                const unsigned long n = std::strtoul(optarg, &pEnd, 10);
                if (*pEnd != '\0' || n > 4000000)
                    return Usage();
                nBaud = static_cast<unsigned>(n);
                break;
            }
            case 'v':
                bVerbose = true;
                break;
            case 'h':
                return Usage(true);
            default:
                return Usage();
        }
    }
    if (optind != argc)
        return Usage();

    SleepWaiter sleeper;
    ScaledWaiter waiter(sleeper, dScale);
    StderrSink debug(bVerbose);
    PtyHandheld handheld(waiter, debug);
    if (!handheld.Open()) {
        std::fprintf(stderr, "glowdesk_sim: %s\n", handheld.Error().c_str());
        return 1;
    }
    handheld.SetBaud(nBaud);
    if (bVerbose) {
        handheld.SetFrameLog([](const std::string& strFrame, bool bAnswer) {
            std::fprintf(stderr, "%s %s\n", bAnswer ? "->" : "<-", Printable(strFrame).c_str());
        });
    }
    if (!strLink.empty()) {
        struct stat info {};
        if (lstat(strLink.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            unlink(strLink.c_str());  // a link left by an earlier run
        }
        if (symlink(handheld.DevicePath().c_str(), strLink.c_str()) != 0) {
            std::fprintf(stderr, "glowdesk_sim: cannot link %s: %s\n", strLink.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    std::printf("%s\n", handheld.DevicePath().c_str());
    std::fflush(stdout);
    if (bVerbose) {
        std::fprintf(stderr, "Handheld ready: GLOWDESK_COM1=%s glowdesk\n",
                     handheld.DevicePath().c_str());
    }

    int nResult = 0;
    while (!g_bStop) {
        if (handheld.Step(500) < 0) {
            std::fputs("glowdesk_sim: the pseudo-terminal failed\n", stderr);
            nResult = 1;
            break;
        }
    }
    handheld.Close();
    if (!strLink.empty())
        unlink(strLink.c_str());
    return nResult;
}
