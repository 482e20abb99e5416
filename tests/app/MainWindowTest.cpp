#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "app/Banner.h"
#include "app/Main.h"
#include "app/Wait.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/PageForm.h"
#include "pages/advanced/Performace.h"
#include "pages/home/Wirless.h"
#include "pages/tools/Admin2.h"
#include "pages/tools/Cfghis.h"
#include "pages/tools/Firmware.h"
#include "platform/Ui.h"
#include "tests/app/ModuleSetup.h"
#include "tests/support/VraSim.h"

namespace {

const char* const IfIpAddress = "1.3.6.1.4.1.32473.10.37.38.5.1.2.1.1.2.1";
const char* const SettingApply = "1.3.6.1.4.1.32473.10.37.38.4.2.3.0";
const char* const UpgradeCommand = "1.3.6.1.4.1.32473.10.37.38.4.3.2.5.0";

bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return VraSim::waitUntil(condition, timeoutMs);
}

int countSets(const std::vector<SimSetRecord>& sets, const std::string& oid,
              const std::string& value) {
    int found = 0;
    for (const SimSetRecord& set : sets)
        for (const SimVarBind& binding : set.vbs)
            if (binding.oid == oid && binding.value == value) ++found;
    return found;
}

// A main window started as the platform starts it: the registry and the device's settings file
// point it at a fresh vra-sim (SNMPv2c through the file), the switches name the device.
class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        // Short SNMP time-outs and countdown ticks: a silent device times out after 100 ms, not 1
        // s.
        setenv("VRA2260_TIME_SCALE", "0.1", 1);
        setup_.exportEnvironment();
        sim_ = std::make_unique<VraSim>();
        setup_.writeSettings("127.0.0.1",
                             {{"AgentPort", std::to_string(sim_->port())}, {"Version", "2c"}});
        ui_ = platform::ScriptedUi::install();
    }

    void TearDown() override {
        form_.reset();
        sim_.reset();
        CvMessages::resetToBuiltIn();
        unsetenv("VRA2260_TIME_SCALE");
        unsetenv("VRA2260_TFTP_PORT");
    }

    TMainForm& start(const QStringList& switches = {"/I127.0.0.1", "/Rpublic", "/Wprivate"}) {
        form_ = std::make_unique<TMainForm>(switches);
        EXPECT_TRUE(form_->FormCreate()) << "the first start for an address must run";
        return *form_;
    }

    bool heartbeatLineShown() const {
        static const QRegularExpression line(
            QStringLiteral("^Get: \\(ViZURU\\+\\+\\) Ok!\\. Receive at \\d\\d:\\d\\d:\\d\\d\\.$"));
        return line.match(form_->StatusBar1->SimpleText()).hasMatch();
    }

    bool allLamps(bool lit) const {
        const TBanner* banner = form_->Banner;
        return banner->Lit(TBanner::Power) == lit && banner->Lit(TBanner::Lan) == lit &&
               banner->Lit(TBanner::Wireless) == lit;
    }

    ModuleSetup setup_;
    std::unique_ptr<VraSim> sim_;
    platform::ScriptedUi* ui_ = nullptr;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(MainWindow,
       StartAgainstDevice_ShowsCaptionHeartbeatLineLampsAnimatedFor24TicksAndPolledAddress) {
    TMainForm& form = start();
    EXPECT_EQ(form.windowTitle(), "VRA-2260 : 127.0.0.1");
    EXPECT_EQ(MainForm, &form);
    EXPECT_EQ(CvSNMPSession::Defaults().port, sim_->port()) << "AgentPort of the settings file";
    EXPECT_EQ(CvSNMPSession::Defaults().version, 2) << "Version of the settings file";
    EXPECT_EQ(CvSNMPSession::Defaults().readCommunity, "public");

    ASSERT_TRUE(pumpUntil([&] { return heartbeatLineShown(); }))
        << "status bar shows: " << form.StatusBar1->SimpleText().toStdString();
    EXPECT_TRUE(form.LampTimer->isActive());
    EXPECT_EQ(form.HeartbeatsSent(), 1) << "the next heartbeat waits 5 s after the answer";

    // The animation: power stays lit, LAN toggles every tick, wireless every fourth tick.
    ASSERT_TRUE(pumpUntil([&] { return form.LampTicks() >= 1; }));
    EXPECT_TRUE(form.Banner->Lit(TBanner::Power));
    EXPECT_FALSE(form.Banner->Lit(TBanner::Lan));
    EXPECT_TRUE(form.Banner->Lit(TBanner::Wireless));
    ASSERT_TRUE(pumpUntil([&] { return form.LampTicks() >= 4; }));
    EXPECT_TRUE(form.Banner->Lit(TBanner::Lan));
    EXPECT_FALSE(form.Banner->Lit(TBanner::Wireless));

    ASSERT_TRUE(pumpUntil([&] { return !form.IPAddressEdit->text().isEmpty(); }));
    EXPECT_EQ(form.IPAddressEdit->text().toStdString(), sim_->value(IfIpAddress));
    EXPECT_FALSE(form.SubMaskEdit->text().isEmpty());
    EXPECT_FALSE(form.IPAddressEdit->isVisible());

    // An address changed on the device reaches the edit within one poll.
    ASSERT_NE(form.IPAddressEdit->text(), "10.20.30.40");
    sim_->knob(std::string("set ") + IfIpAddress + " 10.20.30.40");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(pumpUntil([&] { return form.IPAddressEdit->text() == "10.20.30.40"; }, 4000));
    EXPECT_LE(clock.elapsed(), 2000 + 500) << "one 2 s poll and its answer";

    // The animation stops after 24 ticks with every lamp lit.
    form.LampTimer->setInterval(5);
    ASSERT_TRUE(pumpUntil([&] { return !form.LampTimer->isActive(); }));
    EXPECT_EQ(form.LampTicks(), 24);
    EXPECT_TRUE(allLamps(true));
    EXPECT_TRUE(ui_->boxes.empty());
}

