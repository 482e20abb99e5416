#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "library/snmp/CvSNMPRequest2Controls.h"

class QAbstractButton;
class QComboBox;
class QDialog;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;
class CvEdit;
class CvStatusBar;

// What every page shares: its window frame, the shape of its layout and the guard that keeps an
// exception of a page routine from reaching the event loop.

// Single border, not resizable, with the system menu and the minimise icon only.
void setSingleBorder(QDialog* page);
// Places the page over the centre of the main window, when there is one.
void centreOnMainWindow(QDialog* page);

// A framed panel holding one group of rows.
QFrame* makePanel(QWidget* parent);
// The two-column grid of a panel: captions on the left, controls on the right.
QGridLayout* makeRowGrid(QFrame* panel);
// Appends a row with a caption and a control; returns the caption's label.
QLabel* addRow(QGridLayout* rows, const QString& caption, QWidget* control);
// Appends a row with a caption and a new edit, stored in edit; returns the caption's label.
QLabel* addEditRow(QGridLayout* rows, const QString& caption, CvEdit*& edit);

// Disabled, read-only and drawn in the button-face colour, as for values the user cannot change;
// its text is shown from the start.
void setGreyedReadOnly(QLineEdit* edit);
// A control the user may change now keeps the window colour; one they may not takes the button
// face, as a greyed control does.
void paintUsable(QWidget* control, bool usable);
// Limits what the user types or pastes to maxLength characters; text the program writes is
// shown whole (QLineEdit::setMaxLength would cut a longer device value). Call it after binding
// the edit: a binding replaces the edit's typing filters.
void limitTyping(QLineEdit* edit, int maxLength);
// As limitTyping, but replaces the limit an earlier limitTyping or replaceTypingLimit gave the
// edit instead of adding a second one (limits add up, so the lowest would win): for limits that
// follow another control, such as a key's length following its size. The binding's own filter
// stays.
void replaceTypingLimit(QLineEdit* edit, int maxLength);
// The mode of a bound request: Get and Set block until the answer or the time-out, or return
// once the request is issued.
enum RequestMode : int { kSynchronous = 0, kAsynchronous = 1 };

// A page's request over one of its item tables (a table ended by an empty record, or a list),
// with its mode and its time-out in units of 10 ms. Neither has a default: a request's mode
// and time-out differ from page to page, and a forgotten one must not compile.
template <class Request = CvSNMPRequest2Edits, class Items>
std::unique_ptr<Request> makeRequest(QWidget* owner, const Items& items, int itemType, int keyCount,
                                     RequestMode mode, int timeout) {
    auto request = std::make_unique<Request>(owner);
    request->VarList = CvSNMPVarList(items, itemType, keyCount);
    request->Mode = mode;
    request->Timeout = timeout;
    return request;
}

// A combo box that holds a raw value for a request and is never shown.
QComboBox* makeHiddenCombo(QWidget* parent);

// The page's layout: the body, the buttons in a row at its bottom right, the status bar at the
// foot, its texts wrapped as wrapStatusTexts does. The page keeps the size its contents need.
void layOutPage(QDialog* page, QWidget* body, std::initializer_list<QAbstractButton*> buttons,
                CvStatusBar* statusBar);

// Adds a status bar panel that stretches across the bar, at least `width` pixels wide and wide
// enough for each of the outcome texts the page writes there.
QLabel* addOutcomePanel(CvStatusBar* statusBar, int width, std::initializer_list<QString> texts);

// Lets the texts of a status bar's panels (and its simple text) run onto further lines where they
// are longer than the page is wide, so that a failure text is shown whole; the page grows to hold
// them. Call it once the panels are added.
void wrapStatusTexts(CvStatusBar* statusBar);

// Shows a failure's message as the status bar's simple text. A bar with panels never shows its
// simple text, so there the message also comes in an "Error" box rather than going unseen.
void showFailureText(CvStatusBar* statusBar, const QString& text);

