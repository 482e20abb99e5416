// The device's TFTP client role (curl) against in.tftpd from tftpd-hpa.

#include <gtest/gtest.h>

#include <string>

#include "tests/sim/Tools.h"
#include "tests/support/VraSim.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string tftpServer = E + ".4.3.2.1.0";
const std::string tftpName = E + ".4.3.2.2.0";
const std::string tftpCommand = E + ".4.3.2.4.0";
const std::string upgradeCommand = E + ".4.3.2.5.0";
const std::string firmware = E + ".5.1.1.0";
const std::string sysName = "1.3.6.1.2.1.1.5.0";

class TftpRole : public ::testing::Test {
  protected:
    TftpRole() : sim({"--tftp-port", std::to_string(server.port())}) {}

    CommandResult set(const std::string& assignments) { return snmpset(sim, assignments); }
    CommandResult command(const std::string& name, int value) {
        return set(tftpServer + " a 127.0.0.1 " + tftpName + " s " + name + " " + tftpCommand +
                   " i " + std::to_string(value));
    }

    TftpServer server;
    VraSim sim;
};

TEST_F(TftpRole, ConfigsaveStagesAFileThatTheNextRestartInstalls) {
    // The firmware version is read-only: a file cannot change it.
    writeFile(server.dir() + "/good.dcf",
              "#VRA-2260-DCF 1\n" + sysName + "\tSTR\tfrom-file\n" + firmware + "\tSTR\t9.99\n");
    writeFile(server.dir() + "/bad.dcf", "not a configuration\n");
    ASSERT_EQ(set(tftpServer + " a 127.0.0.1 " + tftpName + " s bad.dcf").exitCode, 0);
    CommandResult refused = set(upgradeCommand + " i 3");
    EXPECT_NE(refused.output.find("genErr"), std::string::npos) << refused.output;

    ASSERT_EQ(set(tftpName + " s good.dcf").exitCode, 0);
    ASSERT_EQ(set(upgradeCommand + " i 3").exitCode, 0);
    EXPECT_EQ(sim.value(sysName), "VRA-2260") << "the file waits for the restart";
    ASSERT_EQ(set(upgradeCommand + " i 4").exitCode, 0);
    EXPECT_EQ(sim.value(sysName), "from-file");
    EXPECT_EQ(sim.value(firmware), "1.00");
}

TEST_F(TftpRole, FirmwareUpdateDuringAFetchWaitsForItsEnd) {
    // The device answers the Get at once and reads the image later; an update that arrives in
    // between acts on the whole image, not on nothing.
    writeFile(server.dir() + "/late.img", "FWVER=3.01\n");
    sim.knob("tftp answer=before start=300");
    ASSERT_EQ(command("late.img", 2).exitCode, 0);
    CommandResult update = set(upgradeCommand + " i 1");
    EXPECT_EQ(update.exitCode, 0) << update.output;
    EXPECT_EQ(sim.value(firmware), "3.01");
}

TEST_F(TftpRole, FailedTransfersAnswerGenErrAndReadBackNothing_NeverKnobSkipsTheTransfer) {
    writeFile(server.dir() + "/big.bin", std::string(64 * 1024, 'x'));
    const auto to = [](const std::string& name, int value) {
        return tftpServer + " a 127.0.0.1 " + tftpName + " s " + name + " " + tftpCommand + " i " +
               std::to_string(value);
    };
    const struct {
        std::string knob, assignments, field, result;
    } cases[] = {
        {"fail=none", to("no-such-file", 2), "result", "failed"},
        {"fail=timeout", to("big.bin", 2), "result", "timeout"},  // curl is stalled and stopped
        {"fail=none", tftpServer + " a 0.0.0.0 " + tftpCommand + " i 3", "detail",
         "no server address"},
        {"fail=never", to("anything", 3), "result", "never"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        sim.knob("tftp " + c.knob);
        sim.clearJournal();
        CommandResult r = set(c.assignments);
        const bool fails = c.knob != "fail=never";
        EXPECT_EQ(r.output.find("genErr") != std::string::npos, fails) << r.output;
        const auto transfers = sim.events("tftp");
        ASSERT_EQ(transfers.size(), 1u);
        EXPECT_EQ(transfers[0].fields.at(c.field), c.result);
        if (fails) {
            EXPECT_EQ(sim.value(tftpCommand), "4") << "the command reads back Nothing";
        }
    }
}

TEST_F(TftpRole, CertificateAndKeyInstallTheFetchedFile) {
    CommandResult nothingStaged = set(upgradeCommand + " i 7");
    EXPECT_NE(nothingStaged.output.find("genErr"), std::string::npos) << nothingStaged.output;
    writeFile(server.dir() + "/cert.pem", "-----BEGIN CERTIFICATE-----\nMIIB\n");
    ASSERT_EQ(command("cert.pem", 2).exitCode, 0);
    ASSERT_EQ(set(upgradeCommand + " i 7").exitCode, 0);
    ASSERT_EQ(set(upgradeCommand + " i 8").exitCode, 0);
    auto certificates = sim.events("certificate");
    ASSERT_EQ(certificates.size(), 1u);
    EXPECT_EQ(certificates[0].fields.at("bytes"), "33");
    EXPECT_EQ(sim.events("key").size(), 1u);
}

}  // namespace
