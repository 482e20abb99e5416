#include <QEventLoop>
#include <QTimer>

#include "tests/snmp/SnmpFixture.h"

namespace {

const std::string wdsEntry = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.";

CvSNMPVarList wdsTable() {
    return varList(
        {
            item(wdsEntry + "1", "dot11RemoteApIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
            item(wdsEntry + "2", "dot11RemoteApMacAddressList", SYN_MACADDRESS, ACC_READONLY),
        },
        MVT_FMV, 1);
}

}  // namespace

TEST_F(SnmpTest, AsyncCompletions_ArriveThroughTheEventLoopAfterTheCallReturns) {
    CvSNMPRequest get;
    get.VarList = systemName();
    Outcome got;
    // A completion that throws does not stop the later ones.
    ASSERT_TRUE(get.GetAsync([](const CvSNMPError&) { throw std::runtime_error("page bug"); }));
    ASSERT_TRUE(get.GetAsync(got.record()));
    EXPECT_TRUE(get.Busy());
    EXPECT_FALSE(got.done) << "the completion ran inside GetAsync";
    ASSERT_TRUE(waitFor(got.done));
    EXPECT_EQ(got.error.Code, 0) << got.error.Message;
    EXPECT_EQ(get.VarList.Values()[0], sim().value("1.3.6.1.2.1.1.5.0"));
    EXPECT_FALSE(get.Busy());

    CvSNMPRequest unsendable;
    unsendable.Settings.address = "300.1.2.3";
    unsendable.VarList = systemName();
    Outcome failed;
    EXPECT_FALSE(unsendable.GetAsync(failed.record()));
    EXPECT_FALSE(failed.done) << "the failure is posted, not run inside the call";
    ASSERT_TRUE(waitFor(failed.done));
    EXPECT_EQ(failed.error.Code, -407);
}

TEST_F(SnmpTest, DestroyedOrCancelledRequest_NeverCallsBack) {
    sim().knob("delay 300");
    bool destroyedCalled = false, cancelledCalled = false;
    auto destroyed = std::make_unique<CvSNMPRequest>();
    destroyed->VarList = wdsTable();
    ASSERT_TRUE(destroyed->GetAsync([&](const CvSNMPError&) { destroyedCalled = true; }));
    destroyed.reset();

    CvSNMPRequest cancelled;
    cancelled.VarList = systemName();
    ASSERT_TRUE(cancelled.GetAsync([&](const CvSNMPError&) { cancelledCalled = true; }));
    cancelled.Cancel();
    EXPECT_FALSE(cancelled.Busy());
    // A later get on the same shared session shows when the late answers have come and gone.
    Outcome later;
    ASSERT_TRUE(cancelled.GetAsync(later.record()));
    ASSERT_TRUE(waitFor(later.done));
    QCoreApplication::processEvents();
    EXPECT_FALSE(destroyedCalled);
    EXPECT_FALSE(cancelledCalled);
}

TEST_F(SnmpTest, Walks_DeliverWholeRowsAndStopWhenAsked) {
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

    // ContinueWalk false ends the walk with the rows so far; deleting the request ends it quietly.
    int asked = 0;
    request.ContinueWalk = [&] { return ++asked < 2; };
    ASSERT_TRUE(request.GetAsync(record));
    ASSERT_TRUE(VraSim::waitUntil([&] { return seen.size() == 3; }, 5000));
    EXPECT_EQ(seen[2], (std::vector<std::string>{"1", "2"}));

    sim().clearJournal();
    auto deleted = std::make_unique<CvSNMPRequest>();
    deleted->VarList = wdsTable();
    bool called = false, deletedAsked = false;
    deleted->ContinueWalk = [&] {
        deletedAsked = true;
        deleted.reset();
        return true;
    };
    ASSERT_TRUE(deleted->GetAsync([&](const CvSNMPError&) { called = true; }));
    ASSERT_TRUE(waitFor(deletedAsked));
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
    EXPECT_EQ(sim().gets().size(), 1u) << "no further row is asked for";
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

TEST_F(SnmpTest, SilentAgent_EachRequestTimesOutAfterItsOwnTimeoutTimesTries) {
    setenv("VRA2260_TIME_SCALE", "0.05", 1);
    sim().knob("silence on");
    // Sent in this order to the same agent with the same community: a later request must lend
    // neither its retry count nor its shorter time-out to one already waiting.
    const struct {
        const char* name;
        int timeout, retries;
    } senders[] = {{"slow", 1600, 0}, {"patient", 100, 3}, {"hasty", 100, 0}};
    CvSNMPRequest requests[3];
    std::vector<std::string> order;
    const auto start = std::chrono::steady_clock::now();
    long long slowElapsed = 0;
    for (int i = 0; i < 3; ++i) {
        requests[i].VarList = systemName();
        requests[i].Settings.timeout = senders[i].timeout;  // scaled: 800 ms, 50 ms
        requests[i].Retries = senders[i].retries;
        ASSERT_TRUE(requests[i].GetAsync([&, i](const CvSNMPError& e) {
            EXPECT_EQ(e.Code, -405) << senders[i].name;
            order.push_back(senders[i].name);
            if (i == 0) slowElapsed = msSince(start);
        }));
    }
    unsetenv("VRA2260_TIME_SCALE");
    ASSERT_TRUE(VraSim::waitUntil([&] { return order.size() == 3; }, 5000));
    EXPECT_EQ(order, (std::vector<std::string>{"hasty", "patient", "slow"}));
    EXPECT_GE(slowElapsed, 800) << "a later, shorter time-out cut the first request short";
    EXPECT_EQ(sim().events("dropped").size(), 6u) << "four tries of one, one of each other";
}

TEST_F(SnmpTest, SilentDeviceInOneAction_LaterRequestsAllowedNoLongerEndAtOnceUntilTheNextAction) {
    setenv("VRA2260_TIME_SCALE", "0.01", 1);  // each time-out of 100 is 10 ms
    CvSNMPRequest first, later, longer, async;
    for (CvSNMPRequest* request : {&first, &later, &longer, &async}) {
        request->VarList = systemName();
        request->VarList.Values() = {"name"};
        request->Retries = 0;
    }
    longer.Settings.timeout = 300;
    sim().knob("silence on");
    {
        const CvSNMPAction action;
        EXPECT_EQ(first.Get().Code, -405);
        const CvSNMPError skipped = later.Get();
        EXPECT_EQ(skipped.Code, -405);
        EXPECT_EQ(skipped.Message, "(ViZURU++) The device did not answer in time!");
        EXPECT_EQ(later.Set().Code, -405);
        // A request allowed longer is asked; its silence then ends those allowed up to its wait,
        // tries counted, and no longer; a synchronous one waits its time-out times its tries.
        EXPECT_EQ(longer.Get().Code, -405);
        later.Settings.timeout = 150;
        later.Retries = 1;
        EXPECT_EQ(later.Get().Code, -405);
        later.Settings.timeout = 2000;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(later.Get().Code, -405);
        EXPECT_GE(msSince(start), 400);
        EXPECT_LT(msSince(start), 1300);
        later.Settings.timeout = 100;
        later.Retries = 0;
        bool asyncDone = false;
        ASSERT_TRUE(async.GetAsync([&](const CvSNMPError&) { asyncDone = true; }));
        // A modal loop in between (a message box) runs an action of its own, which asks again.
        QEventLoop modal;
        int nested = 0;
        QTimer::singleShot(0, [&] {
            const CvSNMPAction own;
            nested = later.Get().Code;
            modal.quit();
        });
        modal.exec();
        EXPECT_EQ(nested, -405);
        EXPECT_EQ(later.Get().Code, -405);
        ASSERT_TRUE(waitFor(asyncDone));
    }
    {
        const CvSNMPAction next;
        EXPECT_EQ(later.Get().Code, -405);
    }
    sim().knob("silence off");
    // An error answer is no silence: the action goes on asking.
    sim().knob("fail 1.3.6.1.2.1.1.5 genErr get 1");
    {
        const CvSNMPAction action;
        EXPECT_EQ(first.Get().Code, -105);
        EXPECT_EQ(later.Get().Code, 0);
    }
    unsetenv("VRA2260_TIME_SCALE");
    // The first read, the longer one, the longest in its two tries, the asynchronous one, the
    // modal loop's and the next action's: no other.
    EXPECT_EQ(sim().events("dropped").size(), 7u);
}
