// glowdesk-cli: back up, restore and inspect a Handheld from the shell.
#include <iostream>

#include "cli/Commands.h"
#include "cli/Platform.h"
#include "serial/PlatformComApi.h"

int main(int argc, char** argv) {
    std::vector<std::string> aArgs(argv + 1, argv + argc);
    InstallInterruptHandler();
    CliContext ctx{std::cout, std::cerr, IsTerminal(stderr), [] { return InterruptRequested(); },
                   [] { return CreatePlatformComApi(); }};
    const int nStatus = RunCli(aArgs, ctx);
    std::cout.flush();
    return nStatus;
}
