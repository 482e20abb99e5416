#include "pages/common/PageForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "app/Main.h"
#include "library/common/CvEditConstraint.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

namespace {

constexpr int kEditWidth = 220;

}  // namespace

void setSingleBorder(QDialog* page) {
    page->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint);
    page->setSizeGripEnabled(false);
}

void centreOnMainWindow(QDialog* page) {
    if (!MainForm) return;
    page->adjustSize();
    const QPoint centre = MainForm->frameGeometry().center();
    QPoint topLeft = centre - QPoint(page->width() / 2, page->height() / 2);
    // A page larger than the main window would otherwise start above or left of the screen,
    // with its title bar out of reach.
    if (const QScreen* screen = MainForm->screen()) {
        const QRect room = screen->availableGeometry();
        topLeft.setX(std::max(room.left(), std::min(topLeft.x(), room.right() - page->width())));
        topLeft.setY(std::max(room.top(), std::min(topLeft.y(), room.bottom() - page->height())));
    }
    page->move(topLeft);
}

QFrame* makePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
}

QGridLayout* makeRowGrid(QFrame* panel) {
    auto* rows = new QGridLayout(panel);
    rows->setContentsMargins(12, 12, 12, 12);
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    rows->setColumnStretch(1, 1);
    return rows;
}

QLabel* addRow(QGridLayout* rows, const QString& caption, QWidget* control) {
    const int row = rows->rowCount() == 1 && !rows->itemAtPosition(0, 0) ? 0 : rows->rowCount();
    auto* label = new QLabel(caption, rows->parentWidget());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(control);
    control->setMinimumWidth(kEditWidth);
    rows->addWidget(label, row, 0);
    rows->addWidget(control, row, 1);
    return label;
}

QLabel* addEditRow(QGridLayout* rows, const QString& caption, CvEdit*& edit) {
    edit = new CvEdit(rows->parentWidget());
    return addRow(rows, caption, edit);
}

void setGreyedReadOnly(QLineEdit* edit) {
    edit->setReadOnly(true);
    edit->setEnabled(false);
    QPalette greyed = edit->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        greyed.setColor(group, QPalette::Base, greyed.color(group, QPalette::Button));
    edit->setPalette(greyed);
    // Setting a text, even the same one again, leaves the cursor at its end, and a disabled edit
    // cannot be scrolled: a value longer than the edit would show only its tail for good.
    QObject::connect(edit, &QLineEdit::cursorPositionChanged, edit, [edit](int, int now) {
        if (now != 0) edit->setCursorPosition(0);
    });
}

void paintUsable(QWidget* control, bool usable) {
    const QPalette standard = QApplication::palette();
    QPalette painted = control->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        painted.setColor(group, QPalette::Base,
                         standard.color(group, usable ? QPalette::Base : QPalette::Button));
    control->setPalette(painted);
}

namespace {
// Names the filter a typing limit adds, so that a replacing limit finds it among the binding's.
const char* const kTypingLimitName = "typingLimit";
}  // namespace

void limitTyping(QLineEdit* edit, int maxLength) {
    // A filter on what is typed or pasted rather than a validator of the whole text: a validator
    // would also refuse each key that shortens a longer device value.
    CvEditSpec limit;
    limit.length = maxLength;
    auto* filter = new CvEditFilter(edit, limit);  // owned by the edit
    filter->setObjectName(kTypingLimitName);
}

void replaceTypingLimit(QLineEdit* edit, int maxLength) {
    const auto earlier =
        edit->findChildren<CvEditFilter*>(kTypingLimitName, Qt::FindDirectChildrenOnly);
    for (CvEditFilter* filter : earlier) delete filter;  // leaves the edit's event filters too
    limitTyping(edit, maxLength);
}

QComboBox* makeHiddenCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->hide();
    return combo;
}

