#pragma once

#include <QString>

// The file rules of the configuration file page.

// The name the device's configuration is saved under: unchanged when it holds ".dcf" in any
// letter case anywhere, else with ".dcf" appended.
QString dcfSaveName(const QString& bareName);

// An update file must hold ".dcf" in any letter case somewhere in its whole path.
bool isDcfPath(const QString& path);