// An address that names no device, then a device gone silent: the error text in the status bar
// and black lamps, and polls and heartbeats go on failing quietly, with no box for the user to
// acknowledge, until the device answers again.
TEST_F(MainWindow, UnusableAddressOrSilencedDevice_TurnsLampsBlackWithTheErrorTextUntilAnswered) {
    for (const bool silenced : {false, true}) {
        SCOPED_TRACE(silenced ? "silenced" : "unusable address");
        form_.reset();
        const QString address = silenced ? "127.0.0.1" : "no..such..host";
        TMainForm& form = start({"/I" + address});
        EXPECT_EQ(form.windowTitle(), "VRA-2260 : " + address);
        form.PollTimer->setInterval(10);
        form.HeartbeatTimer->setInterval(50);
        if (silenced) {
            ASSERT_TRUE(pumpUntil([&] { return heartbeatLineShown(); }));
            sim_->knob("silence on");
        }
        const QString failure = QString::fromStdString(CvMessages::text(silenced ? -405 : -407));
        ASSERT_TRUE(pumpUntil([&] { return form.StatusBar1->SimpleText() == failure; }))
            << "status bar shows: " << form.StatusBar1->SimpleText().toStdString();
        EXPECT_TRUE(allLamps(false));
        EXPECT_FALSE(form.LampTimer->isActive()) << "a running animation would relight the lamps";
        const int sent = form.HeartbeatsSent();
        ASSERT_TRUE(pumpUntil([&] { return form.HeartbeatsSent() >= sent + 3; }))
            << "the heartbeat keeps trying";
        EXPECT_TRUE(allLamps(false));
        EXPECT_EQ(form.StatusBar1->SimpleText(), failure);
        EXPECT_TRUE(ui_->boxes.empty()) << ui_->boxes[0].text.toStdString();
    }
    sim_->knob("silence off");
    ASSERT_TRUE(pumpUntil([&] { return heartbeatLineShown(); }));
    EXPECT_TRUE(form_->Banner->Lit(TBanner::Power));
    EXPECT_TRUE(form_->LampTimer->isActive());
}

