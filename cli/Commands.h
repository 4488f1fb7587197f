// glowdesk-cli as a function: arguments in, output on two streams, exit status out.
// The executable wires it to the process; tests call it directly.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class ComApi;

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    // The error output is a terminal: progress lines are shown there.
    bool bErrIsTerminal = false;
    // Polled while devices run: true once the user asked to stop (Ctrl-C).
    std::function<bool()> fnInterrupted = [] { return false; };
    // The serial primitives, one instance per port.
    std::function<std::unique_ptr<ComApi>()> fnMakeApi;
    // The core's short pauses after a connect really wait.
    bool bPauses = true;
};

// argv without the program name.
int RunCli(const std::vector<std::string>& aArgs, CliContext& ctx);
