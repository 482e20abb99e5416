#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The rules of the log page that need no window, shared with the two other transfer pages.

// One line of the device's log as the page shows it.
struct LogEntry {
    QString time;
    QString type;
    QString message;
};

// Splits "time|free text[type]message": the free text is dropped, a leading blank of the message
// kept. A missing "|" gives an empty time, a missing "[" removes nothing, a missing "]" gives an
// empty type and leaves the rest as the message.
LogEntry splitLogLine(const QString& line);

// Reads a log file as 8-bit text, one entry per line (LF, CRLF or CR). False when the file is
// missing or cannot be read; lines is emptied only when the file exists.
bool loadLogLines(const QString& path, QStringList& lines);

// The network of an address under a mask, both dotted; an octet that is not a number counts as 0
// and only its low 8 bits are used.
QString networkAddress(const QString& address, const QString& mask);

// One local IPv4 interface as its address and mask texts.
struct LocalAddress {
    QString address;
    QString mask;
};

// The first local address whose network equals the device's network, or an empty text.
QString addressOnDeviceNetwork(const std::vector<LocalAddress>& locals,
                               const QString& deviceAddress, const QString& deviceMask);

// Paths as the user gives them: "/" and "\" both separate folders.
int lastSeparator(const QString& path);
// The text before the last separator (empty without one).
QString folderOfPath(const QString& path);
// The text after the last separator (the whole path without one).
QString bareNameOfPath(const QString& path);
