// Replacing a file's contents so that a failure half-way never loses the old file.
#pragma once

#include <string>
#include <system_error>

// Largest file the program reads whole; bigger files are read only up to here and
// never rewritten, so nothing beyond the limit can be lost.
constexpr size_t kMaxReadBytes = 64u * 1024 * 1024;

// Reads a regular file whole. False when it is missing, not a regular file or
// unreadable. A file larger than kMaxReadBytes gives its first kMaxReadBytes and sets
// *pbTruncated.
bool ReadWholeFile(const std::string& strPath, std::string& strOut, bool* pbTruncated = nullptr);

// Writes the data to a new file beside the target, flushes it to the disk and renames
// it over the target. False, with the target untouched, when the target is not a
// writable regular file, or when the folder takes no new file, or the disk is full;
// *pError then says why.
bool ReplaceFileContents(const std::string& strPath, const std::string& strData,
                         std::error_code* pError = nullptr);