// Watches the countdown dialog while its modal loop runs, from a timer of the test.
struct CountdownWatch {
    explicit CountdownWatch(TMainForm& form, std::function<void(TFM_Waiting&)> look) {
        timer.setInterval(2);
        QObject::connect(&timer, &QTimer::timeout, [&form, look] {
            if (auto* waiting = form.findChild<TFM_Waiting*>()) look(*waiting);
        });
        timer.start();
    }
    QTimer timer;
};

TEST_F(MainWindow, SaveAndActivate_SetsApplyThenCountsDownFifteenWithoutReboot) {
    TMainForm& form = start();
    sim_->clearJournal();
    QString label2, label3;
    int lastTick = 0;
    bool reboot = true;
    CountdownWatch watch(form, [&](TFM_Waiting& waiting) {
        if (!waiting.isVisible()) return;
        label2 = waiting.Label2->text();
        label3 = waiting.Label3->text();
        reboot = waiting.Reboot;
        lastTick = waiting.Ticks();
    });

    form.SaveActivate1Click();

    const auto sets = sim_->sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].vbs.size(), 1u);
    EXPECT_EQ(sets[0].vbs[0].oid, SettingApply);
    EXPECT_EQ(sets[0].vbs[0].type, "i");
    EXPECT_EQ(sets[0].vbs[0].value, "1");
    EXPECT_EQ(label2, "Settings saved.");
    EXPECT_EQ(label3, "The settings are saving and taking effect.");
    EXPECT_FALSE(reboot);
    EXPECT_GE(lastTick, 19) << "a count of 15 stays open for 20 ticks";
    EXPECT_TRUE(ui_->boxes.empty());
}

TEST_F(MainWindow,
       DiscardChanges_SendsNothingWhenCancelled_AfterOkRebootsOnceOnTheSecondTick_ARefusalNoCount) {
    TMainForm& form = start();
    // A busy machine may answer later than the scaled 100 ms; a retry would reach the journal
    // as a second set.
    CvSNMPSession::Defaults().timeout = 1000;
    sim_->clearJournal();
    int tickOfFirstReboot = -1;
    bool rebootBeforeSecondTick = false;
    QString label2, label3, firmware;
    int lastTick = 0;
    CountdownWatch watch(form, [&](TFM_Waiting& waiting) {
        label2 = waiting.Label2->text();
        label3 = waiting.Label3->text();
        firmware = waiting.La_Firmware->text();
        lastTick = waiting.Ticks();
        if (waiting.Ticks() < 2 && countSets(sim_->sets(), UpgradeCommand, "4") > 0)
            rebootBeforeSecondTick = true;
        if (tickOfFirstReboot < 0 && waiting.RebootsSent() > 0) tickOfFirstReboot = waiting.Ticks();
    });

    ui_->answers = {platform::BoxResult::Cancel, platform::BoxResult::Ok};
    form.DiscardChanges1Click();
    EXPECT_TRUE(label2.isEmpty()) << "a cancelled question shows no countdown";
    EXPECT_TRUE(sim_->sets().empty()) << "a cancelled question sends nothing";
    form.DiscardChanges1Click();

    ASSERT_EQ(ui_->boxes.size(), 2u);
    for (const platform::BoxRecord& box : ui_->boxes) {
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.text, "Device will reboot, continue?");
        EXPECT_EQ(box.buttons, platform::BoxButtons::OkCancel);
    }
    EXPECT_EQ(label2, "Changes discarded.");
    EXPECT_EQ(label3, "The device is restarting.");
    const std::string version = "1.3.6.1.4.1.32473.10.37.38.5.1.1.0";
    EXPECT_EQ(firmware.toStdString(), sim_->value(version)) << "read as the countdown is built";
    int reads = 0;
    for (const SimSetRecord& get : sim_->gets()) reads += get.vbs.at(0).oid == version;
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(tickOfFirstReboot, 2);
    EXPECT_FALSE(rebootBeforeSecondTick);
    EXPECT_EQ(countSets(sim_->sets(), UpgradeCommand, "4"), 1) << "exactly one Reboot command";
    EXPECT_EQ(countSets(sim_->sets(), SettingApply, "1"), 0);
    EXPECT_GE(lastTick, 50);

    // Refused by the device, Save and Activate or the Reboot: the device's text in an "Error"
    // box, and no countdown (Discard's closes at once).
    for (const char* refused : {SettingApply, UpgradeCommand})
        sim_->knob(std::string("fail ") + refused + " genErr set");
    for (auto choose : {&TMainForm::SaveActivate1Click, &TMainForm::DiscardChanges1Click}) {
        lastTick = 0;
        (form.*choose)();
        EXPECT_LT(lastTick, 10) << "a countdown ran on after the refusal";
        EXPECT_EQ(ui_->boxes.back().caption, "Error");
        EXPECT_EQ(ui_->boxes.back().text.toStdString(), CvMessages::text(-105));
    }
}

