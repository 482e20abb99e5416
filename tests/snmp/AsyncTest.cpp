#include <chrono>

#include "tests/snmp/SnmpFixture.h"

namespace {

const std::string wdsEntry = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.";

CvSNMPVarList systemName() {
    return CvSNMPVarList(std::vector<CvSNMPVarItem>{item("1.3.6.1.2.1.1.5", "systemName",
                                                         SYN_DISPLAYSTRING, ACC_READWRITE)},
                         SVT_SV, 0);
}

CvSNMPVarList wdsTable() {
    return CvSNMPVarList(
        std::vector<CvSNMPVarItem>{
            item((wdsEntry + "1").c_str(), "dot11RemoteApIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
            item((wdsEntry + "2").c_str(), "dot11RemoteApMacAddressList", SYN_MACADDRESS,
                 ACC_READONLY),
        },
        MVT_FMV, 1);
}

}  // namespace

TEST_F(SnmpTest, GetAsync_CompletesThroughTheEventLoopAfterReturning) {
    CvSNMPRequest request;
    request.VarList = systemName();
    bool returned = false, done = false, ranInsideCall = false;
    CvSNMPError outcome{1, ""};
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError& e) {
        ranInsideCall = !returned;
        outcome = e;
        done = true;
    }));
    returned = true;
    EXPECT_TRUE(request.Busy());
    EXPECT_FALSE(done);
    ASSERT_TRUE(waitFor(done));
    EXPECT_FALSE(ranInsideCall);
    EXPECT_EQ(outcome.Code, 0) << outcome.Message;
    EXPECT_EQ(request.VarList.Values()[0], sim().value("1.3.6.1.2.1.1.5.0"));
    EXPECT_FALSE(request.Busy());
}

TEST_F(SnmpTest, SetAsync_FailureOfTheAnswerReachesTheCompletion) {
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList =
        CvSNMPVarList(std::vector<CvSNMPVarItem>{item("1.3.6.1.2.1.1.3", "systemUpTime",
                                                      SYN_TIMETICKS, ACC_READWRITE)},
                      SVT_SV, 0);
    request.VarList.Values() = {"5"};
    bool done = false;
    CvSNMPError outcome;
    ASSERT_TRUE(request.SetAsync([&](const CvSNMPError& e) {
        outcome = e;
        done = true;
    }));
    ASSERT_TRUE(waitFor(done));
    EXPECT_EQ(outcome.Code, -117) << outcome.Message;  // notWritable
}

TEST_F(SnmpTest, GetAsync_ThatCannotBeSent_ReturnsFalseAndPostsTheFailure) {
    CvSNMPRequest request;
    request.Settings.address = "300.1.2.3";
    request.VarList = systemName();
    bool done = false;
    CvSNMPError outcome;
    EXPECT_FALSE(request.GetAsync([&](const CvSNMPError& e) {
        outcome = e;
        done = true;
    }));
    EXPECT_FALSE(done) << "the failure is posted, not run inside the call";
    ASSERT_TRUE(waitFor(done));
    EXPECT_EQ(outcome.Code, -407);
}

TEST_F(SnmpTest, DestroyedRequest_NeverCallsBack) {
    sim().knob("delay 300");
    bool called = false;
    auto request = std::make_unique<CvSNMPRequest>();
    request->VarList = wdsTable();
    ASSERT_TRUE(request->GetAsync([&](const CvSNMPError&) { called = true; }));
    request.reset();
    // A second request on the same shared session shows when the late answer has come and gone.
    CvSNMPRequest witness;
    witness.VarList = systemName();
    bool witnessed = false;
    ASSERT_TRUE(witness.GetAsync([&](const CvSNMPError&) { witnessed = true; }));
    ASSERT_TRUE(waitFor(witnessed));
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

TEST_F(SnmpTest, Cancel_DropsOutstandingOperations) {
    sim().knob("delay 200");
    CvSNMPRequest request;
    request.VarList = systemName();
    bool called = false;
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError&) { called = true; }));
    request.Cancel();
    EXPECT_FALSE(request.Busy());
    bool later = false;
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError&) { later = true; }));
    ASSERT_TRUE(waitFor(later));
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

TEST_F(SnmpTest, TwoWalksOnOneRequest_EachDeliversWholeRows) {
    CvSNMPRequest request;
    request.VarList = wdsTable();
    std::vector<std::vector<std::string>> seen;
    auto record = [&](const CvSNMPError& e) {
        EXPECT_EQ(e.Code, 0) << e.Message;
        std::vector<std::string> instances;
        for (const CvSNMPRow& row : request.VarList.Rows()) instances.push_back(row.instance);
        seen.push_back(instances);
    };
    ASSERT_TRUE(request.GetAsync(record));
    ASSERT_TRUE(request.GetAsync(record));
    ASSERT_TRUE(VraSim::waitUntil([&] { return seen.size() == 2; }, 5000));
    const std::vector<std::string> whole{"1", "2", "3", "4"};
    EXPECT_EQ(seen[0], whole);
    EXPECT_EQ(seen[1], whole);
}

TEST_F(SnmpTest, ContinueWalk_False_EndsWithTheRowsReadSoFar) {
    CvSNMPRequest request;
    request.VarList = wdsTable();
    int asked = 0;
    request.ContinueWalk = [&] { return ++asked < 2; };
    bool done = false;
    CvSNMPError outcome{1, ""};
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError& e) {
        outcome = e;
        done = true;
    }));
    ASSERT_TRUE(waitFor(done));
    EXPECT_EQ(outcome.Code, 0);
    EXPECT_EQ(request.VarList.Rows().size(), 2u);
}

