#pragma once

#include <QString>
#include <exception>

#include "platform/Application.h"

// Creates a page without a parent, keeps it in its global pointer while it is shown modally,
// then deletes it and clears the pointer, also when an exception leaves the page, so that no
// late routine reaches a deleted page through the global. The exception's text is shown in a
// box captioned with the application title.
template <class Page>
void openPage(Page*& global) {
    try {
        global = new Page(nullptr);
        global->exec();
    } catch (const std::exception& failure) {
        platform::Application::reportEscaped(QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        platform::Application::reportEscaped(QStringLiteral("(CvCommon) Internal error!"));
    }
    delete global;
    global = nullptr;
}

// A page that no global pointer keeps (the About box).
template <class Page>
void openUnstoredPage() {
    Page* page = nullptr;
    openPage(page);
}
