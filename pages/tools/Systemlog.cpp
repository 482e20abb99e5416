#include "pages/tools/Systemlog.h"

#include <QFile>

#include "platform/Environment.h"

LogEntry splitLogLine(const QString& line) {
    LogEntry entry;
    QString rest = line;
    const int bar = rest.indexOf(u'|');
    if (bar >= 0) {
        entry.time = rest.left(bar).trimmed();
        rest = rest.mid(bar + 1);
    }
    const int open = rest.indexOf(u'[');
    if (open >= 0) rest = rest.mid(open + 1);
    const int close = rest.indexOf(u']');
    if (close >= 0) {
        entry.type = rest.left(close);
        rest = rest.mid(close + 1);
    }
    entry.message = rest;
    return entry;
}

bool loadLogLines(const QString& path, QStringList& lines) {
    QFile file(path);
    if (!file.exists()) return false;
    lines.clear();
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    const QString text = platform::fromLatin1(std::string_view(bytes.constData(), bytes.size()));
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r') continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.mid(start);
    return true;
}

namespace {

// Octet n (0..3) of a dotted text: the texts before the first three dots, then all after the
// third; missing parts are empty.
QString octetText(const QString& dotted, int n) {
    int from = 0;
    for (int i = 0; i < n; ++i) {
        const int dot = dotted.indexOf(u'.', from);
        if (dot < 0) return {};
        from = dot + 1;
    }
    if (n == 3) return dotted.mid(from);
    const int dot = dotted.indexOf(u'.', from);
    return dot < 0 ? QString() : dotted.mid(from, dot - from);
}

unsigned octetValue(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? static_cast<unsigned>(value) & 0xFFu : 0u;
}

}  // namespace

QString networkAddress(const QString& address, const QString& mask) {
    QStringList parts;
    for (int n = 0; n < 4; ++n)
        parts << QString::number(octetValue(octetText(address, n)) &
                                 octetValue(octetText(mask, n)));
    return parts.join(u'.');
}

QString addressOnDeviceNetwork(const std::vector<LocalAddress>& locals,
                               const QString& deviceAddress, const QString& deviceMask) {
    const QString deviceNetwork = networkAddress(deviceAddress, deviceMask);
    for (const LocalAddress& local : locals) {
        if (networkAddress(local.address, local.mask) == deviceNetwork) return local.address;
    }
    return {};
}

int lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

QString folderOfPath(const QString& path) {
    const int at = lastSeparator(path);
    return at < 0 ? QString() : path.left(at);
}

QString bareNameOfPath(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}