// The menu as the platform's users know it: each item with the page class it opens ("" for the
// two Configuration actions).
const std::vector<std::pair<QString, QString>> MenuTable = {
    {"Home > Information", "TFM_Information"},
    {"Home > Wireless", "TFM_Wirless"},
    {"Home > LAN", "TFM_LanCfg"},
    {"Advanced > Performance", "TFM_Performace"},
    {"Advanced > Filters > Wireless MAC ACL", "TFM_FilterMACACL"},
    {"Advanced > Filters > WLAN Partition", "TFM_WLANPart"},
    {"Advanced > Multi-SSID", "TFM_MultiSSIDNewForm"},
    {"Advanced > DHCP Server", "TFM_DHCP"},
    {"Advanced > Intrusion", "TFM_RogueAP"},
    {"Advanced > Schedule", "TFM_Scheduling"},
    {"Advanced > QoS", "TFM_QosSetting"},
    {"Advanced > VLAN", "TFM_VlanSetting"},
    {"Tools > Admin", "TFM_Admin2"},
    {"Tools > System", "TFM_Sytem"},
    {"Tools > Firmware and SSL Certification Upload", "TFM_Firmware"},
    {"Tools > Time and Date", "TFM_Time"},
    {"Tools > Configuration File", "TFM_CfgFile"},
    {"Configuration > Save and Activate", ""},
    {"Configuration > Discard Changes", ""},
    {"Status > Device Infomation", "TFM_DevInfo"},
    {"Status > Client Information", "TClientInformation"},
    {"Status > WDS Information", "TFM_WDSInfo"},
    {"Status > Stats > Ethernet", "TFM_Static"},
    {"Status > Stats > WLAN", "TFM_StatWLAN"},
    {"Status > Log > View Log", "TLogForm"},
    {"Status > Log > Log Settings", "TLogSetForm"},
    {"Help > About", "TAboutForm"},
};

// Every item of the main window's menu, by its path.
std::vector<std::pair<QString, QAction*>> menuItems(TMainForm& form) {
    std::vector<std::pair<QString, QAction*>> items;
    std::function<void(QMenu*, const QString&)> collect = [&](QMenu* menu, const QString& path) {
        for (QAction* action : menu->actions()) {
            const QString name = path + " > " + action->text();
            if (action->menu())
                collect(action->menu(), name);
            else
                items.emplace_back(name, action);
        }
    };
    for (QAction* action : form.menuBar()->actions()) collect(action->menu(), action->text());
    return items;
}

// What choosing a page's menu item showed: the page closed as soon as its modal loop ran, and
// how long the window had not been the user's until then.
struct PageShown {
    QString pageClass;
    bool modal = false;
    bool outlivedItsHandler = false;
    qint64 heldMs = -1;
};

// onPage, when given, sees the page once before it is closed.
PageShown openAndClose(QAction* action, const std::function<void(QDialog*)>& onPage = {}) {
    PageShown seen;
    QPointer<QWidget> shown;
    QElapsedTimer clock;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* page = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!page || qobject_cast<TFM_Waiting*>(page) || (shown && seen.heldMs < 0)) return;
        if (!shown) {
            shown = page;
            if (onPage) onPage(page);
            seen.heldMs = clock.elapsed();
            seen.pageClass = QString::fromLatin1(page->metaObject()->className());
            seen.modal = page->isModal();
        }
        // A page busy with an asynchronous read may refuse to close at once.
        page->done(QDialog::Rejected);
    });
    closer.start();
    clock.start();
    action->trigger();
    closer.stop();
    seen.outlivedItsHandler = !shown.isNull();
    return seen;
}

