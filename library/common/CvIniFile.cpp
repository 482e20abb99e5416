#include "library/common/CvIniFile.h"

#include <charconv>

CvIniFile::CvIniFile(const std::string& fileName) {
    Load(fileName);
}

bool CvIniFile::Load(const std::string& fileName) {
    fileName_ = fileName;
    std::optional<platform::IniData> data = platform::IniData::read(fileName);
    loaded_ = data.has_value();
    data_ = loaded_ ? std::move(*data) : platform::IniData();
    return loaded_;
}

void CvIniFile::LoadText(std::string_view text) {
    data_ = platform::IniData::parse(text);
    loaded_ = true;
}

bool CvIniFile::SectionExists(std::string_view section) const {
    return data_.hasSection(section);
}

bool CvIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return data_.value(section, key).has_value();
}

std::optional<std::string> CvIniFile::Value(std::string_view section, std::string_view key) const {
    return data_.value(section, key);
}

std::string CvIniFile::ReadString(std::string_view section, std::string_view key,
                                  const std::string& defaultValue) const {
    return data_.value(section, key).value_or(defaultValue);
}

int CvIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::optional<std::string> text = data_.value(section, key);
    if (!text || text->empty()) return defaultValue;
    const char* begin = text->data();
    const char* end = begin + text->size();
    if (*begin == '+') ++begin;  // from_chars takes "-" but not "+"
    int value = 0;
    const auto [last, error] = std::from_chars(begin, end, value);
    return error == std::errc() && last == end ? value : defaultValue;
}
