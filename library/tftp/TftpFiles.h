#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The file side of a transfer, kept apart from the protocol so that the transfer logic runs
// on memory in tests and on the disk in the server.
namespace tftp {

// The bytes of a file being read, in order.
class Source {
  public:
    virtual ~Source() = default;
    // Up to max bytes into the buffer; the count, 0 at the end, negative on a read error.
    virtual long read(char* into, size_t max) = 0;
};

// The bytes of a file being received. Nothing reaches the target before commit succeeds;
// a sink destroyed without a successful commit leaves the target as it was.
class Sink {
  public:
    virtual ~Sink() = default;
    virtual bool write(const char* from, size_t count) = 0;
    virtual bool commit() = 0;
};

// Where plain file names are opened. Each call returns 0 and the file, or a failure status
// (-1103 not found, -1104 access violation, -1105 disk full, ...).
class Folder {
  public:
    virtual ~Folder() = default;
    virtual int openSource(const std::string& name, std::unique_ptr<Source>& source) = 0;
    virtual int openSink(const std::string& name, std::unique_ptr<Sink>& sink) = 0;
};

// A folder on the disk. Reads come in large chunks; a received file goes to a temporary file
// beside its target and is renamed over it by commit. Only regular files are read or replaced,
// never through a symbolic link. Temporary files a killed process left behind are removed when
// their name is next written.
class DiskFolder : public Folder {
  public:
    explicit DiskFolder(std::string root) : root_(std::move(root)) {}
    int openSource(const std::string& name, std::unique_ptr<Source>& source) override;
    int openSink(const std::string& name, std::unique_ptr<Sink>& sink) override;

  private:
    std::string root_;  // ends with '/'
};

}  // namespace tftp