// How long each page may hold the window for a silent device at creation, in seconds at time
// scale 1: the waits (time-out times two tries) of its first synchronous request and of each
// later one allowed longer than all before. Pages reading nothing synchronously are left out.
const std::map<QString, double> FirstSynchronousWait = {
    {"Home > Wireless", 200},
    {"Home > LAN", 20},
    {"Advanced > Performance", 200},
    {"Advanced > Filters > Wireless MAC ACL", 200},
    {"Advanced > Filters > WLAN Partition", 12},
    {"Advanced > Multi-SSID", 200},
    {"Advanced > DHCP Server", 200},
    {"Advanced > Intrusion", 200},
    {"Advanced > Schedule", 200},
    {"Advanced > QoS", 200},
    {"Advanced > VLAN", 200},
    {"Tools > Admin", 200},
    {"Tools > Time and Date", 200},
    {"Status > Device Infomation", 200},
    {"Status > Client Information", 200},
    {"Status > WDS Information", 120},
    {"Status > Stats > Ethernet", 200},
    {"Status > Stats > WLAN", 200},
    {"Status > Log > Log Settings", 200},
};

// Values pages write of their own, read or not: the policy for an empty MAC list, the schedule's
// node statuses (no control holds them), the restart.
const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::vector<std::string> OwnValues = {E + ".2.1.3.3.2.3.2.1.1.1", E + ".4.11.1.1.9.",
                                            E + ".4.2.1.0"};

// What a user gives a page before its main action where the page's checks need it, and the
// objects that input chooses.
struct PageInput {
    std::function<void(QDialog*)> give;
    std::vector<std::string> chosen;
};

void typeInto(CvEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->textEdited(text);
}

void pick(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString() << " is not offered";
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

const std::string R = E + ".2.1.3.3.1.1.1.", S = E + ".2.1.3.3.2.1.1.";
const std::map<QString, PageInput> InputsOfPages = {
    {"TFM_Admin2",
     {[](QDialog* page) { typeInto(static_cast<TFM_Admin2*>(page)->Ed_Usr, "admin"); },
      {E + ".4.1.1.1.2."}}},
    {"TFM_Wirless",
     {[](QDialog* page) {
          auto* wireless = static_cast<TFM_Wirless*>(page);
          typeInto(wireless->Ed_SSID, "Office");
          pick(wireless->CB_APMode, "Access Point");
          pick(wireless->CB_SecurityMode, "Open System");
      },
      {R + "1.", R + "28.", S + "1."}}},
    {"TFM_Performace",
     {[](QDialog* page) {
          auto* performance = static_cast<TFM_Performace*>(page);
          typeInto(performance->Ed_BeInta, "100");
          typeInto(performance->Ed_DTIMa, "3");
          typeInto(performance->Ed_AckTimeOut, "64");
          typeInto(performance->Ed_ULimit, "32");
      },
      {R + "17.", R + "18.", R + "31.", E + ".3.2.1.1.2."}}},
};

bool under(const std::string& oid, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const std::string& prefix) { return oid.rfind(prefix, 0) == 0; });
}

