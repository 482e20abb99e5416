#include "pages/tools/Systemlog.h"

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "library/common/CvNetInterface.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "library/tftp/CvTFTPServer.h"
#include "pages/common/PageForm.h"
#include "pages/tools/TransferPage.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

TLogForm* LogForm = nullptr;
QString logFilePath;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const CvSNMPVarItem logServerTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.5.4.4", "systemLogTFTPServerIPAddress", SYN_IPADDRESS,
     ACC_READWRITE, nullptr, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.5.4.5", "systemLogFileName", SYN_DISPLAYSTRING, ACC_READWRITE,
     nullptr, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.5.4.6", "systemLogGetLog", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::NothingGet, "", ""},
    {},
};

const CvSNMPVarItem getLogTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.5.4.6", "systemLogGetLog", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::NothingGet, "", ""},
    {},
};

const CvSNMPVarItem clearLogTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.5.4.10", "systemLogClearLocalLog", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::NothingClear, "", ""},
    {},
};

// The page's TFTP server: time-out in units of 10 ms, and its retries.
constexpr int kServerTimeout = 5000;
constexpr int kServerRetries = 3;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TLogForm::TLogForm(QWidget* owner) : QDialog(owner) {
    programFolder.clear();
    buildControls();
    logTransfer_ = new TransferWatch(this);
    runGuarded(StatusBar1, [this] { FormCreate(); });
}

TLogForm::~TLogForm() {
    FormClose();
}

void TLogForm::buildControls() {
    setWindowTitle("Status \\ Log");
    setSingleBorder(this);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Box);
    Panel2 = new QFrame(Panel1);
    ViewGrpBox = new QGroupBox("View Log", Panel2);
    ViewListView = new CvListView(ViewGrpBox);
    ViewListView->MakeReport();
    for (const char* title : {"Time", "Type", "Message"}) {
        const int width = ViewListView->fontMetrics().horizontalAdvance(title) + 24;
        ViewListView->AddColumn(title, width);
    }
    ViewListView->horizontalHeader()->setStretchLastSection(true);
    ViewListView->setWordWrap(false);
    auto* groupLayout = new QVBoxLayout(ViewGrpBox);
    groupLayout->addWidget(ViewListView);
    auto* panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->addWidget(ViewGrpBox);

    LBLog = new QListWidget(this);
    LBLog->hide();
    ServerEdit = new CvEdit(this);
    ServerEdit->hide();
    FileNameEdit = new CvEdit(this);
    FileNameEdit->hide();
    GetCoBox = makeHiddenCombo(this);
    Bt_Clear = makeHiddenCombo(this);

    Panel3 = new QFrame(this);
    Panel3->setFrameShape(QFrame::NoFrame);
    Panel3->setFixedHeight(41);
    Clear_Btn = new QPushButton("Clear", Panel3);
    GetBtn = new QPushButton("Get Log", Panel3);
    CloseBtn = new QPushButton("Close", Panel3);
    int widest = 0;
    for (QPushButton* button : {Clear_Btn, GetBtn, CloseBtn}) {
        button->setFixedSize(std::max(75, button->sizeHint().width()), 25);
        widest = std::max(widest, button->width());
        // Enter in the list would otherwise press the first button and clear the device's log.
        button->setAutoDefault(false);
    }
    // The buttons sit at fixed fractions of the width, 110/478 apart and 110/478 from the right
    // edge: narrower than this, they would overlap or leave the window.
    setMinimumWidth((widest + 8) * 478 / 110 + 1);

    // Panel 0 stretches, so that a failure text is shown whole.
    StatusBar1 = new CvStatusBar(this);
    StatusBar1->AddPanel(-1);
    wrapStatusTexts(StatusBar1);

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(Panel1, 1);
    whole->addWidget(Panel3);
    whole->addWidget(StatusBar1);
    resize(478, 340);

    connectGuarded(GetBtn, &QPushButton::clicked, StatusBar1, [this] { GetBtnClick(); });
    connectGuarded(Clear_Btn, &QPushButton::clicked, StatusBar1, [this] { Clear_BtnClick(); });
    connectGuarded(CloseBtn, &QPushButton::clicked, StatusBar1, [this] { CloseBtnClick(); });
}

void TLogForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TLogForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormResize();
}

void TLogForm::FormResize() {
    Panel2->setGeometry(10, 10, std::max(0, Panel1->width() - 20),
                        std::max(0, Panel1->height() - 20));
    const int w = width();
    const int top = (Panel3->height() - Clear_Btn->height()) / 2;
    Clear_Btn->move(w * 142 / 478, top);
    GetBtn->move(w * 252 / 478, top);
    CloseBtn->move(w * 368 / 478, top);
}

// ---- Creation -------------------------------------------------------------------------------

