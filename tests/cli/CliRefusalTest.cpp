// A Handheld that answers, but not as it should: glowdesk-cli exits with 1 and says
// what the trace said; a port held elsewhere exits with 3 and says why.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "serial/ForwardingComApi.h"
#include "tests/support/ScriptedPeer.h"

namespace {

// Hands the test's peer to the program, which wants to own its serial primitives.
class PeerProxy : public CForwardingComApi {
public:
    explicit PeerProxy(ScriptedPeer& peer) : CForwardingComApi(peer) {}
};

struct Refusals : ::testing::Test {
    Refusals() {
        peer.responder = [this](const std::string& strFrame) {
            const auto it = mapAnswers.find(strFrame);
            return it == mapAnswers.end() ? std::string() : it->second;
        };
    }
    int Run(const std::vector<std::string>& aArgs) {
        std::ostringstream out, err;
        CliContext ctx{out,
                       err,
                       false,
                       [] { return false; },
                       [this] { return std::make_unique<PeerProxy>(peer); },
                       false};
        const int nStatus = RunCli(aArgs, ctx);
        strErr = err.str();
        return nStatus;
    }

    ScriptedPeer peer;
    std::map<std::string, std::string> mapAnswers{
        {">1V\n", ">8vHH 1.01\n"}, {">2JC\n", ">3j:0\n"}, {">2JN\n", ">3j:0\n"}};
    std::string strErr;
};

TEST_F(Refusals, StaticInfoThisProgramCannotUse) {
    mapAnswers[">3I00\n"] = ">Fi000802050C0380\n";  // five programs
    EXPECT_EQ(Run({"-p", "COM3", "info"}), kExitDevice);
    EXPECT_EQ(strErr, "glowdesk-cli: COM3: this ProgCount is not supported by this tool !!!\n");
    // The Handheld answers, so it is still sent back to normal mode.
    ASSERT_FALSE(peer.aWritten.empty());
    EXPECT_EQ(peer.aWritten.back(), ">2JN\n");
    EXPECT_EQ(peer.nOpen, 0) << "the port is closed";
}

TEST_F(Refusals, AFailedReturnToNormalModeKeepsTheFirstFailure) {
    mapAnswers[">3I00\n"] = ">Fi000802050C0380\n";  // five programs
    mapAnswers[">2JN\n"] = ">3j:1\n";
    EXPECT_EQ(Run({"-p", "COM3", "info"}), kExitDevice);
    EXPECT_EQ(strErr, "glowdesk-cli: COM3: this ProgCount is not supported by this tool !!!\n");
    EXPECT_EQ(peer.aWritten.back(), ">2JN\n");
}

TEST_F(Refusals, ErrorStatus) {
    mapAnswers[">2JC\n"] = ">3j:1\n";
    EXPECT_EQ(Run({"-p", "3", "version"}), kExitDevice);
    EXPECT_EQ(strErr, "glowdesk-cli: COM3: jmp to CFG mode: --> error !!!\n");
}

TEST_F(Refusals, PortHeldElsewhere) {
    peer.aPresent.clear();
    peer.aBusy = {3};
    EXPECT_EQ(Run({"-p", "COM3", "version"}), kExitPort);
    EXPECT_EQ(strErr.rfind("glowdesk-cli: COM3: cannot open the port: access denied", 0), 0u)
        << strErr;
}

}  // namespace
