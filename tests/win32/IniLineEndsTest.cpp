// Program files written on Windows: binary writes, so every line ends in exactly one
// CR LF (a text-mode write would make it CR CR LF), and storing over an existing file
// replaces it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/DialogHarness.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Win32ProgramFile, StoredLinesEndInOneCrLfAndAStoreReplacesTheFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "glowdesk-win32-store.ini";
    std::filesystem::remove(path);
    DialogHarness h;
    h.Start("");
    LightProgram& prog = h.session.Store().aProgs[0];
    prog.Steps = 2;
    prog.Data[0] = 0x81;
    prog.Data[1] = 0x18;

    h.session.StoreProgFile(path.string());
    prog.Data[1] = 0x24;
    h.session.StoreProgFile(path.string());

    const std::string strFile = ReadBytes(path);
    ASSERT_FALSE(strFile.empty());
    EXPECT_EQ(strFile.find("\r\r"), std::string::npos);
    size_t nLines = 0;
    for (size_t i = 0; i < strFile.size(); ++i) {
        if (strFile[i] == '\n') {
            ++nLines;
            EXPECT_TRUE(i > 0 && strFile[i - 1] == '\r') << "bare LF at " << i;
        }
    }
    EXPECT_GT(nLines, 3u);
    EXPECT_NE(strFile.find("00100100"), std::string::npos) << "the second store was not kept";
    EXPECT_EQ(strFile.find("00011000"), std::string::npos);

    // Read back: the same steps.
    h.session.Store().ClearPrograms();
    h.session.LoadProgFile(path.string());
    EXPECT_EQ(h.session.Store().aProgs[0].Steps, 2);
    EXPECT_EQ(h.session.Store().aProgs[0].Data[1], 0x24);
    std::filesystem::remove(path);
}

}  // namespace
