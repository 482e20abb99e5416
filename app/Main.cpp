#include "app/Main.h"

#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "app/Banner.h"
#include "app/MainMenu.h"
#include "app/MibEnumerationLists.h"
#include "app/Startup.h"
#include "app/Wait.h"
#include "library/common/CvIniFile.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "platform/Environment.h"
#include "platform/InstanceLock.h"
#include "platform/Registry.h"
#include "platform/Trace.h"
#include "platform/Ui.h"

TMainForm* MainForm = nullptr;

namespace {

const char* const ModelOid = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem PollItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.5.1.2.1.1.2.1", "ifIpAddress", SYN_IPADDRESS, ACC_READONLY,
     nullptr, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.5.1.2.1.1.3.1", "ifSubnetMask", SYN_IPADDRESS, ACC_READONLY,
     nullptr, "", ""},
    {},
};

const CvSNMPVarItem HeartbeatItems[] = {
    {"1.3.6.1.2.1.1.3", "systemUpTime", SYN_TIMETICKS, ACC_READONLY, nullptr, "", ""},
    {},
};

const CvSNMPVarItem BandItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::Band, "", ""},
    {},
};

const CvSNMPVarItem RadioItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.23.1", "dot11RadioWave", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::OffOn, "", ""},
    {},
};

const CvSNMPVarItem ApplyItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::NothingApply, "", ""},
    {},
};

const int PollMs = 2000;
const int HeartbeatMs = 5000;
const int LampMs = 500;
const int LampAnimationTicks = 24;
const int ApplyTimeout = 1000;  // 10 s in units of 10 ms
const int SaveCount = 15;
const int DiscardCount = 50;

QString fromOctets(const std::string& text) {
    return platform::fromLatin1(text);
}

}  // namespace

struct TMainForm::SingleInstance {
    explicit SingleInstance(const QString& caption) : lock(caption) {}
    platform::InstanceLock lock;
};

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(arguments) {
    MainForm = this;
    CvMessages::loadFolder(platform::programDir() + "/errMSg");
    buildWindow();
    buildMenu();
}

