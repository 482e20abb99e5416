// Not a test: measures an asynchronous walk of a 200-row table through the access layer against
// snmpwalk (get-next) on the same simulated device, and the cost of opening ten SNMPv3 authPriv
// requests to one agent. Run by hand: build/<dir>/bench/snmp_walk_bench
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/SnmpTransport.h"
#include "library/snmp/UsmKeys.h"
#include "tests/support/VraSim.h"

namespace {

const char* column = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2";
constexpr int rows = 200;
constexpr int runs = 15;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

CvSNMPVarItem item(const char* oid, int syntax) {
    CvSNMPVarItem record;
    record.oid = oid;
    record.name = oid;
    record.syntax = syntax;
    record.access = ACC_READONLY;
    return record;
}

// Milliseconds of one asynchronous walk, or -1 when it failed.
double walkOnce(size_t& rowCount) {
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList =
        CvSNMPVarList(std::vector<CvSNMPVarItem>{item(column, SYN_MACADDRESS)}, MVT_FMV, 0);
    bool done = false;
    int code = 0;
    QElapsedTimer timer;
    timer.start();
    request.GetAsync([&](const CvSNMPError& e) {
        code = e.Code;
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = timer.nsecsElapsed() / 1e6;
    rowCount = request.VarList.Rows().size();
    return code == 0 ? ms : -1;
}

double snmpwalkOnce(const VraSim& sim, const char* oid, int& lines) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start("snmpwalk", {"-v2c", "-c", "public", "-On", "-m", "", "-t", "2", "-r", "1",
                               QString::fromStdString(sim.peer()), oid});
    process.waitForFinished(60000);
    const double ms = timer.nsecsElapsed() / 1e6;
    lines = process.readAllStandardOutput().count('\n');
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string state =
        (std::filesystem::temp_directory_path() / ("vra-bench-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(state);
    setenv("VRA2260_STATE_DIR", state.c_str(), 1);
    QCoreApplication app(argc, argv);
    CvSNMPSession::Start();
    VraSim sim;
    sim.knob("rows wdsPeers " + std::to_string(rows));
    CvSNMPSession::Defaults().port = sim.port();

    size_t rowCount = 0;
    walkOnce(rowCount);  // opens the shared session
    std::vector<double> ours, theirs, theirStart;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(walkOnce(rowCount));
        int lines = 0;
        theirs.push_back(snmpwalkOnce(sim, column, lines));
        if (lines != rows) std::printf("snmpwalk printed %d rows\n", lines);
        // snmpwalk of one scalar: the program's start and end without the rows.
        theirStart.push_back(snmpwalkOnce(sim, "1.3.6.1.2.1.1.5", lines));
    }
    if (rowCount != rows || *std::min_element(ours.begin(), ours.end()) < 0) {
        std::printf("the walk failed: %zu rows\n", rowCount);
        return 1;
    }
    sim.clearJournal();
    walkOnce(rowCount);
    const size_t ourRequests = sim.gets().size();
    sim.clearJournal();
    int lines = 0;
    snmpwalkOnce(sim, column, lines);
    const size_t theirRequests = sim.gets().size();
    const double oursMs = median(ours), theirsMs = median(theirs);
    const double theirsRowsMs = std::max(0.001, theirsMs - median(theirStart));
    std::printf("asynchronous walk of %d rows, median of %d runs\n", rows, runs);
    std::printf("  access layer: %8.2f ms  %7.1f us per row\n", oursMs, oursMs * 1000 / rows);
    std::printf("  snmpwalk:     %8.2f ms  %7.1f us per row (whole program)\n", theirsMs,
                theirsMs * 1000 / rows);
    std::printf("  snmpwalk:     %8.2f ms  %7.1f us per row (without its start-up)\n", theirsRowsMs,
                theirsRowsMs * 1000 / rows);
    std::printf("  requests the device saw for one walk: access layer %zu, snmpwalk %zu\n",
                ourRequests, theirRequests);
    std::printf("  ratio per row: %.2f (whole program), %.2f (without start-up); target <= 1.2\n",
                oursMs / theirsMs, oursMs / theirsRowsMs);

    auto& transport = snmpaccess::Transport::instance();
    const int discoveries = transport.discoveryCount();
    const int derivations = usmkeys::derivationCount();
    std::vector<double> opening;
    QElapsedTimer all;
    all.start();
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer timer;
        timer.start();
        CvSNMPRequest request;
        request.Settings.version = 3;
        request.Settings.securityModel = 3;
        request.Settings.securityLevel = 3;
        request.Settings.securityName = "shaaes";
        request.Settings.authProtocol = 3;
        request.Settings.privProtocol = 19;
        request.Settings.authPassword = "authpass123";
        request.Settings.privPassword = "privpass123";
        request.VarList = CvSNMPVarList(
            std::vector<CvSNMPVarItem>{item("1.3.6.1.2.1.1.5", SYN_DISPLAYSTRING)}, SVT_SV, 0);
        const CvSNMPError result = request.Get();
        opening.push_back(timer.nsecsElapsed() / 1e6);
        if (result.Code) std::printf("v3 request %d failed: %s\n", i, result.Message.c_str());
    }
    const double total = all.nsecsElapsed() / 1e6;
    std::printf(
        "ten SNMPv3 authPriv (SHA, AES) requests to one agent, each opened and read once\n");
    std::printf("  total %.2f ms; first %.2f ms; the other nine %.2f ms on average\n", total,
                opening[0], (total - opening[0]) / 9);
    std::printf("  engine discoveries: %d, password derivations: %d\n",
                transport.discoveryCount() - discoveries, usmkeys::derivationCount() - derivations);
    std::filesystem::remove_all(state);
    return 0;
}
