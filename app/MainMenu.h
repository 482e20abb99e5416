#pragma once

#include <QString>
#include <exception>

#include "library/snmp/CvSNMPRequest.h"
#include "platform/Application.h"
#include "platform/Environment.h"

// Runs a handler reached from the event loop (a menu item, a timer): an exception it lets out is
// shown in a box captioned with the application title, never unwound through Qt.
template <class Body>
void runReportingFailure(Body body) {
    try {
        body();
    } catch (const std::exception& failure) {
        // Failure texts are message-table texts, kept as UTF-8 whatever the message files'
        // encoding.
        platform::Application::reportEscaped(QString::fromStdString(failure.what()));
    } catch (...) {
        platform::Application::reportEscaped(QStringLiteral("(CvCommon) Internal error!"));
    }
}

// Creates a page without a parent, keeps it in its global pointer while it is shown modally,
// then deletes it and clears the pointer, also when an exception leaves the page, so that no
// late routine reaches a deleted page through the global. Creating and showing the page is one
// action against a silent device; what the user does on the page runs in the page's own loop
// and starts actions of its own.
template <class Page>
void openPage(Page*& global) {
    const CvSNMPAction opening;
    runReportingFailure([&global] {
        global = new Page(nullptr);
        global->exec();
    });
    delete global;
    global = nullptr;
}

// A page that no global pointer keeps (the About box).
template <class Page>
void openUnstoredPage() {
    Page* page = nullptr;
    openPage(page);
}
