#include "platform/Ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/Environment.h"

namespace platform {
namespace {

class QtUi : public Ui {
  public:
    BoxResult messageBox(QWidget* parent, const QString& caption, const QString& text,
                         BoxButtons buttons) override {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
        // Texts carry device values and file names, which must show as they are, not as markup.
        box.setTextFormat(Qt::PlainText);
        if (buttons == BoxButtons::OkCancel) box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok ? BoxResult::Ok : BoxResult::Cancel;
    }

    QString openFileName(QWidget* parent, const QString& filter,
                         const QString& defaultExt) override {
        return runDialog(parent, filter, defaultExt, QFileDialog::AcceptOpen);
    }

    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultExt) override {
        return runDialog(parent, filter, defaultExt, QFileDialog::AcceptSave);
    }

    void beep() override { QApplication::beep(); }

    void terminate(int exitCode) override {
        std::fflush(nullptr);
        std::exit(exitCode);
    }

    void blockingWait(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(scaledMs(milliseconds)));
    }

    QDateTime now() override { return QDateTime::currentDateTime(); }

  private:
    static QString runDialog(QWidget* parent, const QString& filter, const QString& defaultExt,
                             QFileDialog::AcceptMode mode) {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        dialog.setNameFilter(toQtFilter(filter));
        QString suffix = defaultExt;
        if (suffix.startsWith('.')) suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().first();
    }
};

std::unique_ptr<Ui>& installed() {
    static std::unique_ptr<Ui> current = std::make_unique<QtUi>();
    return current;
}

QString takeFront(QStringList& names) {
    return names.isEmpty() ? QString() : names.takeFirst();
}

}  // namespace

Ui& ui() {
    return *installed();
}

void installUi(std::unique_ptr<Ui> ui) {
    installed() = ui ? std::move(ui) : std::make_unique<QtUi>();
}

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.simplified());
    }
    return filters.join(QStringLiteral(";;"));
}

ScriptedUi* ScriptedUi::install() {
    auto scripted = std::make_unique<ScriptedUi>();
    ScriptedUi* installedOne = scripted.get();
    installUi(std::move(scripted));
    return installedOne;
}

BoxResult ScriptedUi::messageBox(QWidget*, const QString& caption, const QString& text,
                                 BoxButtons buttons) {
    boxes.push_back({caption, text, buttons});
    if (onBox) onBox(boxes.back());
    // An OK-only box has nothing to choose, so it leaves the scripted answers for the questions.
    if (buttons == BoxButtons::Ok || answers.empty()) return BoxResult::Ok;
    const BoxResult answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

QString ScriptedUi::openFileName(QWidget*, const QString&, const QString&) {
    return takeFront(openNames);
}

QString ScriptedUi::saveFileName(QWidget*, const QString&, const QString&) {
    return takeFront(saveNames);
}

QDateTime ScriptedUi::now() {
    return clock.isValid() ? clock : QDateTime::currentDateTime();
}

}  // namespace platform
