// A device command's run: the file checks, the ports, one run per port, the loop that
// turns them all, and the report of each.
#include "cli/DeviceRun.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "cli/EventLoop.h"
#include "cli/ExitStatus.h"
#include "cli/FileChecks.h"
#include "cli/PortResolve.h"
#include "cli/Progress.h"
#include "cli/ProgressBoard.h"
#include "cli/Report.h"
#include "cli/TransferPlan.h"
#include "serial/ComApi.h"

namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

// Exchanges the running transfer needs; 0 while the static info is not known.
int PlannedExchanges(CDeviceJob& job) {
    const JobStep* pStep = job.RunningStep();
    CDeviceLink& link = job.Link();
    const StaticInfo& info = link.Info();
    if (pStep == nullptr || info.ProgSize == 0)
        return 0;
    const ProgramStore& store = link.Store();
    const std::vector<int>& aDone = link.ProgramsDone();
    switch (pStep->op) {
        case DeviceOp::ReadAll:
            return ReadAllExchanges(store, aDone, info);
        case DeviceOp::WriteAll:
            return WriteAllExchanges(store, info);
        case DeviceOp::ReadProg: {
            const bool bKnown = std::find(aDone.begin(), aDone.end(), pStep->nProg) != aDone.end();
            return 1 + ReadProgExchanges(store.aProgs[pStep->nProg - 1], bKnown, info);
        }
        case DeviceOp::WriteProg:
            return 1 + WriteProgExchanges(store.aProgs[pStep->nProg - 1], info);
        default:
            return 0;
    }
}

// One port's run: its primitives, its trace writer, its link and its job, and the
// programs the file held for it.
struct PortRun {
    std::unique_ptr<ComApi> pApi;
    std::unique_ptr<CTraceWriter> pWriter;
    std::unique_ptr<CDeviceLink> pLink;
    std::unique_ptr<CDeviceJob> pJob;
    ProgramStore expected;
};

std::unique_ptr<PortRun> MakePortRun(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx,
                                     const PortSpec& spec, bool bSeveral) {
    auto pRun = std::make_unique<PortRun>();
    LinkSetup setup;
    setup.nPort = spec.nNumber;
    setup.bEmulate = opts.bEmulate;
    setup.bTrace = opts.bTrace;
    setup.bPauses = ctx.bPauses;
    if (!opts.bEmulate) {
        pRun->pApi = ctx.fnMakeApi();
        setup.pApi = pRun->pApi.get();
    }
    if (opts.bTrace) {
        pRun->pWriter = std::make_unique<CTraceWriter>(ctx.err, bSeveral ? spec.strName : "");
        CTraceWriter* pWriter = pRun->pWriter.get();
        setup.fnTrace = [pWriter](const std::string& s, bool bNew) { pWriter->Write(s, bNew); };
    }
    pRun->pLink = std::make_unique<CDeviceLink>(setup);
    CDeviceLink& link = *pRun->pLink;
    if (NeedsFile(cmd, opts))
        link.LoadFile(opts.strFile);
    pRun->expected = link.Store();
    if (cmd.fnPrepare != nullptr)
        cmd.fnPrepare(opts, link);
    pRun->pJob = std::make_unique<CDeviceJob>(link, spec.strName, cmd.fnSteps(opts),
                                              opts.bStay || cmd.bStay);
    return pRun;
}

