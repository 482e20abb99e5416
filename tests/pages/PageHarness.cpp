#include "tests/pages/PageHarness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "app/Wait.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"

void PageHarness::SetUp() {
    if (qEnvironmentVariableIsSet("VRA2260_TIME_SCALE"))
        savedTimeScale_ = qgetenv("VRA2260_TIME_SCALE");
    qunsetenv("VRA2260_TIME_SCALE");
    const std::vector<std::string> arguments = deviceArguments();
    sim_ = std::make_unique<VraSim>(arguments);

    CvSNMPSession::Start();
    CvSNMPSettings& defaults = CvSNMPSession::Defaults();
    defaults = CvSNMPSettings{};
    const auto address = std::find(arguments.begin(), arguments.end(), "--address");
    defaults.address = arguments.end() - address > 1 ? *(address + 1) : "127.0.0.1";
    defaults.port = sim_->port();
    defaults.version = 2;
    defaults.securityModel = 2;
    defaults.readCommunity = "public";
    defaults.writeCommunity = "private";

    ui_ = platform::ScriptedUi::install();
}

void PageHarness::TearDown() {
    delete countdownScan_;
    countdownScan_ = nullptr;
    closePage();
    sim_.reset();
    // Later tests in this process must see the time scale they started with.
    if (savedTimeScale_)
        qputenv("VRA2260_TIME_SCALE", *savedTimeScale_);
    else
        qunsetenv("VRA2260_TIME_SCALE");
}

void PageHarness::setTimeScale(double scale) {
    qputenv("VRA2260_TIME_SCALE", QByteArray::number(scale));
}

void PageHarness::watchCountdowns() {
    countdownScan_ = new QTimer;
    QObject::connect(countdownScan_, &QTimer::timeout, [this] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* wait = qobject_cast<TFM_Waiting*>(widget);
            if (!wait || !wait->isVisible()) continue;
            bool known = false;
            for (const QPointer<TFM_Waiting>& shown : countdownsShown_) known |= shown == wait;
            if (known) continue;
            countdownsShown_.emplace_back(wait);
            countdowns.push_back({wait->Count, wait->Reboot, wait->Label3->text()});
            countdownTitles.push_back(wait->windowTitle());
            if (onCountdown) onCountdown(wait);
        }
    });
    countdownScan_->start(2);
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

QString PageHarness::unreadText() {
    return QString::fromStdString(CvMessages::text(CvSNMPRequest2Controls::kUnreadCode));
}

std::vector<std::string> PageHarness::valuesSentTo(const std::string& oid) const {
    std::vector<std::string> values;
    for (const SimSetRecord& set : sets())
        for (const SimVarBind& binding : set.vbs)
            if (binding.oid == oid) values.push_back(binding.value);
    return values;
}

std::vector<QString> PageHarness::boxTexts() const {
    std::vector<QString> texts;
    for (const platform::BoxRecord& box : ui_->boxes) texts.push_back(box.text);
    return texts;
}

QString PageHarness::status(const QWidget* page) {
    const auto* bar = page->findChild<const CvStatusBar*>();
    return bar ? bar->ShownText() : QString("(no status bar)");
}

namespace {

std::string nameOf(const QWidget* widget) {
    const QString name = widget->objectName();
    const auto* label = qobject_cast<const QLabel*>(widget);
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    const QString text = label ? label->text() : button ? button->text() : QString();
    return (name.isEmpty() ? QString(widget->metaObject()->className()) : name).toStdString() +
           (text.isEmpty() ? "" : " \"" + text.toStdString() + "\"");
}

// The controls a person looks at: shown labels, edits, combo boxes and buttons.
std::vector<QWidget*> shownControls(QWidget* page) {
    std::vector<QWidget*> controls;
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(page)) continue;
        if (qobject_cast<QLabel*>(child) || qobject_cast<QLineEdit*>(child) ||
            qobject_cast<QComboBox*>(child) || qobject_cast<QAbstractButton*>(child))
            controls.push_back(child);
    }
    return controls;
}

QRect onPage(QWidget* page, QWidget* control) {
    return QRect(control->mapTo(page, QPoint(0, 0)), control->size());
}

void expectWholeText(QWidget* control) {
    const bool textual = qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control);
    if (!textual) return;
    EXPECT_TRUE(PageHarness::showsTextWhole(control))
        << nameOf(control) << " is cut off at " << control->width() << "x" << control->height();
}

void expectAlignedColumns(QWidget* page) {
    for (QGridLayout* grid : page->findChildren<QGridLayout*>()) {
        for (int column = 0; column < grid->columnCount(); ++column) {
            QWidget* first = nullptr;
            for (int row = 0; row < grid->rowCount(); ++row) {
                QLayoutItem* item = grid->itemAtPosition(row, column);
                QWidget* cell = item ? item->widget() : nullptr;
                if (!cell || !cell->isVisibleTo(page)) continue;
                // A cell that spans several columns belongs to none of them.
                int at = 0, atColumn = 0, rowSpan = 0, columnSpan = 0;
                grid->getItemPosition(grid->indexOf(item), &at, &atColumn, &rowSpan, &columnSpan);
                if (columnSpan != 1) continue;
                if (!first) first = cell;
                EXPECT_EQ(cell->x(), first->x()) << nameOf(cell) << " out of line";
                const auto* caption = qobject_cast<QLabel*>(cell);
                const auto* firstCaption = qobject_cast<QLabel*>(first);
                if (caption && firstCaption) {
                    EXPECT_EQ(cell->geometry().right(), first->geometry().right())
                        << nameOf(cell) << " does not end where " << nameOf(first) << " does";
                    EXPECT_EQ(caption->alignment(), firstCaption->alignment())
                        << nameOf(cell) << " is aligned unlike " << nameOf(first);
                }
            }
        }
    }
}

}  // namespace

bool PageHarness::showsTextWhole(const QWidget* control) {
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->wordWrap()) return label->height() >= label->heightForWidth(label->width());
    const QSize needed = control->sizeHint();
    return control->width() >= needed.width() && control->height() >= needed.height();
}

void PageHarness::expectTidyLayout(QWidget* page) {
    page->show();
    QCoreApplication::processEvents();
    const std::vector<QWidget*> controls = shownControls(page);
    ASSERT_FALSE(controls.empty()) << "nothing is shown on the page";
    for (QWidget* control : controls) {
        EXPECT_TRUE(page->rect().contains(onPage(page, control)))
            << nameOf(control) << " lies outside the page";
        expectWholeText(control);
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const bool nested =
                controls[i]->isAncestorOf(controls[j]) || controls[j]->isAncestorOf(controls[i]);
            EXPECT_TRUE(nested || !onPage(page, controls[i]).intersects(onPage(page, controls[j])))
                << nameOf(controls[i]) << " overlaps " << nameOf(controls[j]);
        }
    expectAlignedColumns(page);
}

QString PageHarness::saveScreenshot(QWidget* page, const QString& name) {
    const QString folder = qEnvironmentVariable("VRA2260_SCREENSHOT_DIR");
    if (folder.isEmpty()) return {};
    QDir().mkpath(folder);
    page->show();
    QCoreApplication::processEvents();
    const QString file = QDir(folder).filePath(name + ".png");
    EXPECT_TRUE(page->grab().save(file)) << "cannot write " << file.toStdString();
    return file;
}

void PageHarness::choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void PageHarness::choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    if (index < 0) {
        ADD_FAILURE() << text.toStdString() << " is not offered";
        return;
    }
    choose(combo, index);
}
