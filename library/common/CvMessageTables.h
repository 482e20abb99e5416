#pragma once

#include <string>
#include <vector>

namespace CvMessages {

// One replaceable message file and its built-in lines: line k (1-based) is code -(base + k);
// "snmp.msg" has base -1 and holds the log-line patterns instead of codes.
struct MessageFile {
    const char* name;
    int base;
    std::vector<std::string> lines;
};

// The built-in texts, in the order the files are loaded; the shipped "errmsg" files equal them.
const std::vector<MessageFile>& builtInMessageFiles();

}  // namespace CvMessages
