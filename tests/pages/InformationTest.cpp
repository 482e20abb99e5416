#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <string>

#include "app/Main.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/home/Information.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string kDescr = "1.3.6.1.2.1.1.1.0";
const std::string kContact = "1.3.6.1.2.1.1.4.0";
const std::string kName = "1.3.6.1.2.1.1.5.0";
const std::string kLocation = "1.3.6.1.2.1.1.6.0";

const QString k32 = QString(32, 'c');
const QString k33 = QString(33, 'x');

}  // namespace

// ---- The page against the simulated device ----------------------------------------------

class InformationPage : public PageHarness {
  protected:
    TFM_Information* open() {
        TFM_Information* page = openPage(FM_Information);
        EXPECT_TRUE(pumpUntil([page] { return !page->Ed_SD->text().isEmpty(); }))
            << "the system group never reached the edits";
        return page;
    }

    // Waits for the asynchronous set to reach the device's set log.
    std::vector<SimSetRecord> waitForSets(size_t count) {
        EXPECT_TRUE(pumpUntil([&] { return sets().size() >= count; }))
            << "expected " << count << " set request(s), the device saw " << sets().size();
        return sets();
    }
};

TEST_F(InformationPage, ReadsTheSixSystemValuesInTheirTextFormsIntoGreyedAndTextEdits) {
    TFM_Information* page = open();
    EXPECT_EQ(page->Ed_SD->text().toStdString(), sim().value(kDescr));
    EXPECT_EQ(page->Ed_SO->text(), "1.3.6.1.4.1.32473.10.37.38");
    EXPECT_TRUE(QRegularExpression(R"(^\d+ days?, \d\d:\d\d:\d\d\.\d\d$)")
                    .match(page->Ed_SU->text())
                    .hasMatch())
        << "uptime shown as " << page->Ed_SU->text().toStdString();
    EXPECT_EQ(page->Ed_SC->text().toStdString(), sim().value(kContact));
    EXPECT_EQ(page->Ed_SN->text().toStdString(), sim().value(kName));
    EXPECT_EQ(page->Ed_SL->text().toStdString(), sim().value(kLocation));
    EXPECT_TRUE(sets().empty()) << "opening the page must write nothing";

    for (CvEdit* shown : {page->Ed_SD, page->Ed_SO, page->Ed_SU}) {
        EXPECT_FALSE(shown->isEnabled());
        EXPECT_TRUE(shown->isReadOnly());
        EXPECT_EQ(shown->palette().color(QPalette::Disabled, QPalette::Base),
                  shown->palette().color(QPalette::Disabled, QPalette::Button));
    }
    for (CvEdit* text : {page->Ed_SC, page->Ed_SN, page->Ed_SL}) {
        EXPECT_TRUE(text->isEnabled());
        EXPECT_FALSE(text->isReadOnly());
    }
    EXPECT_FALSE(page->CB_DeviceApplySetting->isVisible());
    EXPECT_EQ(page->windowTitle(), "Home \\ Information");
}

