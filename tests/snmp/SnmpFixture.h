#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPSession.h"
#include "tests/snmp/Items.h"
#include "tests/support/VraSim.h"

// One simulated device per test, with the session defaults pointing at it.
class SnmpTest : public testing::Test {
  protected:
    void SetUp() override {
        sim_ = std::make_unique<VraSim>();
        CvSNMPSession::Start();
        CvSNMPSettings& defaults = CvSNMPSession::Defaults();
        defaults = CvSNMPSettings();
        defaults.port = sim_->port();
    }

    VraSim& sim() { return *sim_; }

    static constexpr const char* E = "1.3.6.1.4.1.32473.10.37.38";
    static std::string e(const std::string& rest) { return std::string(E) + "." + rest; }

    // Runs the event loop until the flag is set or the deadline passes.
    static bool waitFor(const bool& flag, int timeoutMs = 5000) {
        return VraSim::waitUntil([&flag] { return flag; }, timeoutMs);
    }

  private:
    std::unique_ptr<VraSim> sim_;
};
