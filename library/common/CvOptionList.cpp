#include "library/common/CvOptionList.h"

#include <QString>
#include <charconv>

namespace {

bool sameText(const std::string& a, const std::string& b, bool caseSensitive) {
    if (caseSensitive) return a == b;
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// A whole decimal integer text, or nothing (so "3x" or "" never match the pair 3).
bool parseInteger(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && last == end && !text.empty();
}

}  // namespace

CvOptionList::CvOptionList(const CvOptionPair* pairs, int valueKind, int caseFlag)
    : valueKind_(valueKind), caseSensitive_(caseFlag != 0) {
    for (const CvOptionPair* pair = pairs; pair && pair->text; ++pair) {
        pairs_.emplace_back(pair->value, pair->text);
    }
}

CvOptionList::CvOptionList(std::initializer_list<std::pair<int, std::string>> pairs, int valueKind,
                           int caseFlag)
    : pairs_(pairs), valueKind_(valueKind), caseSensitive_(caseFlag != 0) {}

int CvOptionList::IndexOfValue(const std::string& value) const {
    int number = 0;
    if (!parseInteger(value, number)) return -1;
    for (int i = 0; i < Count(); ++i) {
        if (pairs_[i].first == number) return i;
    }
    return -1;
}

int CvOptionList::IndexOfText(const std::string& text) const {
    for (int i = 0; i < Count(); ++i) {
        if (sameText(pairs_[i].second, text, caseSensitive_)) return i;
    }
    return -1;
}

std::string CvOptionList::ToText(const std::string& value) const {
    const int index = IndexOfValue(value);
    return index < 0 ? value : pairs_[index].second;
}

std::string CvOptionList::ToValue(const std::string& text) const {
    const int index = IndexOfText(text);
    return index < 0 ? text : std::to_string(pairs_[index].first);
}
