// Every command of glowdesk-cli against the emulated Handheld, and its exit statuses.
#include <gtest/gtest.h>

#include "cli/ExitStatus.h"
#include "programs/FileReplace.h"
#include "tests/cli/CliRig.h"

namespace {

std::string ListingOf(const std::string& strFile) {
    const CliResult r = RunCliWith({"list", strFile});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr;
    return r.strOut;
}

TEST(CliEmulated, VersionAndMix) {
    CliResult r = RunCliWith({"-e", "version"});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "HH 1.01\n");
    EXPECT_EQ(r.strErr, "");

    r = RunCliWith({"-e", "mix"});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "32\n");

    // A written value is sent as the MIX write request carries it.
    r = RunCliWith({"-e", "-t", "mix", "200"});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find("<< OUT: (>7W0001C8)"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("(random length=200)"), std::string::npos) << r.strErr;
}

TEST(CliEmulated, Info) {
    CliResult r = RunCliWith({"-e", "info"});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_NE(r.strOut.find("Version      HH 1.01\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("ProgSize     896\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("Program 9: PosProgLen=0072h, PosProgName=0074h, PosProgData=1C80h\n"),
              std::string::npos)
        << r.strOut;

    r = RunCliWith({"-e", "--json", "info"});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(
        r.strOut.rfind("{\"port\": \"COM1\", \"version\": \"HH 1.01\", \"e2_kbytes\": 8, ", 0), 0u)
        << r.strOut;
    EXPECT_NE(r.strOut.find("{\"program\": 2, \"pos_prog_len\": 16, \"pos_prog_name\": 18, "
                            "\"pos_prog_data\": 1024}"),
              std::string::npos)
        << r.strOut;
}

TEST(CliEmulated, BackupListsAsTheWindowAfterReadingAll) {
    TempFolder dir;
    const std::string strFile = dir.File("a.ini");
    const CliResult r = RunCliWith({"-e", "-q", "backup", strFile});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "");
    const std::string strText = ReadBytes(strFile);
    EXPECT_EQ(strText.rfind("[Random]\r\nMIX=32\r\n[PROG_1]\r\nMixAllowed=0\r\n", 0), 0u)
        << strText;
    EXPECT_EQ(ListingOf(strFile),
              "Prog 1: \"\", 8 steps, MixAllowed=0\n"
              "Prog 2: \"\", 9 steps, MixAllowed=0\n"
              "Prog 3: \"\", 1 step, MixAllowed=0\n"
              "Prog 4: \"\", 1 step, MixAllowed=0\n"
              "Prog 5: \"\", 1 step, MixAllowed=0\n"
              "Prog 6: \"\", 1 step, MixAllowed=0\n"
              "Prog 7: \"\", 1 step, MixAllowed=0\n"
              "Prog 8: \"\", 1 step, MixAllowed=0\n"
              "Prog 9: \"\", 1 step, MixAllowed=0\n"
              "Random\n"
              "MIX: (RandomLen=32)\n");
}

TEST(CliEmulated, ReadKeepsTheRestOfTheFile) {
    TempFolder dir;
    ProgramStore store;
    FillStore(store, 20);
    const std::string strFile = dir.File("set.ini");
    WriteBytes(strFile, "; my programs\r\n" + StoreText(store));

    const CliResult r = RunCliWith({"-e", "read", "2", strFile});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    const std::string strListing = ListingOf(strFile);
    EXPECT_NE(strListing.find("Prog 1: \"program 1\", 20 steps, MixAllowed=0\n"), std::string::npos)
        << strListing;
    EXPECT_NE(strListing.find("Prog 2: \"\", 9 steps, MixAllowed=0\n"), std::string::npos)
        << strListing;
    EXPECT_NE(strListing.find("Prog 3: \"program 3\", 18 steps, MixAllowed=0\n"), std::string::npos)
        << strListing;
    EXPECT_NE(strListing.find("MIX: (RandomLen=200)"), std::string::npos) << strListing;
    EXPECT_EQ(ReadBytes(strFile).rfind("; my programs\r\n", 0), 0u);

    // A file that does not exist yet is made.
    const std::string strNew = dir.File("new.ini");
    ASSERT_EQ(RunCliWith({"-e", "read", "1", strNew}).nStatus, kExitDone);
    EXPECT_NE(ListingOf(strNew).find("Prog 1: \"\", 8 steps"), std::string::npos);
}

