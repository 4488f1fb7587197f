// Checks of command arguments and option values that several commands share.
#pragma once

#include <cstddef>
#include <string>

#include "cli/CliOptions.h"

// A decimal number within [nMin, nMax], digits only; -1 otherwise.
int ParseNumber(const std::string& str, int nMin, int nMax, size_t nMaxDigits = 3);

// The first argument is the program file.
std::string TakeFileArg(CliOptions& opts);
// The first argument is a program number (1-9).
std::string TakeProgArg(CliOptions& opts);
// A program number (1-9) and the program file.
std::string TakeProgAndFileArgs(CliOptions& opts);
