#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <string>

#include "app/MainMenu.h"
#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "platform/Ui.h"

namespace {

// A page that closes itself once its modal loop runs, noting what its global pointer held then.
class ClosingPage : public QDialog {
  public:
    static ClosingPage* Global;
    static ClosingPage* SeenWhileShown;
    static QPointer<ClosingPage> Last;

    explicit ClosingPage(QWidget* owner) : QDialog(owner) {
        Last = this;
        QTimer::singleShot(0, this, [this] {
            SeenWhileShown = Global;
            accept();
        });
    }
};
ClosingPage* ClosingPage::Global = nullptr;
ClosingPage* ClosingPage::SeenWhileShown = nullptr;
QPointer<ClosingPage> ClosingPage::Last;

// A page whose creation fails the way a page's request layer fails, with the text given.
class FailingPage : public QDialog {
  public:
    static FailingPage* Global;
    static std::string Text;
    explicit FailingPage(QWidget* owner) : QDialog(owner) { throw CvSNMPException(-407, Text); }
};
FailingPage* FailingPage::Global = nullptr;
std::string FailingPage::Text;

class PageOpening : public ::testing::Test {
  protected:
    void SetUp() override { ui_ = platform::ScriptedUi::install(); }
    platform::ScriptedUi* ui_ = nullptr;
};

TEST_F(PageOpening, ShownPage_IsReachableThroughItsGlobalAndGoneAfterwards) {
    openPage(ClosingPage::Global);
    EXPECT_NE(ClosingPage::SeenWhileShown, nullptr);
    EXPECT_EQ(ClosingPage::Global, nullptr) << "the global is cleared after the page is deleted";
    EXPECT_TRUE(ClosingPage::Last.isNull()) << "the page is deleted when it closes";
    EXPECT_TRUE(ui_->boxes.empty());
}

TEST_F(PageOpening, FailingPage_ShowsItsTextWithItsOwnCharactersAndLeavesTheGlobalCleared) {
    FailingPage::Text = "(ViZURU++) Invalid address!";
    openPage(FailingPage::Global);
    EXPECT_EQ(FailingPage::Global, nullptr);
    ASSERT_EQ(ui_->boxes.size(), 1u);
    EXPECT_EQ(ui_->boxes[0].caption, "VRA-2260");
    EXPECT_EQ(ui_->boxes[0].text, "(ViZURU++) Invalid address!");

    // A message table replaced by a Latin-1 file.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath("snmpclass.err"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\n\n\n\n\n\nAdresse ung\xfcltig!\n");  // line 7: code -407, in Latin-1
    file.close();
    CvMessages::loadFolder(folder.path().toStdString());
    FailingPage::Text = CvMessages::text(-407);
    CvMessages::resetToBuiltIn();
    openPage(FailingPage::Global);
    ASSERT_EQ(ui_->boxes.size(), 2u);
    EXPECT_EQ(ui_->boxes[1].text, QString::fromUtf8("Adresse ungültig!"));
}

TEST_F(PageOpening, UnstoredPage_IsDeletedAfterItCloses) {
    ClosingPage::Last = nullptr;
    openUnstoredPage<ClosingPage>();
    EXPECT_TRUE(ClosingPage::Last.isNull());
}

}  // namespace
