#include "app/Main.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "app/ConsoleUi.h"
#include "platform/Application.h"
#include "platform/Trace.h"
#include "platform/Ui.h"

namespace {

// With the trace's debug lines on (QT_LOGGING_RULES="vra.trace.debug=true"): when the window is
// up, counted from the start of main, and every time the event loop was kept from its work for
// more than 50 ms, so that a run against a device that does not answer shows whether anything
// held the window.
void traceEventLoop(const QElapsedTimer& sinceStart) {
    if (!vraTrace().isDebugEnabled()) return;
    const qint64 shown = sinceStart.elapsed();
    QTimer::singleShot(0, [shown] { qCDebug(vraTrace, "window shown after %lld ms", shown); });
    constexpr int tickMs = 10;
    auto* tick = new QTimer(QCoreApplication::instance());
    tick->setTimerType(Qt::PreciseTimer);
    auto last = std::make_shared<QElapsedTimer>();
    last->start();
    QObject::connect(tick, &QTimer::timeout, [last] {
        const qint64 held = last->restart() - tickMs;
        if (held > 50) qCDebug(vraTrace, "event loop held %lld ms", held);
    });
    tick->start(tickMs);
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    platform::Application application(argc, argv);
    platform::Application::setApplicationName(QStringLiteral("VRA-2260"));
    ConsoleUi::installWhenAsked();

    QStringList arguments = platform::Application::arguments();
    arguments.removeFirst();
    // Only a management platform starts the module, and it always names the device.
    if (arguments.isEmpty()) {
        platform::ui().messageBox(
            nullptr, platform::Application::applicationDisplayName(),
            QStringLiteral("This module is only used in the Harbor or HP-Openview."),
            platform::BoxButtons::Ok);
        return 1;
    }

    TMainForm form(arguments);
    if (!form.FormCreate()) return 1;
    form.show();
    traceEventLoop(sinceStart);
    return platform::Application::exec();
}
