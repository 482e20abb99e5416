#pragma once

#include <string>
#include <string_view>

// The message tables of the library's three modules. Each code has a built-in English text that
// begins with its module's tag; the common and SNMP texts may be replaced line by line from the
// files of an "errmsg" folder, the TFTP texts never.
namespace CvMessages {

// The current text of a status code: common -1..-10, SNMP 0 and -101..-528, TFTP 3..0 and
// -1101..-1114. An unknown code gives "(ViZURU++) Unknown error <code>!".
std::string text(int code);

// The TFTP server's text of a status code 3..0 or -1101..-1114 (code 0 is "(CvTFTP)
// Disconnected." here, where text(0) is the SNMP "(ViZURU++) Ok!"); other codes as text().
std::string tftpText(int code);

// Replaces every occurrence of a placeholder such as "[FILENAME]" by plain text.
std::string fill(std::string text, std::string_view placeholder, std::string_view value);

// Reads common.err, snmp.err, snmpv3.err, snmpusm.err, snmpclass.err, cvsnmp.err and snmp.msg
// from the folder (file and folder names matched without regard to case). Line k of a file
// replaces code -(base + k); an empty line or a missing file keeps what is there; CR is
// stripped; text is Latin-1. A missing folder changes nothing. Later loads override earlier ones.
void loadFolder(const std::string& folder);

// The "snmp.msg" lines: 1 "Get: [ERROR] Request:[VARLIST]. Receive at [TIME].",
// 2 "Set: [ERROR] Request:[VARLIST]. Receive at [TIME]." unless replaced.
std::string snmpMsg(int line);

// Back to the built-in texts (tests).
void resetToBuiltIn();

}  // namespace CvMessages