TEST_F(InformationPage, FirstSaveOfANewNameSendsContactNameAndLocationOnlyInOneSet) {
    // What a new user tries first, on a device with the values it ships with.
    TFM_Information* page = open();
    const std::string contact = sim().value(kContact);
    page->Ed_SN->setText("ap-upstairs");
    page->Ed_SL->setText("");
    page->Btn_Sa->click();

    EXPECT_TRUE(pumpUntil([page] { return page->StatusBar->SimpleText() == "Save OK!"; }));
    const auto log = sets();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(oids(log[0]), (std::vector<std::string>{kContact, kName, kLocation}));
    EXPECT_EQ(log[0].vbs[0].value, contact);
    EXPECT_EQ(log[0].vbs[1].value, "ap-upstairs");
    EXPECT_EQ(log[0].vbs[2].value, "");
    EXPECT_EQ(sim().value(kName), "ap-upstairs");
    EXPECT_TRUE(ui().boxes.empty());

    // A text that cannot be sent, then a set the device refuses: each shows its failure.
    const QString outside8Bit = QString::fromUtf8("B\u00fcro 3 \u20ac");
    page->Ed_SL->setText(outside8Bit);
    page->Btn_Sa->click();
    EXPECT_TRUE(pumpUntil([page] {
        return page->StatusBar->SimpleText().startsWith("(ViZURU++)");
    })) << page->StatusBar->SimpleText().toStdString();
    EXPECT_EQ(sets().size(), 1u);
    EXPECT_EQ(page->Ed_SL->text(), outside8Bit);

    sim().knob("fail " + kContact + " commitFailed set");
    page->Ed_SL->setText("");
    page->Ed_SC->setText("someone");
    page->Btn_Sa->click();
    EXPECT_TRUE(pumpUntil([page] {
        return page->StatusBar->SimpleText().contains("commitFailed");
    })) << page->StatusBar->SimpleText().toStdString();
    EXPECT_NE(sets().back().errorStatus, 0);
    EXPECT_EQ(page->Ed_SC->text(), "someone");
}

TEST_F(InformationPage, SaveRefusesTheFirstFieldOver32CharactersInContactNameLocationOrder) {
    sim().knob("set " + kContact + " " + k33.toStdString());
    TFM_Information* page = open();
    EXPECT_EQ(page->Ed_SC->text(), k33) << "the device's text is shown whole";
    page->Ed_SN->setText(k33);
    page->Btn_Sa->click();
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(ui().boxes[0].caption, "Error");
    EXPECT_EQ(ui().boxes[0].buttons, platform::BoxButtons::Ok);

    page->Ed_SC->setText(k32);
    page->Ed_SL->setText(k33);
    page->Btn_Sa->click();
    page->Ed_SN->setText(k32);
    page->Btn_Sa->click();
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"The Max Lengh of the SystemContact is 32.",
                                                "The Max Lengh of the SystemName is 32.",
                                                "The Max Lengh of the SystemLocation is 32."}));
    EXPECT_NE(page->StatusBar->SimpleText(), "Save OK!");
    EXPECT_FALSE(page->reqSystem->Busy()) << "a refused save must not issue a set";
    EXPECT_TRUE(sets().empty());
}

TEST_F(InformationPage, TypingStopsAt32ButShortensAnOverlongDeviceTextAndEnterKeepsWhatWasTyped) {
    const QString k40 = QString(40, 'x');
    sim().knob("set " + kContact + " " + k40.toStdString());
    TFM_Information* page = open();
    ASSERT_EQ(page->Ed_SC->text(), k40);
    page->Ed_SC->setFocus();
    page->Ed_SC->end(false);
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(page->Ed_SC, &backspace);
    EXPECT_EQ(page->Ed_SC->text().size(), 39) << "a key that shortens the text was refused";
    typeText(page->Ed_SC, "y");
    EXPECT_EQ(page->Ed_SC->text().toStdString(), std::string(39, 'x'))
        << "typing past the limit was accepted";

    for (CvEdit* text : {page->Ed_SC, page->Ed_SN, page->Ed_SL}) {
        text->setText("");
        typeText(text, QString(40, 'k'));
        EXPECT_EQ(text->text(), QString(32, 'k'));
    }

    // Enter presses no button, so a typed value is never thrown away by a re-read.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent enter(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(page->Ed_SN, &enter);
    }
    EXPECT_FALSE(page->reqSystem->Busy()) << "Enter pressed a button";
    EXPECT_EQ(page->StatusBar->SimpleText(), "");
    EXPECT_EQ(page->Ed_SN->text(), QString(32, 'k'));
    EXPECT_TRUE(page->isVisible());
}