void TLogForm::buildRequests() {
    reqLogServer = std::make_unique<CvSNMPRequest2Edits>(this);
    reqLogServer->Timeout = 1000;
    reqLogServer->VarList = CvSNMPVarList(logServerTable, SVT_SV, 0);
    reqLogServer->AssociateEdit(0, "%s", ServerEdit);
    reqLogServer->AssociateEdit(1, "%s", FileNameEdit);
    reqLogServer->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        runGuarded(StatusBar1, [&] { OnServerAddressSet(sender, error); });
    };

    reqGetLog = std::make_unique<CvSNMPRequest2Edits>(this);
    reqGetLog->Timeout = 1000;
    reqGetLog->VarList = CvSNMPVarList(getLogTable, SVT_SV, 0);
    reqGetLog->AssociateComboBox(0, GetCoBox);
    reqGetLog->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        runGuarded(StatusBar1, [&] { OnGetLogSet(sender, error); });
    };

    reqClearLog = std::make_unique<CvSNMPRequest2Edits>(this);
    reqClearLog->Timeout = 1000;
    reqClearLog->VarList = CvSNMPVarList(clearLogTable, SVT_SV, 0);
    reqClearLog->AssociateComboBox(0, Bt_Clear);
    reqClearLog->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        runGuarded(StatusBar1, [&] { OnClearSet(sender, error); });
    };
}

void TLogForm::FormCreate() {
    QString buildFailure;
    try {
        buildRequests();
        requestsBuilt_ = true;
    } catch (const std::exception& failure) {
        // Half-built requests would be used by Get Log and Clear later; drop them all.
        reqLogServer.reset();
        reqGetLog.reset();
        reqClearLog.reset();
        buildFailure = QString::fromStdString(failure.what());
    }
    programFolder = QString::fromStdString(platform::dataDir());
    tftpServer = startPageServer(
        this, kServerTimeout, kServerRetries,
        [this](const CvTFTPMsg& message) { OnTftpMessage(message); }, programFolder);
    if (!tftpServer) return;
    logFilePath = programFolder + "/" + kLogFileName;
    if (!requestsBuilt_) {
        StatusBar1->ShowText(buildFailure);
        return;
    }
    StatusBar1->ShowText("Refresh...");
    GetBtnClick();
}

// ---- Handlers -------------------------------------------------------------------------------

void TLogForm::GetBtnClick() {
    if (!requestsBuilt_) return;
    StatusBar1->ShowText("Refresh...!");
    FileNameEdit->SetText(kLogFileName);
    CvSNMPRequest2Edits::MarkChosen(FileNameEdit);
    ServerEdit->clear();
    if (!GetServerIPAddress(ServerEdit)) return;
    logTransfer_->cancel();
    sendCounted(*reqLogServer, serverSetsInFlight_);
}

void TLogForm::sendCounted(CvSNMPRequest2Edits& request, int& inFlight) {
    ++inFlight;
    try {
        request.Set(true, true, "");
    } catch (...) {
        --inFlight;
        throw;
    }
}

void TLogForm::OnServerAddressSet(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    // Get Log pressed again meanwhile: the newer press alone goes on.
    if (--serverSetsInFlight_ > 0) return;
    if (error.Code != 0) {
        StatusBar1->ShowText(QString::fromStdString(error.Message));
        return;
    }
    GetCoBox->setCurrentIndex(1);
    // The server takes LogFile.RD from the device alone, and only for this Get.
    logTransfer_->expect(tftpServer.get(), kLogFileName, kDeviceWrites);
    sendCounted(*reqGetLog, getSetsInFlight_);
}

void TLogForm::OnGetLogSet(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    if (--getSetsInFlight_ > 0 || serverSetsInFlight_ > 0) return;
    if (error.Code != 0) {
        logTransfer_->cancel();
        StatusBar1->ShowText(QString::fromStdString(error.Message));
        return;
    }
    // The acknowledgement alone proves nothing about the file: the device may send it later, or
    // not at all, and an older LogFile.RD must not be shown as the new log.
    logTransfer_->whenSettled(transferStartMs(kServerTimeout),
                              [this](bool received) { showLogResult(received); });
}

void TLogForm::showLogResult(bool received) {
    const bool parsed = received && ParseLogFile(logFilePath);
    StatusBar1->ShowText(parsed ? "Get OK." : "Get fail.");
}

void TLogForm::OnTftpMessage(const CvTFTPMsg& message) {
    logTransfer_->onMessage(message);
}

void TLogForm::Clear_BtnClick() {
    if (!requestsBuilt_) return;
    // An earlier refusal must not stand over this clear's outcome.
    StatusBar1->ShowText({});
    Bt_Clear->setCurrentIndex(1);
    reqClearLog->Set(true, true, "");
}

void TLogForm::OnClearSet(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    // The rows go only with the device's log: after a refusal they are still what it holds.
    if (error.Code != 0) {
        StatusBar1->ShowText(QString::fromStdString(error.Message));
        return;
    }
    ViewListView->ClearRows();
}

