#include "platform/IniFile.h"

#include <QFile>
#include <QString>

#include "platform/Environment.h"

namespace platform {
namespace {

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string IniData::foldName(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .toCaseFolded()
        .toStdString();
}

IniData IniData::parse(std::string_view bytes) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    const bool utf8 = bytes.starts_with(bom);
    if (utf8) bytes.remove_prefix(bom.size());
    const std::string text = utf8 ? std::string(bytes) : fromLatin1(bytes).toStdString();

    IniData data;
    std::map<std::string, std::string>* section = nullptr;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) {
                section = nullptr;  // pairs under a broken header belong to no section
                continue;
            }
            section = &data.sections_[foldName(trim(line.substr(1, close - 1)))];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!section || equals == std::string_view::npos) continue;
        const std::string key = foldName(trim(line.substr(0, equals)));
        if (key.empty()) continue;
        section->try_emplace(key, unquote(trim(line.substr(equals + 1))));
    }
    return data;
}

std::optional<IniData> IniData::read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool IniData::hasSection(std::string_view section) const {
    return sections_.contains(foldName(trim(section)));
}

std::optional<std::string> IniData::value(std::string_view section, std::string_view key) const {
    const auto found = sections_.find(foldName(trim(section)));
    if (found == sections_.end()) return std::nullopt;
    const auto pair = found->second.find(foldName(trim(key)));
    if (pair == found->second.end()) return std::nullopt;
    return pair->second;
}

}  // namespace platform