TMainForm::~TMainForm() {
    // Requests go first: their bound controls are children of this window.
    reqPoll_.reset();
    reqBand_.reset();
    reqRadio_.reset();
    reqApply_.reset();
    heartbeat_.reset();
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::buildWindow() {
    setWindowTitle(QString::fromLatin1(ModelName));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Banner = new TBanner(central);
    layout->addWidget(Banner);
    StatusBar1 = new CvStatusBar(central);
    layout->addWidget(StatusBar1);
    setCentralWidget(central);

    IPAddressEdit = new CvEdit(central);
    SubMaskEdit = new CvEdit(central);
    CB_Band = new QComboBox(central);
    CB_RadioWave = new QComboBox(central);
    CB_Apply = new QComboBox(central);
    for (QWidget* hidden : {static_cast<QWidget*>(IPAddressEdit),
                            static_cast<QWidget*>(SubMaskEdit), static_cast<QWidget*>(CB_Band),
                            static_cast<QWidget*>(CB_RadioWave), static_cast<QWidget*>(CB_Apply)})
        hidden->hide();

    PollTimer = new QTimer(this);
    PollTimer->setInterval(PollMs);
    connect(PollTimer, &QTimer::timeout, this,
            [this] { runReportingFailure([this] { PollTimerTimer(); }); });
    HeartbeatTimer = new QTimer(this);
    HeartbeatTimer->setSingleShot(true);
    HeartbeatTimer->setInterval(HeartbeatMs);
    connect(HeartbeatTimer, &QTimer::timeout, this,
            [this] { runReportingFailure([this] { HeartbeatTimerTimer(); }); });
    LampTimer = new QTimer(this);
    LampTimer->setInterval(LampMs);
    connect(LampTimer, &QTimer::timeout, this,
            [this] { runReportingFailure([this] { LampTimerTimer(); }); });
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TMainForm::buildMenu() {
    struct Item {
        const char* path;  // menu texts from the group down, separated by "|"
        Handler handler;
    };
    static const Item items[] = {
        {"Home|Information", &TMainForm::Information1Click},
        {"Home|Wireless", &TMainForm::hWirelessBand1Click},
        {"Home|LAN", &TMainForm::hLan1Click},
        {"Advanced|Performance", &TMainForm::adPerformance1Click},
        {"Advanced|Filters|Wireless MAC ACL", &TMainForm::Mac1Click},
        {"Advanced|Filters|WLAN Partition", &TMainForm::WLANPartition1Click},
        {"Advanced|Multi-SSID", &TMainForm::Ad_MultiSSIDClick},
        {"Advanced|DHCP Server", &TMainForm::DHCPServer1Click},
        {"Advanced|Intrusion", &TMainForm::Intrusion1Click},
        {"Advanced|Schedule", &TMainForm::Scheduling1Click},
        {"Advanced|QoS", &TMainForm::QosSetting1Click},
        {"Advanced|VLAN", &TMainForm::VlanSetting1Click},
        {"Tools|Admin", &TMainForm::tAdmin1Click},
        {"Tools|System", &TMainForm::tSystem1Click},
        {"Tools|Firmware and SSL Certification Upload", &TMainForm::Firmware1Click},
        {"Tools|Time and Date", &TMainForm::TimeClick},
        {"Tools|Configuration File", &TMainForm::tUpdate1Click},
        {"Configuration|Save and Activate", &TMainForm::SaveActivate1Click},
        {"Configuration|Discard Changes", &TMainForm::DiscardChanges1Click},
        {"Status|Device Infomation", &TMainForm::stEthernet1Click},
        {"Status|Client Information", &TMainForm::Client1Click},
        {"Status|WDS Information", &TMainForm::WDSInformation1Click},
        {"Status|Stats|Ethernet", &TMainForm::Ethernet1Click},
        {"Status|Stats|WLAN", &TMainForm::WLAN1Click},
        {"Status|Log|View Log", &TMainForm::ViewLog1Click},
        {"Status|Log|Log Settings", &TMainForm::LogSettings1Click},
        {"Help|About", &TMainForm::About1Click},
    };
    for (const Item& item : items) {
        const QStringList path = QString::fromLatin1(item.path).split(QLatin1Char('|'));
        QMenu* menu = nullptr;
        for (int depth = 0; depth + 1 < path.size(); ++depth) {
            const QList<QAction*> actions = menu ? menu->actions() : menuBar()->actions();
            QMenu* found = nullptr;
            for (QAction* action : actions)
                if (action->menu() && action->text() == path[depth]) found = action->menu();
            if (!found) found = menu ? menu->addMenu(path[depth]) : menuBar()->addMenu(path[depth]);
            menu = found;
        }
        QAction* action = menu->addAction(path.last());
        action->setEnabled(PageBuilt(item.handler));
        const Handler handler = item.handler;
        connect(action, &QAction::triggered, this,
                [this, handler] { runReportingFailure([this, handler] { (this->*handler)(); }); });
    }
}

bool TMainForm::FormCreate() {
    // Without a session every request reports it; the window still comes up to say so.
    runReportingFailure([] { CvSNMPSession::Start(); });
    CvSNMPSession::Defaults() = CvSNMPSettings{};

    if (auto folder = platform::registryValue("SOFTWARE/Corvane/Modules/HelpPath", ModelOid))
        CvMessages::loadFolder(*folder + "/errmsg");
    applyStartupSettings();

    const DeviceOptions switches = ParseSwitches(arguments_);
    const QString caption =
        QString::fromLatin1(ModelName) + QStringLiteral(" : ") +
        fromOctets(switches.address.value_or(CvSNMPSession::Defaults().address));
    setWindowTitle(caption);
    lock_ = std::make_unique<SingleInstance>(caption);
    if (lock_->lock.refused()) {
        platform::ui().messageBox(nullptr, QApplication::applicationDisplayName(),
                                  QStringLiteral("Another VRA-2260 module is running!"),
                                  platform::BoxButtons::Ok);
        platform::ui().terminate(1);
        return false;
    }

    buildRequests();
    sendHeartbeat();
    runReportingFailure([this] { reqPoll_->Get(); });
    readBand();
    readRadio();
    PollTimer->start();
    restartLamps();
    return true;
}

void TMainForm::applyStartupSettings() {
    const DeviceOptions switches = ParseSwitches(arguments_);
    DeviceOptions file;
    const auto mibFile = platform::registryValue("SOFTWARE/Corvane/Harbor5.1/MibFile", "Path");
    const auto exePath = platform::registryValue("SOFTWARE/Corvane/Harbor5.1/ExePath", "Path");
    const std::string mibFolder = MibFolder(mibFile.value_or(""), exePath.value_or(""));
    const std::string address = switches.address.value_or(CvSNMPSession::Defaults().address);
    // The address names the file; one with a separator would reach outside the MIB folder.
    const bool plainName = address.find_first_of("/\\") == std::string::npos;
    if (!mibFolder.empty() && plainName) {
        CvIniFile settings(mibFolder + "/" + address + ".cfg");
        // The reader hands values back as UTF-8, but the session sends 8-bit octets as the
        // switches give them: a community or password with an accent must mean the same bytes.
        if (settings.Loaded())
            file = ParseSettings([&settings](const std::string& key) -> std::optional<std::string> {
                const auto value = settings.Value("Program Information", key);
                std::string octets;
                if (!value || !platform::toLatin1(QString::fromUtf8(*value), octets))
                    return std::nullopt;
                return octets;
            });
    }
    ApplyDeviceOptions(switches, file, CvSNMPSession::Defaults());
}

void TMainForm::buildRequests() {
    reqPoll_ = std::make_unique<CvSNMPRequest2Edits>(this);
    reqPoll_->VarList = CvSNMPVarList(PollItems, MVT_SV, 0);
    reqPoll_->AssociateEdit(0, "%s", IPAddressEdit);
    reqPoll_->AssociateEdit(1, "%s", SubMaskEdit);
    reqPoll_->SetLogTarget(StatusBar1);

    heartbeat_ = std::make_unique<CvSNMPRequest>();
    heartbeat_->VarList = CvSNMPVarList(HeartbeatItems, SVT_SV, 0);

    reqBand_ = std::make_unique<CvSNMPRequest2Edits>(this);
    reqBand_->VarList = CvSNMPVarList(BandItems, MVT_SV, 0);
    reqBand_->AssociateComboBox(0, CB_Band);
    reqBand_->SetLogTarget(StatusBar1);

    reqRadio_ = std::make_unique<CvSNMPRequest2Edits>(this);
    reqRadio_->VarList = CvSNMPVarList(RadioItems, MVT_SV, 0);
    reqRadio_->AssociateComboBox(0, CB_RadioWave);
    reqRadio_->SetLogTarget(StatusBar1);

    reqApply_ = std::make_unique<CvSNMPRequest2Edits>(this);
    reqApply_->VarList = CvSNMPVarList(ApplyItems, SVT_SV, 0);
    reqApply_->AssociateComboBox(0, CB_Apply);
    reqApply_->Mode = 0;
    reqApply_->Timeout = ApplyTimeout;
    reqApply_->SetLogTarget(StatusBar1);
}

void TMainForm::PollTimerTimer() {
    // A slow device must not pile polls up: the tick is skipped while the last one is out.
    if (reqPoll_ && !reqPoll_->Busy()) reqPoll_->Get();
}

void TMainForm::HeartbeatTimerTimer() {
    sendHeartbeat();
}

void TMainForm::sendHeartbeat() {
    if (!heartbeat_) return;
    ++heartbeatsSent_;
    try {
        // A request that cannot be sent still completes (posted), which keeps the cycle going.
        heartbeat_->GetAsync(
            [this](const CvSNMPError& outcome) { heartbeatDone(outcome.Code, outcome.Message); });
    } catch (const std::exception& failure) {
        heartbeatDone(-1, failure.what());
    }
}

void TMainForm::heartbeatDone(int code, const std::string& message) {
    if (code == 0) {
        std::string line = CvMessages::snmpMsg(1);
        line = CvMessages::fill(line, " Request:[VARLIST]", "");
        line = CvMessages::fill(line, "[VARLIST]", "");
        line = CvMessages::fill(line, "[ERROR]", message);
        const QString time = platform::ui().now().toString(QStringLiteral("hh:mm:ss"));
        line = CvMessages::fill(line, "[TIME]", time.toStdString());
        StatusBar1->ShowText(fromOctets(line));
        restartLamps();
    } else {
        StatusBar1->ShowText(fromOctets(message));
        blackLamps();
    }
    qCDebug(vraTrace).noquote() << "heartbeat:" << fromOctets(code == 0 ? "ok" : message);
    HeartbeatTimer->start();
}

void TMainForm::restartLamps() {
    lampTicks_ = 0;
    Banner->SetAllLamps(true);
    LampTimer->start();
}

void TMainForm::blackLamps() {
    // A silent device must stay dark: a running animation would light its lamps again.
    LampTimer->stop();
    Banner->SetAllLamps(false);
}

void TMainForm::LampTimerTimer() {
    ++lampTicks_;
    Banner->SetLamp(TBanner::Power, true);
    Banner->SetLamp(TBanner::Lan, !Banner->Lit(TBanner::Lan));
    if (lampTicks_ % 4 == 0) Banner->SetLamp(TBanner::Wireless, !Banner->Lit(TBanner::Wireless));
    if (lampTicks_ >= LampAnimationTicks) LampTimer->stop();
}

void TMainForm::readBand() {
    if (reqBand_) runReportingFailure([this] { reqBand_->Get(); });
}

void TMainForm::readRadio() {
    if (reqRadio_) runReportingFailure([this] { reqRadio_->Get(); });
}

void TMainForm::SaveActivate1Click() {
    CvSNMPError outcome{-1, ""};
    reqApply_->request().SetResultRoutine(
        [&outcome](const CvSNMPError& error) { outcome = error; });
    bool ok = false;
    try {
        CB_Apply->setCurrentIndex(MibEnumerationLists::NothingApply.IndexOfValue("1"));
        ok = reqApply_->Set(false, true, "");
    } catch (const std::exception& failure) {
        outcome = {-1, failure.what()};
    }
    reqApply_->request().SetResultRoutine(nullptr);
    if (!ok || outcome.Code != 0) {
        platform::ui().messageBox(this, QStringLiteral("Error"), fromOctets(outcome.Message),
                                  platform::BoxButtons::Ok);
        return;
    }
    TFM_Waiting waiting(this);
    waiting.Count = SaveCount;
    waiting.Reboot = false;
    waiting.Label2->setText(QStringLiteral("Settings saved."));
    waiting.Label3->setText(QStringLiteral("The settings are saving and taking effect."));
    waiting.exec();
}

void TMainForm::DiscardChanges1Click() {
    if (platform::ui().messageBox(this, QStringLiteral("Warning"),
                                  QStringLiteral("Device will reboot, continue?"),
                                  platform::BoxButtons::OkCancel) != platform::BoxResult::Ok)
        return;
    TFM_Waiting waiting(this);
    waiting.Count = DiscardCount;
    waiting.Reboot = true;
    waiting.Label2->setText(QStringLiteral("Changes discarded."));
    waiting.exec();
    if (!waiting.RefusalText().isEmpty())
        platform::ui().messageBox(this, QStringLiteral("Error"), waiting.RefusalText(),
                                  platform::BoxButtons::Ok);
}
