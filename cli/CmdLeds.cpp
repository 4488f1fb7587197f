// leds: the Handheld's eight LEDs lit now.
#include "cli/CliCommand.h"

namespace {

// An LED byte: eight characters 0 and 1 with LED 8 first (as in program files), 0x and
// one or two hex digits, or "off"; -1 otherwise.
int LedPattern(const std::string& str) {
    if (str == "off")
        return 0;
    if (str.size() == 8 && str.find_first_not_of("01") == std::string::npos)
        return static_cast<int>(std::stoul(str, nullptr, 2));
    if (str.size() >= 3 && str.size() <= 4 && str[0] == '0' && (str[1] | 0x20) == 'x' &&
        str.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
        return static_cast<int>(std::stoul(str.substr(2), nullptr, 16));
    return -1;
}

std::string TakeArgs(CliOptions& opts) {
    opts.nLeds = LedPattern(opts.aArgs[0]);
    if (opts.nLeds < 0)
        return "LED pattern must be eight 0 and 1 (LED 8 first), 0x00-0xFF or off: " +
               opts.aArgs[0];
    return {};
}

std::vector<JobStep> Steps(const CliOptions& opts) {
    return {{DeviceOp::Leds, opts.nLeds}};
}

}  // namespace

// The Handheld takes LED requests in configuration mode only: it stays there, so its
// LEDs keep what they were given.
const CliCommand& LedsCommand() {
    static const CliCommand cmd{.pName = "leds",
                                .pArgs = "PATTERN",
                                .pHelp =
                                    "light the Handheld's LEDs now: 10100101 (LED 8 first),\n"
                                    "0xA5 or off; the Handheld stays in configuration mode",
                                .nMinArgs = 1,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeArgs,
                                .bStay = true,
                                .fnSteps = Steps};
    return cmd;
}
