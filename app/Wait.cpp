#include "app/Wait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <exception>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvSNMPRequest.h"
#include "platform/Environment.h"

namespace {

const CvSNMPVarItem FirmwareVersionItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.5.1.1", "deviceInformationFirmwareVersion", SYN_DISPLAYSTRING,
     ACC_READONLY, nullptr, "", ""},
    {},
};

const CvSNMPVarItem UpgradeCommandItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.4.3.2.5", "tftpUpgradeSettingCommand", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::TftpUpgradeCommand, "", ""},
    {},
};

const char* const RebootValue = "4";
const int TickMs = 1200;
// Ticks the count stands at 1 before the user may close the dialog, and before it closes itself.
const int TicksBeforeUserClose = 3;
const int TicksBeforeSelfClose = 6;
// How long Show() waits for the window system to put the dialog on the screen.
const int ExposeWaitMs = 1000;

}  // namespace

TFM_Waiting::TFM_Waiting(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Please wait"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("Please wait for"), this);
    La_Time = new QLabel(this);
    seconds = new QLabel(QStringLiteral("seconds"), this);
    Label2 = new QLabel(QStringLiteral("Settings saved."), this);
    Label3 = new QLabel(QStringLiteral("The device is restarting."), this);
    La_Firmware = new QLabel(this);
    La_Firmware->hide();
    QFont big = La_Time->font();
    big.setBold(true);
    La_Time->setFont(big);
    La_Time->setMinimumWidth(La_Time->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    La_Time->setAlignment(Qt::AlignCenter);

    auto* countRow = new QHBoxLayout;
    countRow->addStretch();
    countRow->addWidget(Label1);
    countRow->addWidget(La_Time);
    countRow->addWidget(seconds);
    countRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(10);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);
    layout->addWidget(Label3, 0, Qt::AlignHCenter);
    layout->addLayout(countRow);
    setMinimumWidth(320);

    Timer1 = new QTimer(this);
    Timer1->setInterval(platform::scaledMs(TickMs));
    connect(Timer1, &QTimer::timeout, this, &TFM_Waiting::Timer1Timer);

    readFirmwareVersion();
}

TFM_Waiting::~TFM_Waiting() = default;

void TFM_Waiting::readFirmwareVersion() {
    // The version only decorates the dialog; a silent or restarting device must not stop it.
    try {
        CvSNMPRequest request;
        request.VarList = CvSNMPVarList(FirmwareVersionItems, SVT_SV, 0);
        if (request.Get().Code == 0 && !request.VarList.Values().empty())
            La_Firmware->setText(QString::fromLatin1(request.VarList.Values()[0].c_str()));
    } catch (const std::exception&) {
    }
}

int TFM_Waiting::exec() {
    ticks_ = 0;
    remaining_ = effectiveCount();
    La_Time->setText(QString::number(remaining_));
    refusal_.clear();
    Timer1->start();
    const int result = QDialog::exec();
    Timer1->stop();
    return result;
}

void TFM_Waiting::Show() {
    Label1->hide();
    La_Time->hide();
    seconds->hide();
    show();
    raise();
    // The window system maps a new window only through the event loop, and the synchronous sets
    // that follow block it: let the window appear and paint now, taking no user input meanwhile.
    // A loop of its own, not the caller's: a timer or an answer handled meanwhile runs outside
    // the caller's action, so that action's silent-device rule neither ends its requests nor
    // learns from them.
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (!(windowHandle() && windowHandle()->isExposed()) && clock.elapsed() < ExposeWaitMs)
            return;
        repaint();
        check.stop();
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    check.start(10);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void TFM_Waiting::Timer1Timer() {
    ++ticks_;
    if (remaining_ > 1) --remaining_;
    La_Time->setText(QString::number(remaining_));
    if (Reboot && ticks_ == 2) sendReboot();
    if (ticks_ >= effectiveCount() - 1 + TicksBeforeSelfClose) {
        Timer1->stop();
        done(QDialog::Accepted);
    }
}

bool TFM_Waiting::UserMayClose() const {
    return ticks_ >= effectiveCount() - 1 + TicksBeforeUserClose;
}

void TFM_Waiting::reject() {
    // The close box and Esc end up here; before the count has settled they are refused.
    if (UserMayClose()) QDialog::reject();
}

void TFM_Waiting::sendReboot() {
    ++rebootsSent_;
    try {
        reqReboot_ = std::make_unique<CvSNMPRequest>();
        reqReboot_->VarList = CvSNMPVarList(UpgradeCommandItems, SVT_SV, 0);
        reqReboot_->VarList.Values() = {RebootValue};
        reqReboot_->SetAsync([this](const CvSNMPError& outcome) {
            if (outcome.IsRefusal()) EndRefused(QString::fromStdString(outcome.Message));
        });
    } catch (const std::exception&) {
        // The device may already be restarting; the countdown goes on.
    }
}

void TFM_Waiting::EndRefused(const QString& text) {
    refusal_ = text;
    Timer1->stop();
    done(QDialog::Rejected);
}
