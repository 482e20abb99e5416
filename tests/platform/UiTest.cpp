#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <stdexcept>

#include "library/common/CvException.h"
#include "platform/Application.h"
#include "platform/Ui.h"

namespace {

TEST(QtFilter, PipeSeparatedFilters_BecomeQtFilters) {
    EXPECT_EQ(platform::toQtFilter(".dcf document|*.dcf|All Files|*.*"),
              ".dcf document (*.dcf);;All Files (*.*)")
        << "the descriptions are shown as the module names them";
    EXPECT_EQ(platform::toQtFilter(".bin document|*.bin|.tfp document|*.tfp|All Files|*.*"),
              ".bin document (*.bin);;.tfp document (*.tfp);;All Files (*.*)");
    EXPECT_EQ(platform::toQtFilter("Images|*.bin;*.img"), "Images (*.bin *.img)");
    EXPECT_EQ(platform::toQtFilter("dangling"), "") << "a description without patterns is dropped";
}

TEST(QtFilter, DialogFiltersByThePatternsOfTheDescriptionWithADot) {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(platform::toQtFilter(".dcf document|*.dcf|All Files|*.*"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(dialog.selectedNameFilter(), ".dcf document (*.dcf)");
    EXPECT_EQ(model->nameFilters(), QStringList{"*.dcf"});
}

// Runs the event loop until the condition holds or five seconds pass.
bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

TEST(QtUi, MessageBox_ShowsCaptionTextAndReportsCancel) {
    platform::installUi(nullptr);
    QString caption, text;
    Qt::TextFormat format = Qt::AutoText;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        caption = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Cancel)->click();
    });
    poll.start(10);
    // A device value or file name in a text must show as typed, never as markup.
    const QString question = "Delete <b>AP</b> 00:11?";
    const platform::BoxResult result =
        platform::ui().messageBox(nullptr, "Waring", question, platform::BoxButtons::OkCancel);
    EXPECT_EQ(result, platform::BoxResult::Cancel);
    EXPECT_EQ(caption, "Waring");
    EXPECT_EQ(text, question);
    EXPECT_EQ(format, Qt::PlainText) << "message texts must not be read as rich text";
}

class ApplicationHandler : public testing::Test {
  protected:
    void SetUp() override {
        ui = platform::ScriptedUi::install();
        QApplication::setApplicationDisplayName("VRA-2260");
    }
    void TearDown() override { platform::installUi(nullptr); }
    platform::ScriptedUi* ui = nullptr;
};

TEST_F(ApplicationHandler, ExceptionInAnEventHandler_ShowsABoxAndCarriesOn) {
    ASSERT_TRUE(qobject_cast<platform::Application*>(QCoreApplication::instance()));
    bool later = false;
    QTimer::singleShot(0, [] { throw CvSNMPException(-505, "(ViZURU++) Invalid item type!"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(0, [&] { later = true; });
    ASSERT_TRUE(waitFor([&] { return later && ui->boxes.size() == 2; }))
        << "boxes: " << ui->boxes.size() << ", later event ran: " << later;
    EXPECT_EQ(ui->boxes[0].caption, "VRA-2260");
    EXPECT_EQ(ui->boxes[0].text, "(ViZURU++) Invalid item type!");
    EXPECT_EQ(ui->boxes[0].buttons, platform::BoxButtons::Ok);
    EXPECT_EQ(ui->boxes[1].text, "(CvCommon) Internal error!");
}

TEST_F(ApplicationHandler, ClickHandlerThatThrows_LeavesTheButtonWorking) {
    QPushButton button("Apply");
    button.resize(80, 30);
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        if (++clicks == 1) throw CvSNMPException(-407, "(ViZURU++) Invalid address!");
    });
    const auto click = [&] {
        const QPointF at(10, 10);
        QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &release);
    };
    click();
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].text, "(ViZURU++) Invalid address!");
    EXPECT_FALSE(button.isDown()) << "the button must not stay pressed";
    click();
    EXPECT_EQ(clicks, 2) << "the button must still work after its handler failed";
    EXPECT_EQ(ui->boxes.size(), 1u);
}

TEST_F(ApplicationHandler, FailingBox_IsSwallowed) {
    ui->onBox = [](const platform::BoxRecord&) { throw std::runtime_error("no box"); };
    bool later = false;
    QTimer::singleShot(0, [] { throw std::logic_error("broken"); });
    QTimer::singleShot(0, [&] { later = true; });
    ASSERT_TRUE(waitFor([&] { return later; }));
    EXPECT_EQ(ui->boxes.size(), 1u);
}

}  // namespace
