// A command of glowdesk-cli: its name, its arguments, its help line and how it runs.
// Each command lives in a file of its own (cli/Cmd*.cpp); CommandTable.cpp lists them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/DeviceJob.h"

struct CliContext;
struct ProgramStore;

// How a device command uses the program file it names.
enum class FileUse {
    None,
    Reads,         // read before the Handheld is touched; it must hold programs
    ReadsIfGiven,  // as Reads, when a file was given
    Writes,        // replaced by what the Handheld holds (one file per port with several)
    Updates,       // as Writes, keeping the rest of the file (which must be readable)
};

struct CliCommand {
    const char* pName;
    const char* pArgs;  // as the help shows them, "" for none
    const char* pHelp;  // the help text; '\n' starts a continuation line
    size_t nMinArgs = 0;
    size_t nMaxArgs = 0;
    // Checks the arguments and takes them into opts: "" or what is wrong.
    std::string (*fnTakeArgs)(CliOptions& opts) = nullptr;
    // The options that go with some commands only.
    bool bSeveralPorts = false;
    bool bJson = false;
    bool bVerify = false;
    bool bPlayOptions = false;

    // A command without a device: its whole run; returns the exit status.
    int (*fnRun)(const CliOptions& opts, CliContext& ctx) = nullptr;

    // A device command:
    FileUse file = FileUse::None;
    bool bProgress = false;  // a transfer: its progress shows on a terminal
    bool bStay = false;      // the Handheld stays in configuration mode
    // The operations after the connect (none: the connect is all).
    std::vector<JobStep> (*fnSteps)(const CliOptions& opts) = nullptr;
    // The store made ready for the operations, before the connect.
    void (*fnPrepare)(const CliOptions& opts, CDeviceLink& link) = nullptr;
    // What a successful job leaves, output or a file; the exit status. expected: the
    // programs the file held. Without it, the job's success is all.
    int (*fnConclude)(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
                      const ProgramStore& expected) = nullptr;

    bool NeedsDevice() const { return fnRun == nullptr; }
};

// Each command's own description.
const CliCommand& PortsCommand();
const CliCommand& VersionCommand();
const CliCommand& InfoCommand();
const CliCommand& BackupCommand();
const CliCommand& RestoreCommand();
const CliCommand& VerifyCommand();
const CliCommand& ReadCommand();
const CliCommand& WriteCommand();
const CliCommand& MixCommand();
const CliCommand& ListCommand();
const CliCommand& LedsCommand();
const CliCommand& PlayCommand();
