#pragma once

#include <memory>

#include "platform/Ui.h"

// A user-interface seam for runs without anyone at the screen (process-level tests): every box
// is written to standard error as "caption: text" and answered OK, file dialogs are cancelled.
// Installed when VRA2260_BOXES is "stderr".
class ConsoleUi : public platform::Ui {
  public:
    platform::BoxResult messageBox(QWidget*, const QString& caption, const QString& text,
                                   platform::BoxButtons) override;
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    void beep() override {}
    void terminate(int exitCode) override;
    void blockingWait(int milliseconds) override;
    QDateTime now() override { return QDateTime::currentDateTime(); }

    // Installs it when the environment asks for it; true when installed.
    static bool installWhenAsked();
};
