#pragma once

#include <gtest/gtest.h>

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Ui.h"
#include "tests/support/VraSim.h"

class QTimer;
class QComboBox;
class QWidget;
class TFM_Waiting;

// A countdown dialog as it was first shown.
struct CountdownSeen {
    int count;
    bool reboot;
    QString text;  // its second message line
    bool operator==(const CountdownSeen&) const = default;
};

// The fixture every page test builds on: a fresh vra-sim per test, the session defaults pointed
// at it (SNMPv2c, "public"/"private"), the scripted user interface recording every box, and the
// page created as its menu handler creates it.
class PageHarness : public ::testing::Test {
  public:
    // Chooses a combo item as the user does, which runs the page's handler of that choice; the
    // text form fails the test when the text is not offered.
    static void choose(QComboBox* combo, int index);
    static void choose(QComboBox* combo, const QString& text);
    // Whether a label or button shows its text whole: as wide and high as the text needs, or, for
    // a wrapping label, as high as the text needs at the label's width.
    static bool showsTextWhole(const QWidget* control);

  protected:
    void SetUp() override;
    void TearDown() override;

    // Extra command-line arguments of the simulated device (a profile, a knob); override to
    // change them for a whole test class.
    virtual std::vector<std::string> deviceArguments() const { return {}; }

    VraSim& sim() { return *sim_; }
    platform::ScriptedUi& ui() { return *ui_; }

    // Creates the page as its menu handler does: no parent, stored in its global pointer, shown.
    // The harness deletes it and clears the pointer when the test ends or closePage() is called.
    template <class Page>
    Page* openPage(Page*& global) {
        closePage();
        global = new Page(nullptr);
        page_ = global;
        forgetPage_ = [&global] { global = nullptr; };
        global->show();
        return global;
    }
    void closePage();

    // Pumps the event loop until the condition holds; false when the deadline passed first.
    static bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

    // Checks what a person would see at once on a shown page: every caption and button text
    // whole, every visible control inside the page and clear of its neighbours, the captions of
    // each grid column lined up. Reports each fault as a test failure naming the control.
    static void expectTidyLayout(QWidget* page);
    // Saves a picture of the page as <name>.png in the folder VRA2260_SCREENSHOT_DIR names (see
    // the README's developer notes); returns the file written, or an empty text when the
    // variable is not set.
    static QString saveScreenshot(QWidget* page, const QString& name);

    // Types a text into a widget key by key, as the user would.
    static void typeText(QWidget* target, const QString& text);

    // The set requests the device received so far, in order.
    std::vector<SimSetRecord> sets() const { return sim_->sets(); }
    // The OIDs of one set request, in PDU order.
    static std::vector<std::string> oids(const SimSetRecord& set);
    // The values sent to one OID, in order, over every set.
    std::vector<std::string> valuesSentTo(const std::string& oid) const;
    // What a Save shows when each value it would send was never read.
    static QString unreadText();
    // The texts of the message boxes shown so far.
    std::vector<QString> boxTexts() const;
    // What the page's status bar shows: its first panel's text, or its simple text.
    static QString status(const QWidget* page);

    // Records every countdown dialog shown from now on, and its window title; onCountdown, when
    // set, sees each one as it is first shown.
    void watchCountdowns();
    std::vector<CountdownSeen> countdowns;
    std::vector<QString> countdownTitles;
    std::function<void(TFM_Waiting*)> onCountdown;

    // Scales every time-out and countdown tick from now on, until the test ends.
    static void setTimeScale(double scale);

  private:
    std::unique_ptr<VraSim> sim_;
    platform::ScriptedUi* ui_ = nullptr;
    QWidget* page_ = nullptr;
    std::function<void()> forgetPage_;
    QTimer* countdownScan_ = nullptr;
    std::vector<QPointer<TFM_Waiting>> countdownsShown_;
    std::optional<QByteArray> savedTimeScale_;
};