// Every item of the menu opens its own page modally, in SNMPv2c and v3. Against an agent that is
// not the device (the MIB-II system group only, every set refused), each page's main action is
// pressed after the input its checks need: nothing it refused is reported as a success, no
// countdown runs on after a refusal, and no value whose read failed is written, of any syntax,
// unless the user chose it. Against a silent device a page gives the window back
// after the waits of its table (and, for SNMPv3, one discovery's before them); against the fault
// each later request of the action waited as long again.
TEST_F(MainWindow, EveryMenuItem_ForeignAgentSeesNoRefusalReportedAsSuccess_SilentOneOneWait) {
    setenv("VRA2260_TFTP_PORT", std::to_string(freeUdpPort()).c_str(), 1);
    sim_->knob("profile foreign");
    QTemporaryDir files;
    QFile image(files.filePath("image.dcf.bin"));  // a configuration file and a firmware image
    ASSERT_TRUE(image.open(QIODevice::WriteOnly) && image.write("image") > 0 && image.flush());
    static const QRegularExpression success(QStringLiteral("\\bok\\b|suc+es+"),
                                            QRegularExpression::CaseInsensitiveOption);
    int ticks = 0;  // the most a countdown reached: a full count of 50 runs 55
    const auto counting = [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* wait = qobject_cast<TFM_Waiting*>(widget); wait && wait->isVisible()) {
                ticks = std::max(ticks, wait->Ticks());
                return true;
            }
        return false;
    };
    QTimer countdownScan;
    QObject::connect(&countdownScan, &QTimer::timeout, counting);
    countdownScan.start(2);
    // Until no request has reached the agent for a while and no countdown is shown.
    const auto settle = [&] {
        for (size_t seen = 0, quiet = 0, now = 1; quiet < 2; seen = now) {
            now = sim_->gets().size() + sim_->sets().size();
            quiet = now == seen && !counting() ? quiet + 1 : 0;
            pumpUntil([] { return false; }, 120);
        }
    };
    QStringList unpressed;  // pages whose main action was not pressed
    const QStringList v2c = {"/I127.0.0.1"},
                      v3 = {"/I127.0.0.1", "/v3",  "/nshaaes",      "/l3",
                            "/A3",         "/P19", "/aauthpass123", "/pprivpass123"};
    for (const auto& [silent, switches] :
         {std::pair{false, v2c}, std::pair{false, v3}, std::pair{true, v2c}, std::pair{true, v3}}) {
        constexpr double silentScale = 0.005;
        setenv("VRA2260_TIME_SCALE", silent ? "0.005" : "0.05", 1);
        if (silent) sim_->knob("silence on");
        form_.reset();
        const auto items = menuItems(start(switches));
        ASSERT_EQ(items.size(), MenuTable.size());
        for (size_t item = 0; item < items.size(); ++item) {
            const auto& [path, action] = items[item];
            SCOPED_TRACE(path.toStdString() + (silent ? " silent " : " foreign ") +
                         switches.value(1).toStdString());
            EXPECT_EQ(path, MenuTable[item].first);
            if (silent) {
                if (MenuTable[item].second.isEmpty()) continue;
                const auto wait = FirstSynchronousWait.find(path);
                const double waitMs =
                    wait == FirstSynchronousWait.end() ? 0 : wait->second * 1000 * silentScale;
                const PageShown seen = openAndClose(action);
                EXPECT_GE(seen.heldMs, 0);
                EXPECT_LT(seen.heldMs,
                          static_cast<qint64>(waitMs * (switches.size() > 1 ? 2 : 1)) + 1000);
                continue;
            }
            const size_t boxesBefore = ui_->boxes.size();
            ticks = 0;
            QStringList texts;
            sim_->clearJournal();
            const PageShown seen = openAndClose(action, [&](QDialog* page) {
                settle();
                if (auto* transfer = qobject_cast<TFM_CfgFile*>(page))
                    transfer->Ed_UpgFile->setText(image.fileName());
                if (auto* transfer = qobject_cast<TFM_Firmware*>(page))
                    transfer->Ed_UpgFile->setText(image.fileName());
                if (const auto input = InputsOfPages.find(MenuTable[item].second);
                    input != InputsOfPages.end())
                    input->second.give(page);
                QPushButton* button = nullptr;
                for (const char* text : {"Save", "Restart", "Get Log", "Refresh", "OK"})
                    for (QPushButton* candidate : page->findChildren<QPushButton*>())
                        if (!button && candidate->text() == text) button = candidate;
                if (button && button->isVisibleTo(page) && button->isEnabled()) {
                    button->click();
                    settle();
                } else if (!unpressed.contains(path)) {
                    unpressed << path;
                }
                for (CvStatusBar* bar : page->findChildren<CvStatusBar*>()) {
                    texts << bar->SimpleText();
                    for (QLabel* panel : bar->Panels()) texts << panel->text();
                }
            });
            EXPECT_EQ(seen.pageClass, MenuTable[item].second) << "each item opens its own page";
            EXPECT_EQ(seen.modal, !seen.pageClass.isEmpty());
            EXPECT_FALSE(seen.outlivedItsHandler);
            settle();
            std::vector<std::string> read;
            for (const SimSetRecord& get : sim_->gets())
                for (const SimVarBind& binding : get.vbs) read.push_back(binding.oid);
            const auto input = InputsOfPages.find(seen.pageClass);
            const std::vector<std::string> chosen =
                input == InputsOfPages.end() ? std::vector<std::string>{} : input->second.chosen;
            for (const SimSetRecord& set : sim_->sets())
                for (const SimVarBind& sent : set.vbs)
                    EXPECT_FALSE(under(sent.oid, {E}) && under(sent.oid, read) &&
                                 !under(sent.oid, OwnValues) && !under(sent.oid, chosen))
                        << "sends " << sent.oid << " = " << sent.value << ", whose read failed";
            for (size_t box = boxesBefore; box < ui_->boxes.size(); ++box)
                texts << ui_->boxes[box].text;
            // The agent answers table walks: a table it does not have ends as an empty one does.
            const QStringList walks = seen.pageClass == "TFM_DHCP"
                                          ? QStringList{"Get OK!", "Get OK"}
                                          : QStringList();
            for (const QString& text : texts)
                EXPECT_TRUE(!success.match(text).hasMatch() || walks.contains(text))
                    << "shows \"" << text.toStdString() << "\"";
            EXPECT_LT(ticks, 25) << "a countdown ran on after a refusal";
        }
    }
    // DHCP offers Save only over settings it read; Device Information has no action.
    EXPECT_EQ(unpressed, QStringList({"Advanced > DHCP Server", "Status > Device Infomation"}))
        << unpressed.join(", ").toStdString();
}

