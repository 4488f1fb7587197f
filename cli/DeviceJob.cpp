#include "cli/DeviceJob.h"

#include <utility>

#include "cli/ExitStatus.h"

CDeviceJob::CDeviceJob(CDeviceLink& link, std::string strPortName, std::vector<JobStep> aSteps,
                       bool bStay)
    : link(link), strPortName(std::move(strPortName)), aSteps(std::move(aSteps)), bStay(bStay) {}

void CDeviceJob::Begin() {
    stage = Stage::Connecting;
    link.Connect();
    Advance();
}

const JobStep* CDeviceJob::RunningStep() const {
    return stage == Stage::Steps && nStep < aSteps.size() ? &aSteps[nStep] : nullptr;
}

void CDeviceJob::Fail(LinkOutcome outcome) {
    if (nStatus != 0)
        return;  // the first failure is the one to report
    nStatus = WorstExit(nStatus, ExitForOutcome(outcome));
    strError = outcome == LinkOutcome::PortFailed ? "cannot open the port: " + link.PortError()
                                                  : link.Message();
}

void CDeviceJob::Finish() {
    link.Close();
    stage = Stage::Finished;
}

void CDeviceJob::StartStepOrReturn() {
    if (nStep < aSteps.size()) {
        stage = Stage::Steps;
        const JobStep& step = aSteps[nStep];
        link.Start(step.op, step.nProg, step.nStepMs, step.nForMs);
    } else if (bStay) {
        Finish();
    } else {
        stage = Stage::Returning;
        link.Start(DeviceOp::JmpNormal);
    }
}

void CDeviceJob::Advance() {
    // An operation may end at once (nothing sent), so go on until one runs.
    while (stage != Stage::Finished && stage != Stage::Idle && !link.IsBusy()) {
        const LinkOutcome outcome = link.Outcome();
        switch (stage) {
            case Stage::Connecting:
                if (outcome != LinkOutcome::Done) {
                    Fail(outcome);
                    Finish();
                } else {
                    nStep = 0;
                    StartStepOrReturn();
                }
                break;
            case Stage::Steps:
                if (outcome == LinkOutcome::Done) {
                    ++nStep;
                    StartStepOrReturn();
                } else {
                    Fail(outcome);
                    // A Handheld that answered may be asked to go back to normal mode;
                    // a silent one would only add another time-out.
                    nStep = aSteps.size();
                    if (outcome == LinkOutcome::TimedOut || outcome == LinkOutcome::Stopped)
                        Finish();
                    else
                        StartStepOrReturn();
                }
                break;
            case Stage::Returning:
                if (outcome != LinkOutcome::Done)
                    Fail(outcome);
                Finish();
                break;
            default:
                break;
        }
    }
}

void CDeviceJob::Interrupt() {
    if (stage == Stage::Finished)
        return;
    link.Stop();
    link.Close();
    nStatus = kExitInterrupted;
    strError = "interrupted";
    stage = Stage::Finished;
}
