#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <functional>
#include <string>
#include <vector>

#include "library/common/CvMessages.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Dhcp.h"
#include "pages/advanced/Filtermacacl.h"
#include "pages/advanced/Filterwlanpartition.h"
#include "pages/advanced/Group.h"
#include "pages/advanced/Multissid2.h"
#include "pages/advanced/Performace.h"
#include "pages/advanced/Qossetting.h"
#include "pages/advanced/Rogueap.h"
#include "pages/advanced/Scheduling.h"
#include "pages/advanced/Vlansetting.h"
#include "pages/home/Information.h"
#include "pages/home/Lan.h"
#include "pages/home/Wirless.h"
#include "pages/tools/About.h"
#include "pages/tools/Admin2.h"
#include "pages/tools/Cfghis.h"
#include "pages/tools/Clientinfo.h"
#include "pages/tools/Devinfo.h"
#include "pages/tools/Firmware.h"
#include "pages/tools/Logset.h"
#include "pages/tools/Static.h"
#include "pages/tools/Statwlan.h"
#include "pages/tools/System.h"
#include "pages/tools/Systemlog.h"
#include "pages/tools/Timedlg.h"
#include "pages/tools/Wdsinfo.h"
#include "tests/pages/LogFixture.h"

namespace {

// The smallest screen the module is used on, less a window manager's title bar and borders.
const QSize kRoom(1024 - 2 * 4, 768 - 30 - 2 * 4);

// The largest size a page takes while it is watched: its reads may show or hide controls.
class SizeWatch : public QObject {
  public:
    explicit SizeWatch(QWidget* page) : largest(page->size()) { page->installEventFilter(this); }
    QSize largest;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            largest = largest.expandedTo(static_cast<QWidget*>(watched)->size());
        return false;
    }
};

// The longest text of the message tables, in the line a request writes to its status bar.
QString longFailureText() {
    std::string longest;
    for (int code = -1; code >= -528; --code) {
        const std::string text = CvMessages::text(code);
        if (text.find("Unknown error") == std::string::npos && text.size() > longest.size())
            longest = text;
    }
    std::string line = CvMessages::fill(CvMessages::snmpMsg(2), "[ERROR]", longest);
    line = CvMessages::fill(line, "[VARLIST]", "sysDescr, sysContact, sysName, sysLocation");
    return QString::fromStdString(CvMessages::fill(line, "[TIME]", "12:00:00"));
}

// Brings the tab that holds a widget to the front, so that the widget is laid out and shown.
void showTabOf(QWidget* widget) {
    for (QWidget* child = widget; child->parentWidget(); child = child->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget());
        if (auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr)
            tabs->setCurrentWidget(child);
    }
}

}  // namespace

// Every page the menus open, the user limit page and the About box, against the device as it
// answers and as it stays silent: each fits the screen with every control on it, and each
// status bar shows a long failure text whole.
class PageSizes : public TransferPageTest {
  protected:
    struct Entry {
        const char* name;
        std::function<QDialog*()> open;
    };

