// The INI layer's side of the comparison with the Windows profile functions
// (scripts/ini_differential.sh):
//
//   ini_differential make DIR [SEED [COUNT]]   writes the corpus and its manifest
//   ini_differential answer DIR                 the answers, as ProfileAnswers.exe gives them
//   ini_differential wine-only                  the kinds where Wine differs from Windows
//
// DIR ends in a separator.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "programs/ProgFile.h"
#include "tests/ini_differential/IniAnswers.h"
#include "tests/ini_differential/IniCorpus.h"

namespace {

std::vector<std::string> LoadProgFile(const std::string& strPath) {
    ProgramStore store;
    CIniProfile ini;
    CTraceLog trace;
    CProgFiles(store, ini, trace).LoadProgFile(strPath);
    std::vector<std::string> aLines;
    for (int n = 0; n < kProgCount; ++n) {
        const LightProgram& r = store.aProgs[n];
        aLines.push_back(ini_answers::ProgramLine(n + 1, r.Name, r.MixAllowed, r.Data, r.Steps));
    }
    aLines.push_back("MIX=" + std::to_string(store.RandomLen));
    return aLines;
}

int Make(const std::string& strDir, uint32_t nSeed, int nFiles) {
    std::ofstream manifest(strDir + "manifest.txt", std::ios::binary);
    for (const CorpusFile& file : MakeIniCorpus(nSeed, nFiles)) {
        std::ofstream(strDir + file.strName, std::ios::binary) << file.strBytes;
        manifest << file.strName << '\n';
    }
    return manifest.flush() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string strCommand = argc > 1 ? argv[1] : "";
    if (strCommand == "make" && argc >= 3)
        return Make(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 27,
                    argc > 4 ? std::atoi(argv[4]) : 300);
    if (strCommand == "answer" && argc == 3) {
        CIniProfile ini;
        const CIniProfile::CReadScope scope(ini);  // each file parsed once
        ini_answers::AnswerAll(argv[2], stdout, LoadProgFile,
                               [&](const std::string& strPath, const std::string& strSection,
                                   const std::string& strKey, const std::string& strDefault) {
                                   return ini.GetIniString(strPath, strSection, strKey, strDefault);
                               });
        return 0;
    }
    if (strCommand == "wine-only") {
        for (std::string_view strKind : kWineOnlyKinds)
            std::printf("%.*s\n", static_cast<int>(strKind.size()), strKind.data());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: ini_differential make DIR [SEED [COUNT]] | answer DIR | wine-only\n");
    return 2;
}