TEST_F(SnmpTest, SynchronousCall_HoldsBackAsynchronousAnswersUntilItReturns) {
    sim().knob("delay 100 1.3.6.1.2.1.1.5");
    CvSNMPRequest slow, fast;
    slow.VarList = systemName();
    fast.VarList = systemName();
    fast.VarList.GetItem(0).oid = "1.3.6.1.2.1.1.6";
    bool slowDone = false;
    ASSERT_TRUE(slow.GetAsync([&](const CvSNMPError&) { slowDone = true; }));
    sim().knob("delay 300 1.3.6.1.2.1.1.6");
    // The asynchronous answer arrives while this synchronous get still waits for its own.
    ASSERT_EQ(fast.Get().Code, 0);
    EXPECT_FALSE(slowDone);
    ASSERT_TRUE(waitFor(slowDone));
}

TEST_F(SnmpTest, SilentAgent_TimesOutAfterTimeoutTimesTries) {
    setenv("VRA2260_TIME_SCALE", "0.2", 1);
    sim().knob("silence on");
    CvSNMPRequest request;
    request.VarList = systemName();
    request.Settings.timeout = 100;  // 1 s, scaled to 200 ms
    request.Retries = 2;
    const auto start = std::chrono::steady_clock::now();
    const CvSNMPError result = request.Get();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    unsetenv("VRA2260_TIME_SCALE");
    EXPECT_EQ(result.Code, -405);
    EXPECT_EQ(result.Message, "(ViZURU++) The device did not answer in time!");
    EXPECT_GE(elapsed, 600);
    EXPECT_LT(elapsed, 1500);

    setenv("VRA2260_TIME_SCALE", "0.1", 1);
    bool done = false;
    CvSNMPError outcome;
    request.Retries = 1;
    const auto asyncStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError& e) {
        outcome = e;
        done = true;
    }));
    unsetenv("VRA2260_TIME_SCALE");
    ASSERT_TRUE(waitFor(done));
    const auto asyncElapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - asyncStart)
                                  .count();
    EXPECT_EQ(outcome.Code, -405);
    EXPECT_GE(asyncElapsed, 200);
    EXPECT_LT(asyncElapsed, 1000);
}

TEST_F(SnmpTest, CompletionThatThrows_DoesNotStopLaterCompletions) {
    CvSNMPRequest request;
    request.VarList = systemName();
    ASSERT_TRUE(request.GetAsync([](const CvSNMPError&) { throw std::runtime_error("page bug"); }));
    bool later = false;
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError& e) {
        EXPECT_EQ(e.Code, 0);
        later = true;
    }));
    ASSERT_TRUE(waitFor(later));
    EXPECT_FALSE(request.Busy());
}

TEST_F(SnmpTest, RequestDeletedWhileAskedToContinue_EndsTheWalkQuietly) {
    auto request = std::make_unique<CvSNMPRequest>();
    request->VarList = wdsTable();
    bool called = false, asked = false;
    request->ContinueWalk = [&] {
        asked = true;
        request.reset();
        return true;
    };
    ASSERT_TRUE(request->GetAsync([&](const CvSNMPError&) { called = true; }));
    ASSERT_TRUE(waitFor(asked));
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
    EXPECT_EQ(sim().gets().size(), 1u) << "no further row is asked for";
}

TEST_F(SnmpTest, RequestsToOneAgent_EachKeepTheirOwnRetries) {
    setenv("VRA2260_TIME_SCALE", "0.05", 1);
    sim().knob("silence on");
    CvSNMPRequest patient, hasty;
    patient.VarList = systemName();
    patient.Retries = 3;
    hasty.VarList = systemName();
    hasty.Retries = 0;
    std::vector<std::string> order;
    ASSERT_TRUE(patient.GetAsync([&](const CvSNMPError& e) {
        EXPECT_EQ(e.Code, -405);
        order.push_back("patient");
    }));
    // Sent later to the same agent with the same community: it must not lend its retry count
    // to the request already waiting.
    ASSERT_TRUE(hasty.GetAsync([&](const CvSNMPError& e) {
        EXPECT_EQ(e.Code, -405);
        order.push_back("hasty");
    }));
    unsetenv("VRA2260_TIME_SCALE");
    ASSERT_TRUE(VraSim::waitUntil([&] { return order.size() == 2; }, 5000));
    EXPECT_EQ(order, (std::vector<std::string>{"hasty", "patient"}));
    EXPECT_EQ(sim().events("dropped").size(), 5u) << "four tries of one, one of the other";
}

TEST_F(SnmpTest, RequestsToOneAgent_EachKeepTheirOwnTimeout) {
    setenv("VRA2260_TIME_SCALE", "0.05", 1);
    sim().knob("silence on");
    CvSNMPRequest slow, quick;
    slow.VarList = systemName();
    slow.Settings.timeout = 1600;  // 800 ms scaled
    slow.Retries = 0;
    quick.VarList = systemName();
    quick.Settings.timeout = 20;  // 10 ms scaled
    quick.Retries = 0;
    bool slowDone = false, quickDone = false;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(slow.GetAsync([&](const CvSNMPError&) { slowDone = true; }));
    ASSERT_TRUE(quick.GetAsync([&](const CvSNMPError&) { quickDone = true; }));
    unsetenv("VRA2260_TIME_SCALE");
    ASSERT_TRUE(waitFor(quickDone));
    EXPECT_FALSE(slowDone) << "the later, shorter time-out cut the first request short";
    ASSERT_TRUE(waitFor(slowDone));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    EXPECT_GE(elapsed, 800);
}
