#include "pages/tools/Firmware.h"

bool isMissingFileName(const QString& path) {
    return path.isEmpty() || path.endsWith(u'/') || path.endsWith(u'\\');
}

bool isFirmwarePath(const QString& path) {
    return path.contains(QStringLiteral(".tfp")) || path.contains(QStringLiteral(".bin"));
}

bool isCertificatePath(const QString& path) {
    return path.contains(QStringLiteral(".der")) || path.contains(QStringLiteral(".pem"));
}
