#include "library/common/CvMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <map>
#include <vector>

#include "library/common/CvMessageTables.h"
#include "platform/Environment.h"

namespace CvMessages {
namespace {

constexpr const char* kCommonTexts[] = {
    "Can't open the file [FILENAME]!",
    "Bad format specifier of edit's constraint!",
    "The length of the text must be [LEN]!",
    "The text can't be longer than [LEN]!",
    "The value must be between [MIN] and [MAX]!",
    "The field can't be empty!",
    "Not a valid number!",
    "Can't read the local interface list!",
    "Bad ini file [FILENAME]!",
    "Internal error!",
};

constexpr const char* kSnmpTexts[] = {
    "SNMP error: tooBig!",
    "SNMP error: noSuchName!",
    "SNMP error: badValue!",
    "SNMP error: readOnly!",
    "SNMP error: genErr!",
    "SNMP error: noAccess!",
    "SNMP error: wrongType!",
    "SNMP error: wrongLength!",
    "SNMP error: wrongEncoding!",
    "SNMP error: wrongValue!",
    "SNMP error: noCreation!",
    "SNMP error: inconsistentValue!",
    "SNMP error: resourceUnavailable!",
    "SNMP error: commitFailed!",
    "SNMP error: undoFailed!",
    "SNMP error: authorizationError!",
    "SNMP error: notWritable!",
    "SNMP error: inconsistentName!",
    "SNMP error: no such object or instance!",
};

constexpr const char* kSnmpV3Texts[] = {
    "SNMPv3 general error!",
    "SNMPv3 is not initialised!",
    "Report: invalid message!",
    "Report: unknown security model!",
    "Report: unknown PDU handler!",
    "Report: unavailable context!",
    "Report: unknown context!",
    "Unknown report received!",
    "Engine discovery failed!",
    "Invalid engine id!",
    "Message too big!",
    "Bad SNMPv3 header!",
    "Unsupported message version!",
    "Bad message flags!",
    "Missing security parameters!",
    "Duplicate or replayed message!",
    "Unknown SNMPv3 error!",
};

constexpr const char* kUsmTexts[] = {
    "USM general error!",
    "Unsupported security level!",
    "Not in time window!",
    "Unknown user name!",
    "Unknown engine id!",
    "Wrong digest (authentication failure)!",
    "Decryption error!",
    "Encryption error!",
    "Unsupported authentication protocol!",
    "Unsupported privacy protocol!",
    "Empty authentication or privacy password!",
    "Key generation failed!",
    "Can't add the user!",
    "USM is not initialised!",
};

constexpr const char* kClassTexts[] = {
    "SNMP library error!",
    "Resource unavailable!",
    "Internal library error!",
    "Unsupported operation!",
    "The device did not answer in time!",
    "Session closed!",
    "Invalid address!",
    "Invalid OID!",
    "Invalid PDU!",
    "Invalid target!",
    "Invalid callback!",
    "Invalid request id!",
    "Invalid operation!",
    "Transport not supported!",
    "Transport in use!",
    "Send or receive failed!",
    "Too many outstanding requests!",
    "Encoding error!",
    "Malformed answer!",
    "The answer does not match the request!",
    "Access denied!",
    "Unknown SNMP version!",
    "Unknown library error!",
};

constexpr const char* kCvSnmpTexts[] = {
    "Host name lookup failed!",
    "Invalid OID text in an item table!",
    "The SNMP session is not started!",
    "Item index out of range!",
    "Invalid item type!",
    "Invalid key count!",
    "The text can't be converted to the item's syntax!",
    "Value out of range for the syntax!",
    "Character outside 8-bit text!",
    "Bad hexadecimal text!",
    "A MAC address needs 12 hexadecimal digits!",
    "Unsupported control!",
    "The value could not be read, so it was not saved!",
    "No list view bound!",
    "No table row selected!",
    "The answer has an unexpected type!",
    "A check box needs an option list or a boolean syntax!",
    "A combo box needs an option list!",
    "Unexpected number of variables in the answer!",
    "The walk did not advance!",
    "The walk exceeded 10000 rows!",
    "The request is disabled!",
    "Operation cancelled!",
    "Unsupported SNMP version!",
    "Invalid SNMPv3 settings!",
    "Can't write the boots counter file!",
    "Message file line ignored!",
    "Internal error!",
};

// Index 0 is code 3, index 3 is code 0.
constexpr const char* kTftpStatusTexts[] = {
    "Transfer completed.",
    "Transferring...",
    "Connected.",
    "Disconnected.",
};

constexpr const char* kTftpTexts[] = {
    "Can't open the UDP port!",
    "Socket error!",
    "File not found!",
    "Access violation!",
    "Disk full or write error!",
    "Illegal TFTP operation!",
    "Unknown transfer ID!",
    "File name refused!",
    "The peer sent an error packet!",
    "Time-out after retries!",
    "Too many sessions!",
    "Server not started!",
    "File read error!",
    "Internal error!",
};

constexpr const char* kSnmpMsgTexts[] = {
    "Get: [ERROR] Request:[VARLIST]. Receive at [TIME].",
    "Set: [ERROR] Request:[VARLIST]. Receive at [TIME].",
};

constexpr const char* kCommonTag = "(CvCommon)";
constexpr const char* kSnmpTag = "(ViZURU++)";
constexpr const char* kTftpTag = "(CvTFTP)";

template <std::size_t N>
std::vector<std::string> tagged(const char* tag, const char* const (&texts)[N]) {
    std::vector<std::string> lines;
    lines.reserve(N);
    for (const char* text : texts) lines.push_back(std::string(tag) + " " + text);
    return lines;
}

template <std::size_t N>
std::vector<std::string> plain(const char* const (&texts)[N]) {
    return std::vector<std::string>(std::begin(texts), std::end(texts));
}

const std::vector<MessageFile>& builtInFiles() {
    static const std::vector<MessageFile> files = {
        {"common.err", 0, tagged(kCommonTag, kCommonTexts)},
        {"snmp.err", 100, tagged(kSnmpTag, kSnmpTexts)},
        {"snmpv3.err", 200, tagged(kSnmpTag, kSnmpV3Texts)},
        {"snmpusm.err", 300, tagged(kSnmpTag, kUsmTexts)},
        {"snmpclass.err", 400, tagged(kSnmpTag, kClassTexts)},
        {"cvsnmp.err", 500, tagged(kSnmpTag, kCvSnmpTexts)},
        {"snmp.msg", -1, plain(kSnmpMsgTexts)},
    };
    return files;
}

// The replaceable texts as they stand now, one vector per file in builtInFiles() order.
std::vector<std::vector<std::string>>& current() {
    static std::vector<std::vector<std::string>> tables = [] {
        std::vector<std::vector<std::string>> copy;
        for (const MessageFile& file : builtInFiles()) copy.push_back(file.lines);
        return copy;
    }();
    return tables;
}

constexpr int kTftpFailures = static_cast<int>(std::size(kTftpTexts));

bool isTftpFailure(int code) {
    return code <= -1101 && code >= -1100 - kTftpFailures;
}

// The entry in the case-insensitive listing of a folder whose name matches, or empty.
QString findEntry(const QDir& dir, const QString& name, QDir::Filters filters) {
    for (const QString& entry : dir.entryList(filters | QDir::Hidden)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return {};
}

QString findFolder(const std::string& folder) {
    QString path = QString::fromStdString(folder);
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    QFileInfo info(path);
    if (info.isDir()) return info.filePath();
    QDir parent = info.dir();
    if (!parent.exists()) return {};
    return findEntry(parent, info.fileName(), QDir::Dirs | QDir::NoDotAndDotDot);
}

std::vector<std::string> readLines(const QString& path) {
    std::vector<std::string> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return lines;
    const QByteArray content = file.readAll();
    for (QByteArray line : content.split('\n')) {
        line.replace("\r", "");
        // Stored as UTF-8 internally: message files are Latin-1.
        lines.push_back(
            platform::fromLatin1(std::string_view(line.constData(), line.size())).toStdString());
    }
    // A final newline does not open an extra (empty) line; empty lines keep texts anyway.
    return lines;
}

}  // namespace

const std::vector<MessageFile>& builtInMessageFiles() {
    return builtInFiles();
}

std::string tftpText(int code) {
    if (code >= 0 && code <= 3) return std::string(kTftpTag) + " " + kTftpStatusTexts[3 - code];
    if (isTftpFailure(code)) return std::string(kTftpTag) + " " + kTftpTexts[-1101 - code];
    return text(code);
}

std::string text(int code) {
    if (code == 0) return std::string(kSnmpTag) + " Ok!";
    if ((code >= 1 && code <= 3) || isTftpFailure(code)) return tftpText(code);
    if (code < 0) {
        const auto& files = builtInFiles();
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (files[i].base < 0) continue;
            const int k = -code - files[i].base;
            if (k >= 1 && k <= static_cast<int>(files[i].lines.size())) return current()[i][k - 1];
        }
    }
    return std::string(kSnmpTag) + " Unknown error " + std::to_string(code) + "!";
}

std::string fill(std::string text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty()) return text;
    std::size_t at = 0;
    while ((at = text.find(placeholder, at)) != std::string::npos) {
        text.replace(at, placeholder.size(), value);
        at += value.size();  // a value that contains the placeholder is not filled again
    }
    return text;
}

void loadFolder(const std::string& folder) {
    const QString found = findFolder(folder);
    if (found.isEmpty()) return;
    const QDir dir(found);
    const auto& files = builtInFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = findEntry(dir, QString::fromLatin1(files[i].name), QDir::Files);
        if (path.isEmpty()) continue;
        const std::vector<std::string> lines = readLines(path);
        auto& table = current()[i];
        for (std::size_t k = 0; k < lines.size() && k < table.size(); ++k) {
            if (!lines[k].empty()) table[k] = lines[k];
        }
    }
}

std::string snmpMsg(int line) {
    const auto& table = current().back();
    if (line < 1 || line > static_cast<int>(table.size())) return {};
    return table[line - 1];
}

void resetToBuiltIn() {
    auto& tables = current();
    const auto& files = builtInFiles();
    for (std::size_t i = 0; i < files.size(); ++i) tables[i] = files[i].lines;
}

}  // namespace CvMessages
