// Program files written so that nothing is ever half-written: the new contents are
// built in a scratch file, and the target is replaced in one step only when they are
// complete. A failure leaves the target as it was.
#pragma once

#include <functional>
#include <string>

// Copies the target into a scratch file when bKeepRest is set and the target exists
// (false, nothing done, when it exists but cannot be read), lets fnWrite write the
// scratch file (false: give up), then replaces the target with the result. The scratch
// file is removed in every case.
bool WriteThroughScratch(const std::string& strTarget, bool bKeepRest,
                         const std::function<bool(const std::string& strScratch)>& fnWrite);

// Whether the target could be replaced at all: its folder exists, and the target is a
// regular file or not there yet. Asked before a long transfer that ends in the file.
bool CanReplace(const std::string& strTarget);
