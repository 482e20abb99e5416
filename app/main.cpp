#include "app/Main.h"

#include <QStringList>

#include "app/ConsoleUi.h"
#include "platform/Application.h"
#include "platform/Ui.h"

int main(int argc, char** argv) {
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
    return platform::Application::exec();
}
