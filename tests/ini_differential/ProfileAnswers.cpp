// Windows only: answers the corpus's questions with the Windows profile functions, and
// loads each file by the program file reading procedure on top of them (a 3000-byte
// buffer, numbers through atoi), for comparison with the INI layer's answers.
//
//   ProfileAnswers.exe DIR OUT     DIR: the corpus folder with its trailing backslash
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "tests/ini_differential/IniAnswers.h"

namespace {

char g_acBuffer[3000];

std::string GetIniString(const std::string& strPath, const std::string& strSection,
                         const std::string& strKey, const std::string& strDefault) {
    GetPrivateProfileStringA(strSection.c_str(), strKey.c_str(), strDefault.c_str(), g_acBuffer,
                             sizeof g_acBuffer, strPath.c_str());
    return g_acBuffer;
}

// Windows' atoi: INT_MAX and INT_MIN on overflow, as strtol gives them with its 32-bit
// long. Wine's msvcrt atoi wraps around instead, which Windows' does not.
int Atoi(const std::string& str) {
    return static_cast<int>(std::strtol(str.c_str(), nullptr, 10));
}

int GetIniInt(const std::string& strPath, const std::string& strSection, const std::string& strKey,
              int nDefault) {
    return Atoi(
        GetIniString(strPath, strSection, strKey, std::to_string(unsigned(nDefault))).c_str());
}

std::vector<std::string> LoadProgFile(const std::string& strPath) {
    std::vector<std::string> aLines;
    for (int nProg = 1; nProg <= 9; ++nProg) {
        const std::string strSection = "PROG_" + std::to_string(nProg);
        int nSteps = GetIniInt(strPath, strSection, "Steps", 0);
        if (nSteps > 896)
            nSteps = 896;
        const std::string strName = GetIniString(strPath, strSection, "Name", "");
        int nMix = 0;
        uint8_t abyData[896] = {};
        if (strName == "-") {
            nSteps = 0;
        } else {
            nMix = GetIniInt(strPath, strSection, "MixAllowed", 0) != 0 ? 1 : 0;
            int k = 1;
            for (; k <= nSteps; ++k) {
                const std::string strStep =
                    GetIniString(strPath, strSection, "Step_" + std::to_string(k), "");
                if (strStep.size() != 8)
                    break;
                for (int nBit = 0; nBit < 8; ++nBit)
                    if (strStep[nBit] == '1')
                        abyData[k - 1] |= static_cast<uint8_t>(0x80u >> nBit);
            }
            nSteps = k - 1;
        }
        aLines.push_back(
            ini_answers::ProgramLine(nProg, strName.substr(0, 12), nMix, abyData, nSteps));
    }
    aLines.push_back("MIX=" + std::to_string(GetIniInt(strPath, "Random", "MIX", 80) & 0xFF));
    return aLines;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ProfileAnswers DIR OUT\n");
        return 2;
    }
    // The profile functions hand back text in the ANSI code page: it must be 1252.
    if (GetACP() != 1252) {
        std::fprintf(stderr, "ANSI code page is %u, not 1252\n", GetACP());
        return 1;
    }
    std::FILE* pOut = std::fopen(argv[2], "wb");
    if (pOut == nullptr)
        return 1;
    ini_answers::AnswerAll(argv[1], pOut, LoadProgFile, GetIniString);
    return std::fclose(pOut) == 0 ? 0 : 1;
}
