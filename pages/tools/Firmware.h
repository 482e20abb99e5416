#pragma once

#include <QString>

// The file rules of the firmware and SSL upload page. The extension checks are case-sensitive and
// search the whole path, folders included.

// Empty, or naming a folder (ending in a separator).
bool isMissingFileName(const QString& path);
// Holds ".bin" or ".tfp".
bool isFirmwarePath(const QString& path);
// Holds ".der" or ".pem".
bool isCertificatePath(const QString& path);
