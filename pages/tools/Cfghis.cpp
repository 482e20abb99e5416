#include "pages/tools/Cfghis.h"

QString dcfSaveName(const QString& bareName) {
    return isDcfPath(bareName) ? bareName : bareName + QStringLiteral(".dcf");
}

bool isDcfPath(const QString& path) {
    return path.contains(QStringLiteral(".dcf"), Qt::CaseInsensitive);
}