    void checkEveryPage(const QString& state) {
        const std::vector<Entry> pages = {
            {"information", [this] { return openPage(FM_Information); }},
            {"wireless", [this] { return openPage(FM_Wirless); }},
            {"lan", [this] { return openPage(FM_LanCfg); }},
            {"performance", [this] { return openPage(FM_Performace); }},
            {"mac-acl", [this] { return openPage(FM_FilterMACACL); }},
            {"wlan-partition", [this] { return openPage(FM_WLANPart); }},
            {"multi-ssid", [this] { return openPage(FM_MultiSSIDNewForm); }},
            {"dhcp", [this] { return openPage(FM_DHCP); }},
            {"rogue-ap", [this] { return openPage(FM_RogueAP); }},
            {"schedule", [this] { return openPage(FM_Scheduling); }},
            {"qos", [this] { return openPage(FM_QosSetting); }},
            {"vlan", [this] { return openPage(FM_VlanSetting); }},
            {"user-limit", [this] { return openPage(FM_Group); }},
            {"admin", [this] { return openPage(FM_Admin2); }},
            {"system", [this] { return openPage(FM_Sytem); }},
            {"firmware", [this] { return openPage(FM_Firmware); }},
            {"time", [this] { return openPage(FM_Time); }},
            {"configuration-file", [this] { return openPage(FM_CfgFile); }},
            {"device-information", [this] { return openPage(FM_DevInfo); }},
            {"client-information", [this] { return openPage(ClientInformation); }},
            {"wds-information", [this] { return openPage(FM_WDSInfo); }},
            {"ethernet-stats", [this] { return openPage(FM_Static); }},
            {"wlan-stats", [this] { return openPage(FM_StatWLAN); }},
            {"log", [this] { return openPage(LogForm); }},
            {"log-settings", [this] { return openPage(LogSetForm); }},
            {"about", [this] { return openPage(about_); }},
        };
        const QString failure = longFailureText();
        for (const Entry& entry : pages) {
            SCOPED_TRACE(entry.name + (" " + state.toStdString()));
            QDialog* page = entry.open();
            QCoreApplication::processEvents();
            SizeWatch watch(page);
            expectTidyLayout(page);
            saveScreenshot(page, entry.name + ("-" + state));
            const QSize opened = watch.largest;
            for (CvStatusBar* bar : page->findChildren<CvStatusBar*>()) {
                showTabOf(bar);
                if (!bar->isVisibleTo(page)) continue;  // a bar the page never shows
                bar->ShowText(failure);
                QLabel* shown = nullptr;
                for (QLabel* label : bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
                    if (label->text() == failure) shown = label;
                ASSERT_TRUE(shown);
                EXPECT_TRUE(pumpUntil([shown] {
                    return shown->isVisible() && showsTextWhole(shown);
                })) << "the failure text is cut: "
                    << shown->width() << "x" << shown->height();
                const QLayout* row = bar->layout();
                EXPECT_GE(shown->width(), row->contentsRect().width() - row->spacing())
                    << "the status text does not stretch across the bar";
            }
            EXPECT_LE(watch.largest.width(), kRoom.width()) << "too wide for the screen";
            EXPECT_LE(watch.largest.height(), kRoom.height()) << "too high for the screen";
            RecordProperty(entry.name + ("-" + state.toStdString()),
                           QString("%1x%2").arg(opened.width()).arg(opened.height()).toStdString());
            closePage();
        }
    }

  private:
    TAboutForm* about_ = nullptr;
};

TEST_F(PageSizes, LayoutFitsTheScreenAndShowsALongFailureTextWhole) {
    checkEveryPage("normal");
}

TEST_F(PageSizes, LayoutFitsTheScreenAndShowsALongFailureTextWholeWhenTheDeviceIsSilent) {
    setTimeScale(0.001);
    sim().knob("silence on");
    checkEveryPage("silent");
}

// Pages whose opening reads a group of settings and then their table: a failed read of the
// opening is shown in place of the table read's "Get OK!", which stands when every read answers.
// The pages' own tests see "Get OK!" when every read of the opening answers.
TEST_F(PageSizes, AFailedReadOfTheOpeningIsShownInPlaceOfTheTableReadsGetOk) {
    sim().knob("fail 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.28.1 genErr get");
    for (const std::function<QDialog*()>& open : std::initializer_list<std::function<QDialog*()>>{
             [this] { return openPage(FM_MultiSSIDNewForm); },
             [this] { return openPage(FM_QosSetting); },
             [this] { return openPage(FM_VlanSetting); },
             [this] { return openPage(FM_FilterMACACL); },
             [this] { return openPage(FM_Scheduling); }}) {
        const CvStatusBar* bar = open()->findChild<CvStatusBar*>();
        EXPECT_TRUE(pumpUntil(
            [&] { return bar->ShownText().contains(QRegularExpression("Get OK!|genErr")); }));
        EXPECT_TRUE(bar->ShownText().contains("genErr")) << bar->ShownText().toStdString();
    }
}
