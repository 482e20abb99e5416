#include "platform/Application.h"

#include <exception>

#include "platform/Trace.h"
#include "platform/Ui.h"

namespace platform {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportEscaped(QString::fromStdString(error.what()));
    } catch (...) {
        reportEscaped(QStringLiteral("(CvCommon) Internal error!"));
    }
    return false;
}

void Application::reportEscaped(const QString& text) noexcept {
    try {
        qCWarning(vraTrace) << "exception left an event handler:" << text;
        ui().messageBox(nullptr, applicationDisplayName(), text, BoxButtons::Ok);
    } catch (...) {
        // The box itself failed (out of memory, say); losing the text beats ending the module.
        qCCritical(vraTrace) << "could not show:" << text;
    }
}

}  // namespace platform
