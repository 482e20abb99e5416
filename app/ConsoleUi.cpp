#include "app/ConsoleUi.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/Environment.h"

platform::BoxResult ConsoleUi::messageBox(QWidget*, const QString& caption, const QString& text,
                                          platform::BoxButtons) {
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
    std::fflush(stderr);
    return platform::BoxResult::Ok;
}

void ConsoleUi::terminate(int exitCode) {
    std::fflush(nullptr);
    std::exit(exitCode);
}

void ConsoleUi::blockingWait(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(platform::scaledMs(milliseconds)));
}

bool ConsoleUi::installWhenAsked() {
    if (qgetenv("VRA2260_BOXES") != "stderr") return false;
    platform::installUi(std::make_unique<ConsoleUi>());
    return true;
}
