#pragma once

#include <stdexcept>
#include <string>

// The in-house library's failures: the message text and the module's negative status code.
class CvException : public std::runtime_error {
public:
    CvException(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// Common utilities, "(CvCommon)" texts, codes -1..-10.
class CvCommonException : public CvException {
public:
    using CvException::CvException;
};

// SNMP access layer, "(ViZURU++)" texts, codes -101..-528.
class CvSNMPException : public CvException {
public:
    using CvException::CvException;
};

// TFTP server, "(CvTFTP)" texts, codes -1101..-1114.
class CvTFTPException : public CvException {
public:
    using CvException::CvException;
};
