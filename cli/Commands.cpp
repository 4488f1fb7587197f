#include "cli/Commands.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "cli/CliOptions.h"
#include "cli/DeviceJob.h"
#include "cli/DeviceLink.h"
#include "cli/EventLoop.h"
#include "cli/ExitStatus.h"
#include "cli/PortChoice.h"
#include "cli/Progress.h"
#include "cli/ProgressBoard.h"
#include "cli/Report.h"
#include "cli/SafeFile.h"
#include "cli/TransferPlan.h"
#include "programs/FileReplace.h"
#include "programs/ProgFile.h"
#include "programs/StoreCompare.h"
#include "serial/ComApi.h"

#ifndef GLOWDESK_VERSION
#define GLOWDESK_VERSION "1.01"
#endif

namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

int Complain(CliContext& ctx, int nStatus, const std::string& strText) {
    ctx.err << "glowdesk-cli: " << strText << "\n";
    if (nStatus == kExitUsage)
        ctx.err << "Try 'glowdesk-cli --help'.\n";
    return nStatus;
}

bool Exists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(strPath, ec) || ec;
}

// Whole: a file larger than the reader takes would be used, or kept, only in part.
bool CanRead(const std::string& strPath) {
    std::string strText;
    bool bTruncated = false;
    return ReadWholeFile(strPath, strText, &bTruncated) && !bTruncated;
}

// A file without a single program section would send nine empty programs.
bool HoldsPrograms(const std::string& strPath) {
    std::string strText;
    return ReadWholeFile(strPath, strText) && HoldsPrograms(CIniDocument::Parse(strText));
}

// Commands that end in comparing the Handheld with the file.
bool Verifies(const CliOptions& opts) {
    return opts.strCommand == "verify" || opts.bVerify;
}

std::vector<JobStep> StepsOf(const CliOptions& opts) {
    const std::string& c = opts.strCommand;
    if (c == "info") {
        std::vector<JobStep> aSteps{{DeviceOp::StaticInfo, 0}};
        for (int n = 1; n <= kProgCount; ++n)
            aSteps.push_back({DeviceOp::ProgInfo, n});
        return aSteps;
    }
    if (c == "backup")
        return {{DeviceOp::ReadAll, 0}};
    if (c == "restore" && opts.bVerify)
        return {{DeviceOp::WriteAll, 0}, {DeviceOp::ReadAll, 0}};
    if (c == "restore")
        return {{DeviceOp::WriteAll, 0}};
    if (c == "verify")
        return {{DeviceOp::ReadAll, 0}};
    if (c == "read")
        return {{DeviceOp::ReadProg, opts.nProg}};
    if (c == "write")
        return {{DeviceOp::WriteProg, opts.nProg}};
    if (c == "leds")
        return {{DeviceOp::Leds, opts.nLeds}};
    if (c == "play") {
        const JobStep play{DeviceOp::Play, opts.nProg, opts.nStepMs, opts.nForSeconds * 1000};
        if (!opts.strFile.empty())
            return {play};
        return {{DeviceOp::ReadProg, opts.nProg}, play};
    }
    if (c == "mix")
        return {{opts.nMixValue < 0 ? DeviceOp::ReadMix : DeviceOp::WriteMix, 0}};
    return {};  // version: the connect reads it
}

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

// The command reads a program file before it talks to the Handheld.
bool NeedsFile(const CliOptions& opts) {
    const std::string& c = opts.strCommand;
    return c == "restore" || c == "write" || c == "verify" ||
           (c == "play" && !opts.strFile.empty());
}

bool IsTransfer(const std::string& strCommand) {
    return strCommand == "backup" || strCommand == "restore" || strCommand == "verify" ||
           strCommand == "read" || strCommand == "write";
}

