#include "tests/pages/PageHarness.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"

void PageHarness::SetUp() {
    sim_ = std::make_unique<VraSim>(deviceArguments());

    CvSNMPSession::Start();
    CvSNMPSettings& defaults = CvSNMPSession::Defaults();
    defaults = CvSNMPSettings{};
    defaults.address = "127.0.0.1";
    defaults.port = sim_->port();
    defaults.version = 2;
    defaults.securityModel = 2;
    defaults.readCommunity = "public";
    defaults.writeCommunity = "private";

    auto scripted = std::make_unique<platform::ScriptedUi>();
    ui_ = scripted.get();
    platform::installUi(std::move(scripted));
}

void PageHarness::TearDown() {
    closePage();
    sim_.reset();
}

void PageHarness::closePage() {
    // The page is deleted the way its menu handler deletes it; its requests cancel what is
    // still outstanding, so nothing of it runs once the next test starts.
    delete page_;
    page_ = nullptr;
    if (forgetPage_) forgetPage_();
    forgetPage_ = nullptr;
}

bool PageHarness::pumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    return VraSim::waitUntil(condition, timeoutMs);
}

QString PageHarness::simpleText(const CvStatusBar* statusBar) {
    return statusBar->SimpleText();
}

QString PageHarness::panelText(const CvStatusBar* statusBar, int panel) {
    return statusBar->PanelText(panel);
}

void PageHarness::typeText(QWidget* target, const QString& text) {
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
        QCoreApplication::sendEvent(target, &release);
    }
}

std::vector<std::string> PageHarness::oids(const SimSetRecord& set) {
    std::vector<std::string> found;
    for (const SimVarBind& binding : set.vbs) found.push_back(binding.oid);
    return found;
}

std::vector<QString> PageHarness::boxTexts() const {
    std::vector<QString> texts;
    for (const platform::BoxRecord& box : ui_->boxes) texts.push_back(box.text);
    return texts;
}
