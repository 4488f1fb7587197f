// One port's run of a device command: connect (version, configuration mode), the
// command's operations one after another, back to normal mode unless asked to stay,
// close. Several jobs share one event loop; each moves on when its link goes idle.
#pragma once

#include <string>
#include <vector>

#include "cli/DeviceLink.h"

struct JobStep {
    DeviceOp op;
    int nProg = 0;    // the program, or the LED byte of Leds
    int nStepMs = 0;  // Play: the step time
    int nForMs = 0;   // Play: how long (0: until interrupted)
};

class CDeviceJob {
public:
    CDeviceJob(CDeviceLink& link, std::string strPortName, std::vector<JobStep> aSteps, bool bStay);

    void Begin();
    // Moves on as far as the link allows; call after every turn of the loop.
    void Advance();
    // Ctrl-C: the running operation stops as the window's stop, the port closes.
    void Interrupt();

    bool Finished() const { return stage == Stage::Finished; }
    int Status() const { return nStatus; }
    // What went wrong, for the error output; empty when nothing did.
    const std::string& Error() const { return strError; }
    const std::string& PortName() const { return strPortName; }
    CDeviceLink& Link() { return link; }
    // The command's operation that runs now, or nullptr (connecting, returning, done).
    const JobStep* RunningStep() const;

private:
    enum class Stage { Idle, Connecting, Steps, Returning, Finished };

    void Fail(LinkOutcome outcome);
    void StartStepOrReturn();
    void Finish();

    CDeviceLink& link;
    std::string strPortName;
    std::vector<JobStep> aSteps;
    bool bStay;
    Stage stage = Stage::Idle;
    size_t nStep = 0;
    int nStatus = 0;
    std::string strError;
};