void TLogForm::CloseBtnClick() {
    close();
}

void TLogForm::done(int result) {
    FormCloseQuery();
    QDialog::done(result);
}

bool TLogForm::FormCloseQuery() {
    logTransfer_->cancel();
    if (tftpServer) tftpServer->Stop();
    tftpServer.reset();
    return true;
}

void TLogForm::FormClose() {
    reqLogServer.reset();
    reqGetLog.reset();
    reqClearLog.reset();
}

bool TLogForm::ParseLogFile(const QString& path) {
    bool loaded = false;
    if (QFile::exists(path)) {
        QStringList lines;
        loaded = loadLogLines(path, lines);
        LBLog->clear();
        LBLog->addItems(lines);
    }
    ViewListView->ClearRows();
    for (int i = 0; i < LBLog->count(); ++i) {
        const QString line = LBLog->item(i)->text();
        if (line.isEmpty()) continue;
        const LogEntry entry = splitLogLine(line);
        ViewListView->AddRow(entry.time, {entry.type, entry.message});
    }
    // Time and type are short and of one width each; the message takes the rest.
    for (int column : {0, 1}) {
        ViewListView->resizeColumnToContents(column);
        ViewListView->setColumnWidth(column, ViewListView->columnWidth(column) + 8);
    }
    return loaded;
}

bool TLogForm::GetServerIPAddress(QLineEdit* edit) {
    CvNetInterface interfaces[10];
    const int count = CvNetInterface::GetInterfaces(interfaces);
    std::vector<LocalAddress> locals;
    for (int i = 0; i < count; ++i)
        locals.push_back({QString::fromStdString(interfaces[i].Address),
                          QString::fromStdString(interfaces[i].Mask)});
    const QString deviceAddress = MainForm ? MainForm->IPAddressEdit->text() : QString();
    const QString deviceMask = MainForm ? MainForm->SubMaskEdit->text() : QString();
    const QString chosen = addressOnDeviceNetwork(locals, deviceAddress, deviceMask);
    if (!chosen.isEmpty()) edit->setText(chosen);
    // The module's own address, decided here: the device must be told it.
    CvSNMPRequest2Edits::MarkChosen(edit);
    if (edit->text().isEmpty()) {
        plainMessage(edit->window(), "Invalid Server IP Address or SNMP timed out!");
        return false;
    }
    return true;
}

QString TLogForm::NetworkAddress(const QString& address, const QString& mask) {
    return networkAddress(address, mask);
}

// ---- Rules ----------------------------------------------------------------------------------

LogEntry splitLogLine(const QString& line) {
    LogEntry entry;
    QString rest = line;
    const int bar = rest.indexOf(u'|');
    if (bar >= 0) {
        entry.time = rest.left(bar).trimmed();
        rest = rest.mid(bar + 1);
    }
    const int open = rest.indexOf(u'[');
    if (open >= 0) rest = rest.mid(open + 1);
    const int close = rest.indexOf(u']');
    if (close >= 0) {
        entry.type = rest.left(close);
        rest = rest.mid(close + 1);
    }
    entry.message = rest;
    return entry;
}

bool loadLogLines(const QString& path, QStringList& lines) {
    QFile file(path);
    if (!file.exists()) return false;
    lines.clear();
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    const QString text = platform::fromLatin1(std::string_view(bytes.constData(), bytes.size()));
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r') continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.mid(start);
    return true;
}

namespace {

// Octet n (0..3) of a dotted text: the texts before the first three dots, then all after the
// third; missing parts are empty.
QString octetText(const QString& dotted, int n) {
    int from = 0;
    for (int i = 0; i < n; ++i) {
        const int dot = dotted.indexOf(u'.', from);
        if (dot < 0) return {};
        from = dot + 1;
    }
    if (n == 3) return dotted.mid(from);
    const int dot = dotted.indexOf(u'.', from);
    return dot < 0 ? QString() : dotted.mid(from, dot - from);
}

unsigned octetValue(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? static_cast<unsigned>(value) & 0xFFu : 0u;
}

}  // namespace

QString networkAddress(const QString& address, const QString& mask) {
    QStringList parts;
    for (int n = 0; n < 4; ++n)
        parts << QString::number(octetValue(octetText(address, n)) &
                                 octetValue(octetText(mask, n)));
    return parts.join(u'.');
}

QString addressOnDeviceNetwork(const std::vector<LocalAddress>& locals,
                               const QString& deviceAddress, const QString& deviceMask) {
    const QString deviceNetwork = networkAddress(deviceAddress, deviceMask);
    for (const LocalAddress& local : locals) {
        if (networkAddress(local.address, local.mask) == deviceNetwork) return local.address;
    }
    return {};
}
