// Runs glowdesk-cli in the test's process, with its output kept, and a fresh folder
// for its files. The serial primitives find only ports named through GLOWDESK_COM<n>.
#pragma once

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "programs/LightProgram.h"
#include "tests/programs/ProgramsFixture.h"
#ifndef _WIN32
#include "serial/posix/PosixComApi.h"
#else
#include "tests/support/NullComApi.h"
#endif

struct CliResult {
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

inline std::unique_ptr<ComApi> OverridesOnlyApi() {
#ifndef _WIN32
    return std::make_unique<PosixComApi>(ComPortTable(false));
#else
    return std::make_unique<NullComApi>();
#endif
}

// fnInterrupted is asked before every turn of the event loop.
inline CliResult RunCliWith(
    const std::vector<std::string>& aArgs,
    std::function<bool()> fnInterrupted = [] { return false; }, bool bTerminal = false) {
    std::ostringstream out, err;
    CliContext ctx{out, err, bTerminal, std::move(fnInterrupted), OverridesOnlyApi, false};
    CliResult r;
    r.nStatus = RunCli(aArgs, ctx);
    r.strOut = out.str();
    r.strErr = err.str();
    return r;
}

// A store of nine programs, each with its own name, length and pattern.
inline void FillStore(ProgramStore& store, int nSteps) {
    for (int i = 0; i < kProgCount; ++i) {
        LightProgram& prog = store.aProgs[i];
        prog = LightProgram{};
        std::snprintf(prog.Name, sizeof prog.Name, "program %d", i + 1);
        prog.Steps = static_cast<uint16_t>(std::max(0, nSteps - i));
        prog.MixAllowed = i % 2;
        for (int s = 0; s < prog.Steps; ++s)
            prog.Data[s] = static_cast<uint8_t>(s * 13 + i);
    }
    store.RandomLen = 200;
}

// The program file of such a store, as the window stores it.
inline std::string StoreText(const ProgramStore& store) {
    std::string s = "[Random]\r\nMIX=" + std::to_string(store.RandomLen) + "\r\n";
    for (int i = 0; i < kProgCount; ++i) {
        const LightProgram& prog = store.aProgs[i];
        s += "[PROG_" + std::to_string(i + 1) +
             "]\r\nMixAllowed=" + std::to_string(prog.MixAllowed) + "\r\nName=" + prog.Name +
             "\r\nSteps=" + std::to_string(prog.Steps) + "\r\n";
        for (int k = 0; k < prog.Steps; ++k) {
            std::string strStep;
            for (int nBit = 7; nBit >= 0; --nBit)
                strStep += (prog.Data[k] >> nBit) & 1 ? '1' : '0';
            s += "Step_" + std::to_string(k + 1) + "=" + strStep + "\r\n";
        }
    }
    return s;
}
