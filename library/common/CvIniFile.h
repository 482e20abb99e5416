#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/IniFile.h"

// An ini-style file such as the per-device settings file "<address>.cfg": sections and keys
// matched without regard to case, values trimmed and stripped of one pair of surrounding quotes,
// CRLF or LF line ends, Latin-1 text (returned as UTF-8).
class CvIniFile {
  public:
    CvIniFile() = default;
    // Reads the file at once; Loaded() tells whether it could be read.
    explicit CvIniFile(const std::string& fileName);

    bool Load(const std::string& fileName);
    void LoadText(std::string_view text);
    bool Loaded() const { return loaded_; }
    const std::string& FileName() const { return fileName_; }

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& defaultValue = {}) const;
    // A whole decimal integer (after trimming, optional sign), else the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

  private:
    platform::IniData data_;
    std::string fileName_;
    bool loaded_ = false;
};
