#pragma once

#include <QApplication>

// The application object: no exception may unwind through the Qt event loop, so every event
// delivery is guarded; an escaped exception is shown in a box captioned with the application
// title (QGuiApplication::applicationDisplayName()) and the module carries on.
namespace platform {

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the text of an exception that left a handler; never throws.
    static void reportEscaped(const QString& text) noexcept;
};

}  // namespace platform
