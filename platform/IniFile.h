#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

// The contents of an ini-style file: sections of key = value pairs. Section and key names are
// matched without regard to case; values are trimmed and lose one pair of surrounding quotes.
namespace platform {

class IniData {
  public:
    // Parses Latin-1 text (a UTF-8 file with a byte-order mark is read as UTF-8); LF or CRLF.
    // Lines starting with ';' or '#', lines without '=' and pairs before any section are
    // skipped; the first of two equal keys in a section wins.
    static IniData parse(std::string_view bytes);
    // Reads and parses a file; nothing when it cannot be read.
    static std::optional<IniData> read(const std::string& path);

    bool hasSection(std::string_view section) const;
    // The value (UTF-8), or nothing when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // The form under which names are compared.
    static std::string foldName(std::string_view name);

  private:
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

}  // namespace platform
