// The command-line scanner and the start-up name resolution on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/CommandLine.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strArgs(reinterpret_cast<const char*>(pData), nSize);
    const CommandLineOptions opts = ScanCommandLine(strArgs);
    // The collected name never holds a separator of the scan.
    Check(opts.strStartFile.find_first_of(std::string(" \n\0", 3)) == std::string::npos);
    Check(opts.strStartFile.size() <= nSize);
    ResolveStartupName(opts.strStartFile, "/start/dir/");
    return 0;
}