// The ports the command runs on, each bound to a COM number.
int ResolvePorts(const CliOptions& opts, CliContext& ctx, std::vector<PortSpec>& aSpecs) {
    if (opts.bEmulate) {
        for (const std::string& strValue : opts.aPorts) {
            PortSpec spec;
            const std::string strError = ParsePortSpec(strValue, spec);
            if (!strError.empty())
                return Complain(ctx, kExitUsage, strError);
            if (spec.nNumber == 0)
                spec.nNumber = 1;  // the emulated Handheld answers on any port
            aSpecs.push_back(spec);
        }
        if (aSpecs.empty())
            aSpecs.push_back(PortSpec{1, "", "COM1"});
    } else {
        std::unique_ptr<ComApi> pApi = ctx.fnMakeApi();
        if (opts.aPorts.empty()) {
            PortSpec spec;
            const std::vector<FoundPort> aFound = FindPorts(*pApi);
            const std::string strError = ChooseOnlyPort(aFound, spec);
            if (!strError.empty())
                return Complain(ctx, aFound.empty() ? kExitPort : kExitUsage, strError);
            aSpecs.push_back(spec);
        }
        for (const std::string& strValue : opts.aPorts) {
            PortSpec spec;
            std::string strError = ParsePortSpec(strValue, spec);
            if (!strError.empty())
                return Complain(ctx, kExitUsage, strError);
            strError = BindPortPath(spec, *pApi);
            if (!strError.empty())
                return Complain(ctx, kExitPort, strError);
            aSpecs.push_back(spec);
        }
    }
    for (size_t i = 0; i < aSpecs.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (aSpecs[i].strName == aSpecs[j].strName)
                return Complain(ctx, kExitUsage, "port given twice: " + aSpecs[i].strName);
        }
    }
    return kExitDone;
}

