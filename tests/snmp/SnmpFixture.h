#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/common/CvException.h"
#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPSession.h"
#include "tests/snmp/Items.h"
#include "tests/support/VraSim.h"

inline long long msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// What an asynchronous completion received, and how long after record() it came.
struct Outcome {
    bool done = false;
    CvSNMPError error{1, "not called"};
    long long tookMs = -1;
    CvSNMPRequest::Completion record() {
        return [this, sent = std::chrono::steady_clock::now()](const CvSNMPError& e) {
            error = e;
            done = true;
            tookMs = msSince(sent);
        };
    }
};

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
    // Stops the device and starts it again on the same port, with a new engine id.
    void restartSim() {
        const std::string port = std::to_string(sim_->port());
        sim_.reset();
        sim_ = std::make_unique<VraSim>(std::vector<std::string>{"--port", port});
    }

    static constexpr const char* E = "1.3.6.1.4.1.32473.10.37.38";

    // Runs the event loop until the flag is set or the deadline passes.
    static bool waitFor(const bool& flag, int timeoutMs = 5000) {
        return VraSim::waitUntil([&flag] { return flag; }, timeoutMs);
    }

  private:
    std::unique_ptr<VraSim> sim_;
};
