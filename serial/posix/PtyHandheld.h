// The emulated Handheld on a pseudo-terminal: a program opens the terminal end
// (DevicePath(), for example through GLOWDESK_COM<n>) and talks to it as to a
// Handheld on a serial line. The request frames are assembled from the bytes as they
// come (noise between frames is skipped, a '>' starts a frame anew) and each complete
// frame is handed to a CComEmulator; its answer is written back, optionally paced at
// the wire speed of a real link.
//
// Two ways to run it:
//   - stepped by hand in the caller's thread: Step(nTimeoutMs) serves what arrives
//     within the time-out and returns;
//   - in a thread of its own: Start() ... Stop().
// Close() ends it the way an unplugged device ends: the program's end sees a hang-up.
//
//   PtyHandheld sim(waiter, debug);
//   if (!sim.Open()) fail(sim.Error());
//   setenv("GLOWDESK_COM7", sim.DevicePath().c_str(), 1);
//   ... program writes ">1V\n" ...
//   sim.Step(1000);            // answers ">8vHH 1.01\n"
//   WaitReadable(fdProgram, 1000);
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "serial/ComEmulator.h"

class Waiter;
class DebugSink;

class PtyHandheld {
public:
    // The emulator waits its reaction times through waiter (a ScaledWaiter, or a
    // recording one in tests) and sends its LED lines to debug.
    PtyHandheld(Waiter& waiter, DebugSink& debug);
    ~PtyHandheld();
    PtyHandheld(const PtyHandheld&) = delete;
    PtyHandheld& operator=(const PtyHandheld&) = delete;

    // Creates the pseudo-terminal pair, raw from the start, and loads the factory
    // image into the emulator. False on failure, with Error() saying why.
    bool Open();
    // The path of the end a program should open ("/dev/pts/N"); "" before Open.
    const std::string& DevicePath() const { return strDevicePath; }
    const std::string& Error() const { return strError; }
    bool IsOpen() const { return fdMaster >= 0; }

    // Answers go out at nBaud with 10 bits per byte, and a request counts as complete
    // only after its own wire time; 0 (the default) sends at once.
    void SetBaud(unsigned nBaud);
    // A silent Handheld takes frames in (and logs them) but answers none.
    void SetSilent(bool bSilent);
    // A rough line: every answer goes out in two pieces with a short pause between, and
    // strNoise (bytes that are no part of any frame) follows every answer.
    void SetRoughLine(bool bSplit, const std::string& strNoise);
    // Called with every complete frame received (line feed included) and with every
    // answer sent: bAnswer false for a request, true for an answer.
    void SetFrameLog(std::function<void(const std::string& strFrame, bool bAnswer)> fnLog);

    // Waits up to nTimeoutMs (0: no wait) for bytes, reads all there are and answers
    // each complete frame; while a frame is begun but not complete it waits on for its
    // rest within the same time-out. Returns the number of frames received, or -1 once
    // the pseudo-terminal is closed or has failed.
    int Step(int nTimeoutMs);
    // Raw bytes to the program (unsolicited frames, noise, a reply in pieces), paced
    // like answers. False when they could not all be written.
    bool Send(const std::string& strBytes);

    // Serves in a thread of its own until Stop() (or Close()). Step() must not be called
    // meanwhile; Send(), SetSilent() and WithEmulator() may.
    bool Start();
    void Stop();
    // Stops serving and closes both ends of the pair.
    void Close();

    // Runs fn on the emulator, safely also while the thread serves.
    template <class Fn>
    auto WithEmulator(Fn fn) {
        std::lock_guard<std::mutex> lock(mtx);
        return fn(emulator);
    }
    // Frames received so far.
    int FramesReceived() const { return nFrames; }
    // For each request that followed an answer: microseconds from the answer's last
    // byte written to the request's first byte read (what the program took to answer).
    // Taken, so the next call starts afresh.
    std::vector<double> TakeReplyGaps() {
        std::lock_guard<std::mutex> lock(mtx);
        return std::exchange(adGapsUs, {});
    }

private:
    // One pass: poll (and the stop pipe in thread mode), read, serve.
    int Serve(int nTimeoutMs);
    // Feeds one received byte to the assembler; answers a frame that it completes.
    bool TakeByte(uint8_t by);
    void Answer();
    bool WriteOut(const uint8_t* p, size_t n);

    CComEmulator emulator;
    std::mutex mtx;
    int fdMaster = -1;
    int fdSlave = -1;  // kept open so the pair lives while the program reconnects
    int afdWake[2] = {-1, -1};
    std::string strDevicePath;
    std::string strError;
    unsigned nBaud = 0;
    bool bSilent = false;
    bool bSplitAnswers = false;
    std::string strNoise;
    std::function<void(const std::string&, bool)> fnLog;
    std::thread thread;
    bool bRunning = false;
    std::atomic<bool> bStopAsked{false};
    std::atomic<int> nFrames{0};

    // Frame assembly
    std::string strFrame;
    int nExpected = 0;  // characters after the length digit, line feed included
    std::chrono::steady_clock::time_point tFrameStart;
    std::chrono::steady_clock::time_point tLineFree;  // pacing: when the line is idle
    std::optional<std::chrono::steady_clock::time_point> tAnswered;  // last answer out
    std::vector<double> adGapsUs;
};

// Waits until fd is readable (or hung up) for at most nTimeoutMs; true when it is.
// For the program's side in tests: the pseudo-terminal hands bytes on asynchronously.
bool WaitReadable(int fd, int nTimeoutMs);
