#pragma once

#include <QLoggingCategory>

// The module's debug trace, off by default; QT_LOGGING_RULES="vra.trace*=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(vraTrace)