// Sets a request as a page's Save does (collecting its controls first; reread reads a table list
// again). A request that creation never built counts as a failed set; a failure of the access
// layer itself (a character outside 8-bit text, an unusable address) is shown by showFailureText
// and counts as failed, so the page's later sets still go out. A set withheld for values never
// read (CvSNMPRequest2Controls::Withheld) shows its text in the status bar and counts as failed.
bool setRequest(CvSNMPRequest2Edits* request, CvStatusBar* statusBar, bool reread);

// The outcome of a Save that sends nothing because which sets it sends, or at which row, rests on
// a value never read: the access layer's own words for a withheld value, and their text.
CvSNMPError unreadOutcome();
QString unreadText();

// The outcome of one action of the user on a page (its opening, a Refresh, a Save): the first of
// its reads and sets that failed, those its completion routines run included. The action's OK
// texts stand only while none has failed and only once the answers they report on are in: the
// first failure's text takes their place, also when the failure comes after an OK text is shown,
// and no later OK text of the action covers it. A value left out as unread is reported in the
// access layer's own words, never under a page's text. Where the action shows no OK text, a
// failure shows nothing more than the page shows itself.
class ActionOutcome {
  public:
    ActionOutcome() = default;
    ~ActionOutcome();
    // The routines watch() installs refer to this object: it stays where the page made it.
    ActionOutcome(const ActionOutcome&) = delete;
    ActionOutcome& operator=(const ActionOutcome&) = delete;
    // The panel its texts go to, once the page has built it.
    void attach(CvStatusBar* statusBar) { statusBar_ = statusBar; }
    // A new action: failures of earlier ones no longer count, an OK text still waiting for its
    // answers is dropped and one the panel shows is taken away.
    void begin();
    // Notes what the requests' result routines receive: their synchronous reads and sets, and an
    // asynchronous one that cannot be sent. Replaces their result routines.
    void watch(std::initializer_list<CvSNMPRequest2Controls*> requests);
    // Notes a read's or set's outcome (text, when given, stands for the failure's message); an
    // OK text of the action that the panel still shows gives way to the first failure's text
    // (an error line the request wrote there stays). True when the outcome is a failure.
    bool note(const CvSNMPError& outcome, const QString& text = {});
    // As note, and a failure's text (or its message) is shown at once, as a completion routine
    // shows the failure it met.
    bool fail(const CvSNMPError& outcome, const QString& text = {});
    // Shows okText, or the first failure's text when the action met one. With answers of the
    // given requests still out, the text waits for the last of them (their closures note their
    // failures), so that an OK never stands over a request that may yet fail.
    void showOk(const QString& okText,
                std::initializer_list<CvSNMPRequest2Controls*> answersFirst = {});
    // Shows the first failure's text, when the action met one, as showOk would.
    void showFailure();
    bool failed() const { return failure_.has_value(); }
    // An OK text is waiting for answers still out.
    bool waiting() const { return pendingOk_.has_value(); }

  private:
    void dropWaiting();
    void showWhenSettled();

    CvStatusBar* statusBar_ = nullptr;
    std::optional<QString> failure_;
    std::optional<QString> okShown_;  // the OK text the action put in the panel
    std::optional<QString> pendingOk_;
    std::vector<QPointer<CvSNMPRequest2Controls>> awaited_;
    std::vector<QMetaObject::Connection> settledWatch_;
};

// The box the pages show without a caption of their own: captioned with the program's title, an
// OK button.
void plainMessage(QWidget* parent, const QString& text);

// Runs a page routine as one action of the user (CvSNMPAction): after a time-out its further
// synchronous requests allowed no longer end at once. An exception it raises is shown by
// showFailureText instead of leaving the routine, so none reaches the event loop.
void runGuarded(CvStatusBar* statusBar, const std::function<void()>& routine);

// Connects a user-action signal to a page routine run under runGuarded.
template <class Sender, class Signal>
void connectGuarded(Sender* sender, Signal signal, CvStatusBar* statusBar,
                    std::function<void()> routine) {
    QObject::connect(sender, signal, sender,
                     [statusBar, routine = std::move(routine)] { runGuarded(statusBar, routine); });
}