void layOutPage(QDialog* page, QWidget* body, std::initializer_list<QAbstractButton*> buttons,
                CvStatusBar* statusBar) {
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (QAbstractButton* button : buttons) {
        button->setMinimumWidth(88);
        // Enter in an edit must not press a button: on a page whose first button re-reads the
        // device it would throw away what was just typed.
        if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
        buttonRow->addWidget(button);
    }

    auto* content = new QVBoxLayout;
    content->setContentsMargins(10, 10, 10, 6);
    content->setSpacing(10);
    content->addWidget(body);
    content->addLayout(buttonRow);

    // A sunken rule sets the status bar apart from the page, as a window's status bar is.
    auto* rule = new QFrame(page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    statusBar->setContentsMargins(4, 1, 4, 2);

    auto* whole = new QVBoxLayout(page);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addLayout(content);
    whole->addWidget(rule);
    whole->addWidget(statusBar);
    whole->setSizeConstraint(QLayout::SetFixedSize);
    wrapStatusTexts(statusBar);
}

QLabel* addOutcomePanel(CvStatusBar* statusBar, int width, std::initializer_list<QString> texts) {
    // The panel takes the bar's whole width: a failure text is longer than any fixed width.
    QLabel* panel = statusBar->AddPanel(-1);
    int needed = std::max(width, 0);
    for (const QString& text : texts) {
        panel->setText(text);
        needed = std::max(needed, panel->sizeHint().width());
    }
    panel->clear();
    panel->setMinimumWidth(needed);
    return panel;
}

void wrapStatusTexts(CvStatusBar* statusBar) {
    // The bar's own size hint is its text wrapped at no width at all, a column of single words,
    // and a tab holding the bar would grow by that much: only the height for the width the bar
    // gets counts, so it may stand lower than its hint.
    statusBar->setSizePolicy(statusBar->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    for (QLabel* text : statusBar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        text->setWordWrap(true);
}

void showFailureText(CvStatusBar* statusBar, const QString& text) {
    if (!statusBar) return;
    statusBar->SetSimpleText(text);
    if (statusBar->PanelCount() > 0)
        platform::ui().messageBox(statusBar->window(), "Error", text, platform::BoxButtons::Ok);
}

bool setRequest(CvSNMPRequest2Edits* request, CvStatusBar* statusBar, bool reread) {
    if (!request) return false;
    try {
        const bool sent = request->Set(reread, true, "");
        // Shown here too for the Saves that show nothing for a failed set.
        if (request->Withheld() && statusBar)
            statusBar->ShowText(unreadText());
        return sent;
    } catch (const std::exception& failure) {
        showFailureText(statusBar, QString::fromStdString(failure.what()));
        return false;
    }
}

CvSNMPError unreadOutcome() {
    return CvSNMPRequest2Controls::unreadOutcome();
}

QString unreadText() {
    return QString::fromStdString(unreadOutcome().Message);
}

void runGuarded(CvStatusBar* statusBar, const std::function<void()>& routine) {
    const CvSNMPAction action;
    try {
        routine();
    } catch (const std::exception& failure) {
        showFailureText(statusBar, QString::fromStdString(failure.what()));
    } catch (...) {
        showFailureText(statusBar, QString::fromStdString(CvMessages::text(-528)));
    }
}

void ActionOutcome::watch(std::initializer_list<CvSNMPRequest2Controls*> requests) {
    for (CvSNMPRequest2Controls* request : requests)
        if (request)
            request->request().SetResultRoutine(
                [this](const CvSNMPError& outcome) { note(outcome); });
}

ActionOutcome::~ActionOutcome() {
    dropWaiting();
}

void ActionOutcome::begin() {
    dropWaiting();
    if (okShown_ && statusBar_ && statusBar_->ShownText() == *okShown_) statusBar_->ShowText({});
    failure_.reset();
    okShown_.reset();
}

namespace {
// The page's text for a failure, unless it has none or a value was held back: the user must
// learn that, not that the page's set went wrong.
QString failureText(const CvSNMPError& outcome, const QString& text) {
    return text.isEmpty() || outcome.Code == CvSNMPRequest2Controls::kUnreadCode
               ? QString::fromStdString(outcome.Message)
               : text;
}
}  // namespace

bool ActionOutcome::note(const CvSNMPError& outcome, const QString& text) {
    if (outcome.Code == 0) return false;
    if (!failure_) failure_ = failureText(outcome, text);
    if (okShown_ && statusBar_ && statusBar_->ShownText() == *okShown_)
        statusBar_->ShowText(*failure_);
    return true;
}

bool ActionOutcome::fail(const CvSNMPError& outcome, const QString& text) {
    if (!note(outcome, text)) return false;
    if (statusBar_) statusBar_->ShowText(failureText(outcome, text));
    return true;
}

void ActionOutcome::showOk(const QString& okText,
                           std::initializer_list<CvSNMPRequest2Controls*> answersFirst) {
    dropWaiting();
    for (CvSNMPRequest2Controls* request : answersFirst)
        if (request && request->Busy()) awaited_.emplace_back(request);
    if (awaited_.empty()) {
        okShown_ = failure_.value_or(okText);
        if (statusBar_) statusBar_->ShowText(*okShown_);
        return;
    }
    pendingOk_ = okText;
    for (const auto& request : awaited_)
        settledWatch_.push_back(QObject::connect(request.data(), &CvSNMPRequest2Controls::Settled,
                                                 request.data(), [this] { showWhenSettled(); }));
}

void ActionOutcome::showWhenSettled() {
    for (const auto& request : awaited_)
        if (request && request->Busy()) return;
    const QString okText = *pendingOk_;
    dropWaiting();
    showOk(okText);
}

void ActionOutcome::dropWaiting() {
    for (const auto& connection : settledWatch_) QObject::disconnect(connection);
    settledWatch_.clear();
    awaited_.clear();
    pendingOk_.reset();
}

void ActionOutcome::showFailure() {
    if (failure_) showOk(*failure_);
}

void plainMessage(QWidget* parent, const QString& text) {
    platform::ui().messageBox(parent, QCoreApplication::applicationName(), text,
                              platform::BoxButtons::Ok);
}