// What a finished, successful job leaves: output, or the file. Returns the status.
// expected: the file's programs, for a command that verifies.
int Conclude(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
             const ProgramStore& expected) {
    CDeviceLink& link = job.Link();
    const std::string& c = opts.strCommand;
    if (Verifies(opts)) {
        const std::vector<std::string> aLines = StoreDifferences(expected, link.Store());
        for (const std::string& strLine : aLines)
            ctx.out << (bSeveral ? job.PortName() + ": " : std::string()) << strLine << "\n";
        return aLines.empty() ? kExitDone : kExitDiffer;
    }
    if (c == "version") {
        ctx.out << link.Version() << "\n";
    } else if (c == "info") {
        InfoReport report{job.PortName(), link.Version(), link.Facts(), {}};
        for (int n = 1; n <= kProgCount; ++n) {
            const LightProgram& prog = link.Store().aProgs[n - 1];
            report.aPlaces.push_back({n, prog.PosProgLen, prog.PosProgName, prog.PosProgData});
        }
        ctx.out << (opts.bJson ? FormatInfoJson(report) : FormatInfoText(report));
    } else if (c == "mix" && opts.nMixValue < 0) {
        ctx.out << static_cast<int>(link.Store().RandomLen) << "\n";
    } else if (c == "backup" || c == "read") {
        const std::string strFile =
            bSeveral ? FileForPort(opts.strFile, job.PortName()) : opts.strFile;
        const bool bOk = WriteThroughScratch(strFile, c == "read", [&](const std::string& s) {
            if (c == "backup")
                return link.StoreFile(s);
            link.WriteProgToFile(opts.nProg, s);
            return true;
        });
        if (!bOk)
            return Complain(ctx, kExitFile, "cannot write " + strFile);
    }
    return kExitDone;
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

// Files are checked before the Handheld is touched, so that a long transfer does not end
// in a file that could never be read or written. These check the file read; the status.
int CheckInputFile(const CliOptions& opts, CliContext& ctx) {
    if (NeedsFile(opts) && !CanRead(opts.strFile))
        return Complain(ctx, kExitFile, "cannot read " + opts.strFile);
    if (NeedsFile(opts) && !HoldsPrograms(opts.strFile))
        return Complain(ctx, kExitFile, opts.strFile + " holds no programs");
    if (opts.strCommand == "read" && Exists(opts.strFile) && !CanRead(opts.strFile))
        return Complain(ctx, kExitFile, "cannot read " + opts.strFile);
    return kExitDone;
}

// ... and the files written, one per port when there are several.
int CheckOutputFiles(const CliOptions& opts, CliContext& ctx, const std::vector<PortSpec>& aSpecs) {
    if (opts.strCommand != "backup" && opts.strCommand != "read")
        return kExitDone;
    for (const PortSpec& spec : aSpecs) {
        const std::string strFile =
            aSpecs.size() > 1 ? FileForPort(opts.strFile, spec.strName) : opts.strFile;
        if (!CanReplace(strFile))
            return Complain(ctx, kExitFile, "cannot write " + strFile);
    }
    return kExitDone;
}

std::unique_ptr<PortRun> MakePortRun(const CliOptions& opts, CliContext& ctx, const PortSpec& spec,
                                     bool bSeveral) {
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
    if (NeedsFile(opts))
        link.LoadFile(opts.strFile);
    pRun->expected = link.Store();
    if (opts.strCommand == "mix" && opts.nMixValue >= 0)
        link.Store().RandomLen = static_cast<uint8_t>(opts.nMixValue);
    // The Handheld takes LED requests in configuration mode only: after leds and play it
    // stays there, so its LEDs keep what they were given.
    const bool bStay = opts.bStay || opts.strCommand == "leds" || opts.strCommand == "play";
    pRun->pJob = std::make_unique<CDeviceJob>(link, spec.strName, StepsOf(opts), bStay);
    return pRun;
}

// Turns the event loop until every job has finished or the user interrupts, drawing
// the progress of transfers on a terminal.
void RunJobs(const CliOptions& opts, CliContext& ctx,
             const std::vector<std::unique_ptr<PortRun>>& aRuns) {
    const bool bProgress =
        ctx.bErrIsTerminal && !opts.bQuiet && !opts.bTrace && IsTransfer(opts.strCommand);
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
int Report(const CliOptions& opts, CliContext& ctx,
           const std::vector<std::unique_ptr<PortRun>>& aRuns) {
    const bool bSeveral = aRuns.size() > 1;
    int nWorst = kExitDone;
    std::vector<int> aStatus;
    for (const auto& pRun : aRuns) {
        CDeviceJob& job = *pRun->pJob;
        int nStatus = job.Status();
        if (nStatus == kExitDone)
            nStatus = Conclude(opts, ctx, job, bSeveral, pRun->expected);
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

int RunDevices(const CliOptions& opts, CliContext& ctx) {
    if (const int nStatus = CheckInputFile(opts, ctx); nStatus != kExitDone)
        return nStatus;
    std::vector<PortSpec> aSpecs;
    if (const int nStatus = ResolvePorts(opts, ctx, aSpecs); nStatus != kExitDone)
        return nStatus;
    if (const int nStatus = CheckOutputFiles(opts, ctx, aSpecs); nStatus != kExitDone)
        return nStatus;
    std::vector<std::unique_ptr<PortRun>> aRuns;
    for (const PortSpec& spec : aSpecs)
        aRuns.push_back(MakePortRun(opts, ctx, spec, aSpecs.size() > 1));
    RunJobs(opts, ctx, aRuns);
    return Report(opts, ctx, aRuns);
}

}  // namespace

int RunCli(const std::vector<std::string>& aArgs, CliContext& ctx) {
    CliOptions opts;
    const std::string strError = ParseCliOptions(aArgs, opts);
    if (!strError.empty())
        return Complain(ctx, kExitUsage, strError);
    if (opts.bHelp) {
        ctx.out << UsageText();
        return kExitDone;
    }
    if (opts.bVersion) {
        ctx.out << "glowdesk-cli " << GLOWDESK_VERSION << "\n";
        return kExitDone;
    }
    if (opts.strCommand == "list") {
        CDeviceLink link(LinkSetup{1, true, false, false, nullptr, {}});
        if (!link.LoadFile(opts.strFile))
            return Complain(ctx, kExitFile, "cannot read " + opts.strFile);
        for (const std::string& strRow : link.Listing())
            ctx.out << strRow << "\n";
        return kExitDone;
    }
    if (opts.strCommand == "ports") {
        std::unique_ptr<ComApi> pApi = ctx.fnMakeApi();
        const std::vector<FoundPort> aFound = FindPorts(*pApi);
        ctx.out << (opts.bJson ? FormatPortsJson(aFound) : FormatPortsText(aFound));
        return kExitDone;
    }
    return RunDevices(opts, ctx);
}
