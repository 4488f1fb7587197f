// glowdesk-cli's error messages.
#pragma once

#include <string>

#include "cli/Commands.h"

// Writes "glowdesk-cli: strText" on the error output (with a hint at --help for a usage
// error) and returns nStatus.
int Complain(CliContext& ctx, int nStatus, const std::string& strText);
