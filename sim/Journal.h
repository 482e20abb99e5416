#pragma once
// The device's journal: one JSON object per line, flushed at once so tests can read it at any
// moment.

#include <cstdio>
#include <string>

class JsonLine {
  public:
    JsonLine& text(const std::string& key, const std::string& value);
    JsonLine& number(const std::string& key, long long value);
    JsonLine& raw(const std::string& key, const std::string& json);
    std::string str() const { return "{" + body_ + "}"; }

  private:
    std::string body_;
};

class Journal {
  public:
    ~Journal();
    bool open(const std::string& path);
    // Writes kind, seq and time ahead of the given fields.
    void write(const std::string& kind, const JsonLine& fields);
    void clear();

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
    int seq_ = 0;
};
