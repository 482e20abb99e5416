#include "platform/Trace.h"

// Only critical messages pass unless the logging rules enable the category.
Q_LOGGING_CATEGORY(vraTrace, "vra.trace", QtCriticalMsg)
