#include "sim/Journal.h"

#include <chrono>

#include "sim/Value.h"

JsonLine& JsonLine::text(const std::string& key, const std::string& value) {
    return raw(key, jsonString(value));
}

JsonLine& JsonLine::number(const std::string& key, long long value) {
    return raw(key, std::to_string(value));
}

JsonLine& JsonLine::raw(const std::string& key, const std::string& json) {
    if (!body_.empty()) body_ += ',';
    body_ += jsonString(key) + ":" + json;
    return *this;
}

Journal::~Journal() {
    if (file_) std::fclose(file_);
}

bool Journal::open(const std::string& path) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void Journal::write(const std::string& kind, const JsonLine& fields) {
    if (!file_) return;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::system_clock::now().time_since_epoch())
                  .count();
    std::string body = fields.str();
    std::string line = "{\"seq\":";
    line += std::to_string(++seq_);
    line += ",\"time\":";
    line += std::to_string(ms);
    line += ",\"kind\":";
    line += jsonString(kind);
    if (body.size() > 2)
        line.append(",").append(body, 1);
    else
        line += '}';
    line += '\n';
    // One write per record, so a reader never sees half of one followed by another.
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void Journal::clear() {
    if (file_) std::fclose(file_);
    file_ = std::fopen(path_.c_str(), "w");
}
