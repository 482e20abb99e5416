#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <memory>

#include "library/common/CvEditConstraint.h"
#include "library/common/CvException.h"
#include "platform/Ui.h"

namespace {

class EditFilter : public testing::Test {
  protected:
    void SetUp() override { ui = platform::ScriptedUi::install(); }
    void TearDown() override { platform::installUi(nullptr); }

    // Delivers one key press and release as the keyboard would.
    static void type(QLineEdit& edit, const QString& text, int key = 0) {
        const int code = key ? key : (text.isEmpty() ? 0 : text.at(0).toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &release);
    }
    static void typeAll(QLineEdit& edit, const QString& text) {
        for (const QChar c : text) type(edit, QString(c));
    }

    platform::ScriptedUi* ui = nullptr;
};

TEST_F(EditFilter, HexEdit_RefusesGWithOneBeep) {
    QLineEdit edit;
    new CvEditFilter(&edit, CvEditConstraint("%h").specifier(0));
    typeAll(edit, "0a");
    type(edit, "G");
    EXPECT_EQ(edit.text(), "0a") << "typed lower-case hex stays as typed, G is refused";
    EXPECT_EQ(ui->beeps, 1);
    typeAll(edit, "F");
    EXPECT_EQ(edit.text(), "0aF");
    EXPECT_EQ(ui->beeps, 1);
}

TEST_F(EditFilter, InputMethodCommit_FollowsTheTypingRule) {
    QLineEdit edit;
    new CvEditFilter(&edit, CvEditConstraint("%h{l4}").specifier(0));
    const auto commit = [&](const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(&edit, &event);
    };
    commit("A1");
    EXPECT_EQ(edit.text(), "A1");
    EXPECT_EQ(ui->beeps, 0);
    commit("G");
    EXPECT_EQ(edit.text(), "A1") << "a composed G must not reach a hex edit";
    commit("234");
    EXPECT_EQ(edit.text(), "A1") << "nor a commit past the length limit";
    EXPECT_EQ(ui->beeps, 2);
}

TEST_F(EditFilter, KeyCarryingSeveralCharacters_IsCheckedWhole) {
    QLineEdit edit;
    new CvEditFilter(&edit, CvEditConstraint("%h{l4}").specifier(0));
    edit.setText("12");
    edit.setCursorPosition(2);
    type(edit, "ABC", Qt::Key_A);
    EXPECT_EQ(edit.text(), "12") << "three characters do not fit in the two places left";
    EXPECT_EQ(ui->beeps, 1);
    type(edit, "AB", Qt::Key_A);
    EXPECT_EQ(edit.text(), "12AB");
    EXPECT_EQ(ui->beeps, 1);
}

TEST_F(EditFilter, AdvanceCharacterAndWidth_MoveToTheNextEdit) {
    const CvEditConstraint ip("%i{w3ae.}.%i{w3ae.}.%i");
    QLineEdit first, second, third;
    const auto filters = CvEditFilter::attach(ip, {&first, &second, &third});
    ASSERT_EQ(filters.size(), 3u);
    std::vector<QLineEdit*> advancedFrom;
    for (CvEditFilter* filter : filters) {
        QObject::connect(filter, &CvEditFilter::advanced,
                         [&](QLineEdit* from) { advancedFrom.push_back(from); });
    }
    typeAll(first, "19");
    type(first, ".");
    EXPECT_EQ(first.text(), "19") << "the advance character is not inserted";
    typeAll(second, "168");
    EXPECT_EQ(advancedFrom, (std::vector<QLineEdit*>{&first, &second}));
    EXPECT_EQ(ui->beeps, 0);
}

TEST_F(EditFilter, DeletingInAFullEdit_KeepsTheFocusWhereItIs) {
    QLineEdit first, second;
    const auto filters = CvEditFilter::attach(CvEditConstraint("%u{w2a}:%u"), {&first, &second});
    int advances = 0;
    QObject::connect(filters[0], &CvEditFilter::advanced, [&] { ++advances; });
    first.setText("123");
    first.setCursorPosition(3);
    type(first, QString(), Qt::Key_Backspace);
    EXPECT_EQ(first.text(), "12");
    EXPECT_EQ(advances, 0) << "only typing that fills the width moves on";
}

TEST_F(EditFilter, ContextMenuPaste_IsOfferedOnlyForAcceptableText) {
    QLineEdit edit;
    new CvEditFilter(&edit, CvEditConstraint("%h{l4}").specifier(0));
    edit.show();
    const auto pasteEnabled = [&] {
        QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(1, 1),
                               edit.mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(&edit, &open);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        EXPECT_NE(menu, nullptr) << "no context menu opened";
        if (!menu) return false;
        bool enabled = false;
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith("&Paste")) enabled = action->isEnabled();
        }
        menu->close();
        return enabled;
    };
    QApplication::clipboard()->setText("12G4");
    if (QApplication::clipboard()->text() != "12G4") GTEST_SKIP() << "no clipboard here";
    EXPECT_FALSE(pasteEnabled());
    QApplication::clipboard()->setText("ABCD");
    EXPECT_TRUE(pasteEnabled());
}

TEST_F(EditFilter, EditCountDifferentFromSpecifiers_IsRefused) {
    QLineEdit only;
    EXPECT_THROW(CvEditFilter::attach(CvEditConstraint("%i.%i"), {&only}), CvCommonException);
}

TEST_F(EditFilter, PasteOfRefusedCharacters_BeepsAndChangesNothing) {
    QLineEdit edit;
    new CvEditFilter(&edit, CvEditConstraint("%h{l4}").specifier(0));
    QApplication::clipboard()->setText("12G4");
    if (QApplication::clipboard()->text() != "12G4") GTEST_SKIP() << "no clipboard here";
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
    QApplication::sendEvent(&edit, &paste);
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(ui->beeps, 1);
    QApplication::clipboard()->setText("ABCD");
    QApplication::sendEvent(&edit, &paste);
    EXPECT_EQ(edit.text(), "ABCD");
    EXPECT_EQ(ui->beeps, 1);
}

}  // namespace