TEST_F(InformationPage, FailedReadIsShownSaveSendsOnlyWhatWasTypedAndOkTextsWaitForTheirAnswer) {
    // One object's read failing fails the whole group: none of the names is the device's.
    sim().knob("fail " + kName + " genErr get 1");
    TFM_Information* page = openPage(FM_Information);
    EXPECT_TRUE(pumpUntil([page] { return page->StatusBar->SimpleText().contains("genErr"); }));
    EXPECT_EQ(page->Ed_SN->text(), "");
    page->Btn_Sa->click();
    EXPECT_TRUE(pumpUntil([page] { return page->StatusBar->SimpleText() == unreadText(); }));
    typeText(page->Ed_SC, "someone");
    page->Btn_Sa->click();
    ASSERT_TRUE(pumpUntil([&] { return !sets().empty() && !page->reqSystem->Busy(); }));
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(oids(sets()[0]), std::vector<std::string>{kContact});
    EXPECT_EQ(page->StatusBar->SimpleText(), unreadText());

    // The page's 30 s time-out, scaled down so that the silent device costs a fraction of a second.
    setTimeScale(0.005);
    for (const auto& [failure, expected] :
         {std::pair{"fail 1.3.6.1.2.1.1 genErr", "genErr"}, std::pair{"silence on", "in time"}}) {
        sim().knob(failure);
        for (QPushButton* button : {page->Btn_Re, page->Btn_Sa}) {
            button->click();
            bool okShown = false;
            EXPECT_TRUE(pumpUntil([&] {
                okShown = okShown || page->StatusBar->SimpleText().endsWith("OK!");
                return !page->reqSystem->Busy();
            }));
            EXPECT_FALSE(okShown) << failure << ": an OK text stood while the answer was out";
            EXPECT_TRUE(page->StatusBar->SimpleText().contains(expected))
                << failure << ": " << page->StatusBar->SimpleText().toStdString();
        }
        EXPECT_EQ(page->Ed_SC->text(), "someone");
    }
    sim().knob("clear");
    page->Btn_Re->click();
    ASSERT_TRUE(pumpUntil([page] { return page->StatusBar->SimpleText() == "Get OK!"; }));
    EXPECT_EQ(page->Ed_SN->text().toStdString(), sim().value(kName));
}

TEST_F(InformationPage, AnswerTheEditsCannotTakeIsLoggedInTheStatusBar) {
    TFM_Information* page = open();
    sim().knob("set 1.3.6.1.2.1.1.2.0 STR not-an-oid");
    page->Btn_Re->click();
    ASSERT_TRUE(pumpUntil([page] { return !page->reqSystem->Busy(); }));
    const QString line = page->StatusBar->SimpleText();
    EXPECT_TRUE(line.startsWith("Get: ") && line.contains("systemObjectID") &&
                line.contains("Receive at"))
        << "status bar shows \"" << line.toStdString() << "\"";
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(InformationPage, LayoutShowsEveryCaptionWholeAndLongTextsFromTheirStart) {
    const std::string longDescr =
        "VRA-2260 Wireless Access Point, dual band, firmware 2.4.17 build 0815 (lab unit)";
    sim().knob("set " + kDescr + " \"" + longDescr + "\"");
    sim().knob("profile long-contact");
    TFM_Information* page = open();
    ASSERT_EQ(page->Ed_SD->text().toStdString(), longDescr);
    // The greyed edit cannot take the focus, so its start would never come into view otherwise.
    EXPECT_EQ(page->Ed_SD->cursorPosition(), 0);
    page->Btn_Re->click();
    ASSERT_TRUE(pumpUntil([page] { return !page->reqSystem->Busy(); }));
    EXPECT_EQ(page->Ed_SD->cursorPosition(), 0) << "after a refresh";
    expectTidyLayout(page);
    // The device's contact is longer than the 32 characters it keeps: it still shows whole.
    const QString contact = page->Ed_SC->text();
    ASSERT_GT(contact.size(), 32);
    EXPECT_GE(page->Ed_SC->width(), page->Ed_SC->fontMetrics().horizontalAdvance(contact) + 10)
        << "the contact \"" << contact.toStdString() << "\" is cut off";
    EXPECT_FALSE(page->isSizeGripEnabled());
    EXPECT_EQ(page->minimumSize(), page->maximumSize()) << "the page must not be resizable";
    saveScreenshot(page, "information");
}