TEST_F(MainWindow, SwitchesWinOverTheSettingsFile) {
    setup_.writeSettings("127.0.0.1", {{"AgentPort", std::to_string(sim_->port())},
                                       {"Version", "1"},
                                       {"SecurityName", "fileuser"}});
    start(
        {"/I127.0.0.1", "/v3", "/nshaaes", "/l3", "/A3", "/P19", "/aauthpass123", "/pprivpass123"});
    ASSERT_TRUE(pumpUntil([&] { return heartbeatLineShown(); }))
        << "SNMPv3 heartbeat; status bar shows: " << form_->StatusBar1->SimpleText().toStdString();
    // The file's port reached the device, with the switches' version and user.
    const SimSetRecord heartbeat = sim_->gets().back();
    EXPECT_EQ(heartbeat.version + " " + heartbeat.community, "3 shaaes");
}

TEST_F(MainWindow, SettingsFileValues_ReachTheSessionAsTheSameOctetsAsSwitches) {
    // A Latin-1 "é" (0xE9) in the file: the same single octet that "/n" would give.
    setup_.writeSettings("127.0.0.1", {{"AgentPort", std::to_string(sim_->port())},
                                       {"Version", "3"},
                                       {"SecurityName", "caf\xe9"},
                                       {"AuthPassword", "\"p\xe4sswort1\""}});
    start({"/I127.0.0.1"});
    EXPECT_EQ(CvSNMPSession::Defaults().securityName, "caf\xe9");
    EXPECT_EQ(CvSNMPSession::Defaults().authPassword, "p\xe4sswort1");
    form_.reset();

    // A file saved as UTF-8 with a byte-order mark means the same characters.
    QFile file(setup_.mibDir() + "/127.0.0.1.cfg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(
        "\xEF\xBB\xBF[Program Information]\nVersion=3\nSecurityName=caf\xC3\xA9\n"
        "ContextName=\xE2\x82\xAC\n");
    file.close();
    start({"/I127.0.0.1"});
    EXPECT_EQ(CvSNMPSession::Defaults().securityName, "caf\xe9");
    EXPECT_EQ(CvSNMPSession::Defaults().contextName, "") << "a euro sign has no 8-bit form";
}