TEST(CliEmulated, RestoreAndWriteSendTheFileAndVerifyComparesIt) {
    TempFolder dir;
    ProgramStore store;
    FillStore(store, 10);
    const std::string strFile = dir.File("set.ini");
    WriteBytes(strFile, StoreText(store));

    CliResult r = RunCliWith({"-e", "-t", "restore", strFile});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_NE(r.strErr.find("(random length=200)\n ...finished"), std::string::npos);
    // Program 9, "program 9" with the steps 0x08 0x15, written to its places.
    EXPECT_NE(r.strErr.find("<< OUT: (>9W1C800815)"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("<< OUT: (>FW00747072"), std::string::npos) << r.strErr;

    r = RunCliWith({"-e", "-t", "write", "9", strFile});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_NE(r.strErr.find("<< OUT: (>9W1C800815)"), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strErr.find(">7W0001"), std::string::npos) << "only program 9 is written";
    // Written and read back in one run: equal.
    r = RunCliWith({"-e", "-q", "restore", "--verify", strFile});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr << r.strOut;
    EXPECT_EQ(r.strOut, "");
    // The emulated Handheld of a new run holds its own programs: every one differs.
    r = RunCliWith({"-e", "-q", "verify", strFile});
    EXPECT_EQ(r.nStatus, kExitDiffer);
    EXPECT_NE(r.strOut.find("program 1: name differs, steps differ from step 1\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("\nMIX length differs\n"), std::string::npos) << r.strOut;
}

TEST(CliEmulated, StayKeepsConfigurationMode) {
    CliResult r = RunCliWith({"-e", "-t", "version"});
    EXPECT_NE(r.strErr.find("jmp normal mode: "), std::string::npos);
    r = RunCliWith({"-e", "-t", "--stay", "version"});
    EXPECT_EQ(r.nStatus, kExitDone);
    EXPECT_EQ(r.strErr.find("jmp normal mode"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("jmp to CFG mode"), std::string::npos);
}

TEST(CliEmulated, FileFailuresExitWithFour) {
    TempFolder dir;
    const std::string strMissing = dir.File("missing.ini");
    CliResult r = RunCliWith({"list", strMissing});
    EXPECT_EQ(r.nStatus, kExitFile);
    EXPECT_NE(r.strErr.find("cannot read"), std::string::npos);
    // Nothing is sent to the Handheld from a file that is not there.
    r = RunCliWith({"-e", "-t", "restore", strMissing});
    EXPECT_EQ(r.nStatus, kExitFile);
    EXPECT_EQ(r.strErr.find("OUT:"), std::string::npos) << r.strErr;
    EXPECT_EQ(RunCliWith({"-e", "write", "1", dir.Dir()}).nStatus, kExitFile);
    // A backup into a folder that is not there, or onto a folder: refused before the
    // Handheld is asked anything.
    for (const std::string& strTarget : {dir.File("no/such/folder.ini"), dir.Dir()}) {
        r = RunCliWith({"-e", "-t", "backup", strTarget});
        EXPECT_EQ(r.nStatus, kExitFile);
        EXPECT_NE(r.strErr.find("cannot write"), std::string::npos);
        EXPECT_EQ(r.strErr.find("OUT:"), std::string::npos) << r.strErr;
    }
    // read keeps the rest of a file, so the file must be readable.
    r = RunCliWith({"-e", "-t", "read", "1", dir.Dir()});
    EXPECT_EQ(r.nStatus, kExitFile);
    EXPECT_EQ(r.strErr.find("OUT:"), std::string::npos) << r.strErr;
}

TEST(CliEmulated, FilesThatWouldLoseDataAreRefusedBeforeAnythingIsSent) {
    TempFolder dir;
    // Nine empty programs from a file without programs would wipe the Handheld.
    const std::string strNotes = dir.File("notes.txt");
    WriteBytes(strNotes, "shopping\r\n[Random]\r\nMIX=3\r\n");
    for (const std::vector<std::string>& aArgs : std::vector<std::vector<std::string>>{
             {"restore", strNotes}, {"write", "2", strNotes}, {"verify", strNotes}}) {
        std::vector<std::string> aAll{"-e", "-t"};
        aAll.insert(aAll.end(), aArgs.begin(), aArgs.end());
        const CliResult r = RunCliWith(aAll);
        EXPECT_EQ(r.nStatus, kExitFile) << aArgs[0];
        EXPECT_EQ(r.strErr, "glowdesk-cli: " + strNotes + " holds no programs\n");
    }

    // read keeps the rest of the file: one larger than the reader takes is not cut short.
    const std::string strBig = dir.File("big.ini");
    WriteBytes(strBig, "[PROG_1]\r\nSteps=0\r\n");
    std::filesystem::resize_file(strBig, kMaxReadBytes + 1);
    CliResult r = RunCliWith({"-e", "-t", "read", "1", strBig});
    EXPECT_EQ(r.nStatus, kExitFile);
    EXPECT_EQ(r.strErr.find("OUT:"), std::string::npos) << r.strErr;
    EXPECT_EQ(std::filesystem::file_size(strBig), kMaxReadBytes + 1);
    EXPECT_EQ(ReadBytes(strBig).rfind("[PROG_1]\r\nSteps=0\r\n", 0), 0u);

#ifndef _WIN32  // symbolic links need rights on Windows
    // A backup whose last step, the replace, fails says so and leaves no file.
    const std::string strLink = dir.File("link.ini");
    std::filesystem::create_symlink(dir.File("gone/target.ini"), strLink);
    r = RunCliWith({"-e", "-q", "backup", strLink});
    EXPECT_EQ(r.nStatus, kExitFile);
    EXPECT_EQ(r.strErr, "glowdesk-cli: cannot write " + strLink + "\n");
    EXPECT_TRUE(std::filesystem::is_symlink(strLink));
    EXPECT_FALSE(std::filesystem::exists(strLink));
#endif
}

TEST(CliEmulated, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& aArgs :
         std::vector<std::vector<std::string>>{{},
                                               {"-e", "read", "10", "a.ini"},
                                               {"-e", "mix", "x"},
                                               {"--bogus"},
                                               {"-e", "-p", "COM0", "version"},
                                               {"-e", "--verify", "backup", "a.ini"}}) {
        const CliResult r = RunCliWith(aArgs);
        EXPECT_EQ(r.nStatus, kExitUsage) << r.strErr;
        EXPECT_NE(r.strErr.find("--help"), std::string::npos);
    }
    const CliResult r = RunCliWith({"--help"});
    EXPECT_EQ(r.nStatus, kExitDone);
    EXPECT_NE(r.strOut.find("backup FILE"), std::string::npos);
    EXPECT_EQ(RunCliWith({"--version"}).strOut, "glowdesk-cli 1.01\n");
}

TEST(CliEmulated, InterruptedBackupLeavesTheFileAndExitsWith130) {
    TempFolder dir;
    const std::string strFile = dir.File("keep.ini");
    WriteBytes(strFile, "[Random]\r\nMIX=7\r\n");
    int nTurns = 0;
    const CliResult r = RunCliWith({"-e", "-t", "backup", strFile}, [&] { return ++nTurns > 15; });
    EXPECT_EQ(r.nStatus, kExitInterrupted);
    EXPECT_EQ(ReadBytes(strFile), "[Random]\r\nMIX=7\r\n");
    // Stopped in the middle of the transfer, and the port closed.
    EXPECT_NE(r.strErr.find("*** Program 2"), std::string::npos);
    EXPECT_EQ(r.strErr.find("...finished"), std::string::npos);
    EXPECT_NE(r.strErr.find("Com Port closed"), std::string::npos);
}

TEST(CliEmulated, SeveralHandheldsSideBySide) {
    TempFolder dir;
    const CliResult r =
        RunCliWith({"-e", "-p", "COM1", "-p", "COM2", "backup", dir.File("all.ini")});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "COM1\tok\nCOM2\tok\n");
    EXPECT_EQ(ListingOf(dir.File("all-COM1.ini")), ListingOf(dir.File("all-COM2.ini")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("all.ini")));
    EXPECT_EQ(RunCliWith({"-e", "-p", "COM1", "-p", "1", "backup", dir.File("x.ini")}).nStatus,
              kExitUsage);
}

TEST(CliEmulated, ProgressOnATerminalOnly) {
    TempFolder dir;
    CliResult r = RunCliWith(
        {"-e", "backup", dir.File("a.ini")}, [] { return false; }, true);
    ASSERT_EQ(r.nStatus, kExitDone);
    // The last drawing is complete.
    EXPECT_NE(r.strErr.find("COM1 [##############################] 100%"), std::string::npos)
        << r.strErr;
    r = RunCliWith(
        {"-e", "-q", "backup", dir.File("b.ini")}, [] { return false; }, true);
    EXPECT_EQ(r.strErr, "");
}

}  // namespace
