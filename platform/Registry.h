#pragma once

#include <optional>
#include <string>
#include <string_view>

// Read-only lookups in the registry ini (platform::registryPath()). A section is a key path with
// "/" between its parts and no leading separator, such as "SOFTWARE/Corvane/Harbor5.1/MibFile".
namespace platform {

// keyPath may use "\" or "/" and may start with a separator; names are matched without regard
// to case. Nothing when the file, the section or the value is missing. Nothing is ever written.
std::optional<std::string> registryValue(std::string_view keyPath, std::string_view name);

// The section name for a key path: "\SOFTWARE\Corvane\" -> "SOFTWARE/Corvane".
std::string registrySection(std::string_view keyPath);

}  // namespace platform
