#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// One (value, text) pair of an option list; a table of them ends with a pair whose text is null.
struct CvOptionPair {
    int value;
    const char* text;
};

// Converts between raw SNMP values and display texts, keeping the table's order (lists such as
// 3, 2, 1, 0 stay in that order, and combo index i stands for the i-th pair). Texts are matched
// without regard to case unless the case flag says otherwise; unmatched input passes through.
class CvOptionList {
public:
    // valueKind 1: integer values. caseFlag 0: case-insensitive texts.
    CvOptionList(const CvOptionPair* pairs, int valueKind = 1, int caseFlag = 0);
    CvOptionList(std::initializer_list<std::pair<int, std::string>> pairs, int valueKind = 1,
                 int caseFlag = 0);

    int Count() const { return static_cast<int>(pairs_.size()); }
    int Value(int index) const { return pairs_.at(index).first; }
    const std::string& Text(int index) const { return pairs_.at(index).second; }

    // Raw value text ("3") to display text; unchanged when no pair matches.
    std::string ToText(const std::string& value) const;
    // Display text to raw value text ("3"); unchanged when no pair matches.
    std::string ToValue(const std::string& text) const;
    // Position of a pair in table order, or -1.
    int IndexOfValue(const std::string& value) const;
    int IndexOfText(const std::string& text) const;

private:
    std::vector<std::pair<int, std::string>> pairs_;
    int valueKind_;
    bool caseSensitive_;
};