TEST_F(MainWindow, MissingSettingsFileOrRegistryOrAnAddressNamingAnotherFolder_KeepsTheDefaults) {
    start({"/I127.0.0.9"});
    EXPECT_EQ(CvSNMPSession::Defaults().port, 161);
    EXPECT_EQ(CvSNMPSession::Defaults().version, 1);
    form_.reset();

    setenv("VRA2260_REGISTRY", (setup_.folder() + "/missing.ini").toLocal8Bit().constData(), 1);
    start({"/I127.0.0.1", "/Rcommunity"});
    EXPECT_EQ(CvSNMPSession::Defaults().port, 161);
    EXPECT_EQ(CvSNMPSession::Defaults().version, 1);
    EXPECT_EQ(CvSNMPSession::Defaults().readCommunity, "community");
    EXPECT_EQ(CvSNMPSession::Defaults().writeCommunity, "private");
    EXPECT_EQ(CvSNMPSession::Defaults().timeout, 100);
    form_.reset();

    // An address with a path separator reads no settings file outside the MIB folder.
    setup_.exportEnvironment();
    QFile outside(setup_.mibDir() + "/../outside.cfg");
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write("[Program Information]\nAgentPort=1234\nVersion=3\n");
    outside.close();
    start({"/I../outside"});
    EXPECT_EQ(CvSNMPSession::Defaults().port, 161);
    EXPECT_EQ(CvSNMPSession::Defaults().version, 1);
}

TEST_F(MainWindow, MessageFilesOfTheModuleFolder_ReplaceTheHeartbeatLine) {
    QFile file(setup_.folder() + "/module/errmsg/snmp.msg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Beat [ERROR] Request:[VARLIST] at [TIME]\r\n");
    file.close();
    TMainForm& form = start();
    static const QRegularExpression line(
        QStringLiteral("^Beat \\(ViZURU\\+\\+\\) Ok! at \\d\\d:\\d\\d:\\d\\d$"));
    ASSERT_TRUE(pumpUntil([&] { return line.match(form.StatusBar1->SimpleText()).hasMatch(); }))
        << "status bar shows: " << form.StatusBar1->SimpleText().toStdString();
}

TEST_F(MainWindow, BandAndRadio_AreReadAtStartAndAgainAfterTheirPagesClose) {
    TMainForm& form = start();
    ASSERT_TRUE(pumpUntil([&] { return form.CB_Band->currentIndex() >= 0; }));
    EXPECT_EQ(form.CB_Band->currentText(), "2.4GHz");
    ASSERT_TRUE(pumpUntil([&] { return form.CB_RadioWave->currentIndex() >= 0; }));
    EXPECT_EQ(form.CB_RadioWave->currentText(), "On");
    EXPECT_FALSE(form.CB_Band->isVisible());

    sim_->knob("set 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.34.1 1");
    sim_->knob("set 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.23.1 0");
    // Whatever page the handlers open is closed as soon as it shows.
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* page = qobject_cast<QDialog*>(QApplication::activeModalWidget())) page->reject();
    });
    closer.start();
    form.hWirelessBand1Click();
    form.adPerformance1Click();
    form.UserLimitClick();  // no menu item binds it; its page reads the load balance first
    bool loadBalanceRead = false;
    for (const SimSetRecord& get : sim_->gets())
        loadBalanceRead |= get.vbs[0].oid == "1.3.6.1.4.1.32473.10.37.38.3.2.1.1.1.1";
    EXPECT_TRUE(loadBalanceRead);
    ASSERT_TRUE(pumpUntil([&] { return form.CB_Band->currentText() == "5GHz"; }));
    ASSERT_TRUE(pumpUntil([&] { return form.CB_RadioWave->currentText() == "Off"; }));
}

TEST_F(MainWindow, PageLargerThanTheMainWindow_OpensWithItsTopLeftOnTheScreen) {
    TMainForm& form = start();
    form.move(form.screen()->availableGeometry().topLeft());
    QDialog page;
    page.setFixedSize(form.width() + 300, form.height() + 300);
    centreOnMainWindow(&page);
    const QRect room = form.screen()->availableGeometry();
    EXPECT_GE(page.x(), room.left());
    EXPECT_GE(page.y(), room.top());
}

}  // namespace