// Turns the event loop until every job has finished or the user interrupts, drawing
// the progress of transfers on a terminal.
void RunJobs(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx,
             const std::vector<std::unique_ptr<PortRun>>& aRuns) {
    const bool bProgress = ctx.bErrIsTerminal && !opts.bQuiet && !opts.bTrace && cmd.bProgress;
    CProgressBoard board(ctx.err);
    CEventLoop loop(opts.bEmulate);
    const auto tStart = loop.Now();
    auto tRedraw = tStart;
    // The figures of each port's transfer, taken after every turn while it runs and kept
    // once it has ended (connect and the return to normal mode are not part of it).
    std::vector<ProgressState> aStates(aRuns.size());
    auto takeStates = [&] {
        const double dElapsed = std::chrono::duration<double>(loop.Now() - tStart).count();
        for (size_t i = 0; i < aRuns.size(); ++i) {
            CDeviceJob& job = *aRuns[i]->pJob;
            ProgressState& state = aStates[i];
            state.strPort = job.PortName();
            if (job.RunningStep() != nullptr) {
                state.nDone = job.Link().Exchanges();
                state.nTotal = PlannedExchanges(job);
                state.dElapsed = dElapsed;
            }
        }
    };
    auto drawProgress = [&] {
        std::vector<std::string> aLines;
        for (size_t i = 0; i < aRuns.size(); ++i) {
            ProgressState state = aStates[i];
            const CDeviceJob& job = *aRuns[i]->pJob;
            if (job.Finished() && job.Status() == kExitDone)
                state.nTotal = state.nDone;  // what it really took
            aLines.push_back(FormatProgress(state));
        }
        board.Draw(aLines);
    };

    for (const auto& pRun : aRuns)
        pRun->pJob->Begin();
    for (;;) {
        std::vector<CDeviceLink*> aRunning;
        for (const auto& pRun : aRuns) {
            if (!pRun->pJob->Finished())
                aRunning.push_back(pRun->pLink.get());
        }
        if (aRunning.empty())
            break;
        if (ctx.fnInterrupted()) {
            for (const auto& pRun : aRuns)
                pRun->pJob->Interrupt();
            break;
        }
        loop.Turn(aRunning);
        if (bProgress)
            takeStates();
        for (const auto& pRun : aRuns)
            pRun->pJob->Advance();
        if (bProgress && loop.Now() - tRedraw >= kRedrawPeriod) {
            tRedraw = loop.Now();
            drawProgress();
        }
    }
    if (bProgress) {
        drawProgress();
        board.Finish();
    }
    for (const auto& pRun : aRuns) {
        if (pRun->pWriter)
            pRun->pWriter->End();
    }
}

// What each port came to: output, files, errors, and with several ports one line each.
// Returns the highest status.
int Report(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx,
           const std::vector<std::unique_ptr<PortRun>>& aRuns) {
    const bool bSeveral = aRuns.size() > 1;
    int nWorst = kExitDone;
    std::vector<int> aStatus;
    for (const auto& pRun : aRuns) {
        CDeviceJob& job = *pRun->pJob;
        int nStatus = job.Status();
        if (nStatus == kExitDone && cmd.fnConclude != nullptr)
            nStatus = cmd.fnConclude(opts, ctx, job, bSeveral, pRun->expected);
        else
            ctx.err << "glowdesk-cli: " << job.PortName() << ": " << job.Error() << "\n";
        aStatus.push_back(nStatus);
        nWorst = WorstExit(nWorst, nStatus);
    }
    if (bSeveral) {
        for (size_t i = 0; i < aRuns.size(); ++i) {
            ctx.out << aRuns[i]->pJob->PortName() << "\t"
                    << (aStatus[i] == kExitDone ? std::string("ok")
                                                : "failed (" + std::to_string(aStatus[i]) + ")")
                    << "\n";
        }
    }
    return nWorst;
}

}  // namespace

int RunDevices(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx) {
    if (const int nStatus = CheckInputFile(cmd, opts, ctx); nStatus != kExitDone)
        return nStatus;
    std::vector<PortSpec> aSpecs;
    if (const int nStatus = ResolvePorts(opts, ctx, aSpecs); nStatus != kExitDone)
        return nStatus;
    if (const int nStatus = CheckOutputFiles(cmd, opts, ctx, aSpecs); nStatus != kExitDone)
        return nStatus;
    std::vector<std::unique_ptr<PortRun>> aRuns;
    for (const PortSpec& spec : aSpecs)
        aRuns.push_back(MakePortRun(cmd, opts, ctx, spec, aSpecs.size() > 1));
    RunJobs(cmd, opts, ctx, aRuns);
    return Report(cmd, opts, ctx, aRuns);
}
