#include "platform/Registry.h"

#include "platform/Environment.h"
#include "platform/IniFile.h"

namespace platform {

std::string registrySection(std::string_view keyPath) {
    std::string section;
    for (const char c : keyPath) {
        const bool separator = c == '/' || c == '\\';
        if (!separator) {
            section += c;
        } else if (!section.empty() && section.back() != '/') {
            section += '/';
        }
    }
    if (!section.empty() && section.back() == '/') section.pop_back();
    return section;
}

std::optional<std::string> registryValue(std::string_view keyPath, std::string_view name) {
    const std::optional<IniData> registry = IniData::read(registryPath());
    if (!registry) return std::nullopt;
    return registry->value(registrySection(keyPath), name);
}

}  // namespace platform
