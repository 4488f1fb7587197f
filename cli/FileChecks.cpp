#include "cli/FileChecks.h"

#include <filesystem>

#include "cli/Complain.h"
#include "cli/ExitStatus.h"
#include "cli/SafeFile.h"
#include "programs/FileReplace.h"
#include "programs/ProgFile.h"

namespace {

bool Exists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(strPath, ec) || ec;
}

// Whole: a file larger than the reader takes would be used, or kept, only in part.
bool CanRead(const std::string& strPath) {
    std::string strText;
    bool bTruncated = false;
    return ReadWholeFile(strPath, strText, &bTruncated) && !bTruncated;
}

// A file without a single program section would send nine empty programs.
bool HoldsPrograms(const std::string& strPath) {
    std::string strText;
    return ReadWholeFile(strPath, strText) && HoldsPrograms(CIniDocument::Parse(strText));
}

}  // namespace

bool NeedsFile(const CliCommand& cmd, const CliOptions& opts) {
    return cmd.file == FileUse::Reads ||
           (cmd.file == FileUse::ReadsIfGiven && !opts.strFile.empty());
}

int CheckInputFile(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx) {
    if (NeedsFile(cmd, opts) && !CanRead(opts.strFile))
        return Complain(ctx, kExitFile, "cannot read " + opts.strFile);
    if (NeedsFile(cmd, opts) && !HoldsPrograms(opts.strFile))
        return Complain(ctx, kExitFile, opts.strFile + " holds no programs");
    if (cmd.file == FileUse::Updates && Exists(opts.strFile) && !CanRead(opts.strFile))
        return Complain(ctx, kExitFile, "cannot read " + opts.strFile);
    return kExitDone;
}

int CheckOutputFiles(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx,
                     const std::vector<PortSpec>& aSpecs) {
    if (cmd.file != FileUse::Writes && cmd.file != FileUse::Updates)
        return kExitDone;
    for (const PortSpec& spec : aSpecs) {
        const std::string strFile =
            aSpecs.size() > 1 ? FileForPort(opts.strFile, spec.strName) : opts.strFile;
        if (!CanReplace(strFile))
            return Complain(ctx, kExitFile, "cannot write " + strFile);
    }
    return kExitDone;
}
