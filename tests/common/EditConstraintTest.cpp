#include <gtest/gtest.h>

#include "library/common/CvEditConstraint.h"
#include "library/common/CvException.h"

namespace {

int badFormatCode(const char* format) {
    try {
        CvEditConstraint constraint(format);
    } catch (const CvCommonException& error) {
        EXPECT_STREQ(error.what(), "(CvCommon) Bad format specifier of edit's constraint!");
        return error.code();
    }
    return 0;
}

TEST(EditConstraint, EveryKind_Parses) {
    for (const char* format : {"%s", "%h", "%i", "%u", "%f"}) {
        const CvEditConstraint constraint(format);
        ASSERT_EQ(constraint.count(), 1) << format;
        EXPECT_EQ(constraint.specifier(0).kind, format[1]) << format;
        EXPECT_EQ(constraint.specifier(0).typingLimit(), -1) << format;
    }
    const CvEditConstraint list("%n,");
    EXPECT_EQ(list.specifier(0).kind, 'n');
    EXPECT_EQ(list.specifier(0).delimiter, ',');
    EXPECT_EQ(list.literals(), (std::vector<std::string>{"", ""}));
}

TEST(EditConstraint, BraceRules_AreRead) {
    const CvEditSpec range = CvEditConstraint("%i{n1x100}").specifier(0);
    EXPECT_EQ(range.min, "1");
    EXPECT_EQ(range.max, "100");
    EXPECT_FALSE(range.notEmpty);

    const CvEditSpec text = CvEditConstraint("%s{l32}").specifier(0);
    EXPECT_EQ(text.length, 32);
    EXPECT_FALSE(text.exactLength);
    EXPECT_EQ(text.typingLimit(), 32);

    const CvEditSpec all = CvEditConstraint("%h{l10,f,n,w8,a,e.}").specifier(0);
    EXPECT_EQ(all.length, 10);
    EXPECT_TRUE(all.exactLength);
    EXPECT_TRUE(all.notEmpty) << "a bare n means not empty";
    EXPECT_EQ(all.width, 8);
    EXPECT_TRUE(all.autoAdvance);
    EXPECT_EQ(all.advance, '.');
    EXPECT_EQ(all.typingLimit(), 8);

    const CvEditSpec negative = CvEditConstraint("%i{n-40x-5}").specifier(0);
    EXPECT_EQ(negative.min, "-40");
    EXPECT_EQ(negative.max, "-5");
    EXPECT_EQ(CvEditConstraint("%f{n0.5x2.25}").specifier(0).max, "2.25");
    EXPECT_EQ(CvEditConstraint("%n{x9};").specifier(0).delimiter, ';') << "rules before delimiter";
    EXPECT_EQ(CvEditConstraint("%n;{x9}").specifier(0).max, "9") << "rules after delimiter";
}

TEST(EditConstraint, BadSpecifiers_RaiseCommonCodeMinus2) {
    for (const char* format :
         {"",      "plain text", "%",         "%q",     "%S",     "%i{",      "%i{n1",
          "%i{z}", "%i{x}",      "%s{l}",     "%s{lx}", "%s{e}",  "%n",       "%n{x3}",
          "%n5",   "%n{",        "%i{n10x1}", "%s{n1}", "%h{x9}", "%i{n1.5}", "%s%"}) {
        EXPECT_EQ(badFormatCode(format), -2) << "format \"" << format << "\" must be refused";
    }
}

TEST(EditConstraint, SeveralSpecifiers_SplitAndJoinOnLiterals) {
    const CvEditConstraint ip("%i.%i.%i.%i");
    ASSERT_EQ(ip.count(), 4);
    EXPECT_EQ(ip.literals(), (std::vector<std::string>{"", ".", ".", ".", ""}));
    const auto pieces = ip.split("192.168.10.254");
    EXPECT_EQ(pieces, (std::vector<std::string>{"192", "168", "10", "254"}));
    EXPECT_EQ(ip.join(pieces), "192.168.10.254");
    EXPECT_EQ(ip.split("10.1"), (std::vector<std::string>{"10", "1", "", ""}));
    EXPECT_EQ(ip.join({"10", "1"}), "10.1..");

    const CvEditConstraint wrapped("[%s] (%u%%)");
    EXPECT_EQ(wrapped.literals(), (std::vector<std::string>{"[", "] (", "%)"}));
    EXPECT_EQ(wrapped.split("[ab] (42%)"), (std::vector<std::string>{"ab", "42"}));
    EXPECT_EQ(wrapped.join({"ab", "42"}), "[ab] (42%)");
}

TEST(EditConstraint, SingleSpecifier_TakesTheWholeValue) {
    const CvEditConstraint text("%s");
    EXPECT_EQ(text.split("a.b.c"), (std::vector<std::string>{"a.b.c"}));
    EXPECT_EQ(CvEditConstraint("%n.").split("1.2.3"), (std::vector<std::string>{"1.2.3"}));
}

TEST(EditConstraint, TypedCharacters_FollowTheKind) {
    const auto allowed = [](const char* format, char32_t c) {
        return CvEditConstraint::isAllowedCharacter(CvEditConstraint(format).specifier(0), c);
    };
    for (char32_t c : std::u32string_view(U"0123456789abcdefABCDEF")) {
        EXPECT_TRUE(allowed("%h", c)) << static_cast<char>(c);
    }
    for (char32_t c : std::u32string_view(U"gGxX -.:")) {
        EXPECT_FALSE(allowed("%h", c)) << static_cast<char>(c);
    }
    EXPECT_TRUE(allowed("%i", '-'));
    EXPECT_FALSE(allowed("%i", '.'));
    EXPECT_FALSE(allowed("%u", '-'));
    EXPECT_TRUE(allowed("%f", '.'));
    EXPECT_TRUE(allowed("%n,", ','));
    EXPECT_FALSE(allowed("%n,", ';'));
    EXPECT_TRUE(allowed("%s", U'\u00e9'));
    EXPECT_FALSE(allowed("%s", '\t')) << "control characters are never typed";
}

TEST(EditConstraint, TypingLimit_CountsTheSelectionAsReplaced) {
    const CvEditSpec specifier = CvEditConstraint("%s{l3}").specifier(0);
    EXPECT_EQ(CvEditConstraint::checkKey(specifier, U"ab", 0, 'c'), CvKeyVerdict::Accept);
    EXPECT_EQ(CvEditConstraint::checkKey(specifier, U"abc", 0, 'd'), CvKeyVerdict::Reject);
    EXPECT_EQ(CvEditConstraint::checkKey(specifier, U"abc", 1, 'd'), CvKeyVerdict::Accept);
    const CvEditSpec ip = CvEditConstraint("%i{w3e.}.%i").specifier(0);
    EXPECT_EQ(CvEditConstraint::checkKey(ip, U"19", 0, '.'), CvKeyVerdict::Advance);
    EXPECT_EQ(CvEditConstraint::checkKey(ip, U"192", 0, '1'), CvKeyVerdict::Reject);
}

TEST(EditConstraint, LeavingChecks_GiveCommonTextsWithPlaceholdersFilled) {
    const CvEditSpec exact = CvEditConstraint("%h{l10f}").specifier(0);
    const CvEditCheck shortKey = CvEditConstraint::checkText(exact, "12345");
    EXPECT_EQ(shortKey.code, -3);
    EXPECT_EQ(shortKey.message, "(CvCommon) The length of the text must be 10!");
    EXPECT_TRUE(CvEditConstraint::checkText(exact, "0123456789"));
    EXPECT_EQ(CvEditConstraint::checkText(exact, "01234567zz").code, -7);

    const CvEditSpec range = CvEditConstraint("%i{n1x100}").specifier(0);
    const CvEditCheck high = CvEditConstraint::checkText(range, "101");
    EXPECT_EQ(high.code, -5);
    EXPECT_EQ(high.message, "(CvCommon) The value must be between 1 and 100!");
    EXPECT_EQ(CvEditConstraint::checkText(range, "0").code, -5);
    EXPECT_TRUE(CvEditConstraint::checkText(range, "100"));
    EXPECT_TRUE(CvEditConstraint::checkText(range, "")) << "empty passes without the n flag";
    EXPECT_EQ(CvEditConstraint::checkText(range, "1e2").code, -7);
    EXPECT_EQ(CvEditConstraint::checkText(range, "-").code, -7);

    const CvEditSpec required = CvEditConstraint("%s{n}").specifier(0);
    const CvEditCheck empty = CvEditConstraint::checkText(required, "");
    EXPECT_EQ(empty.code, -6);
    EXPECT_EQ(empty.message, "(CvCommon) The field can't be empty!");
}

TEST(EditConstraint, NumberKinds_CheckTheirOwnRanges) {
    const auto code = [](const char* format, const char* text) {
        return CvEditConstraint::checkText(CvEditConstraint(format).specifier(0), text).code;
    };
    EXPECT_EQ(code("%i", "2147483647"), 0);
    EXPECT_EQ(code("%i", "2147483648"), -5) << "a signed item holds 32 bits";
    EXPECT_EQ(code("%i", "-2147483648"), 0);
    EXPECT_EQ(code("%u", "4294967295"), 0);
    EXPECT_EQ(code("%u", "4294967296"), -5);
    EXPECT_EQ(code("%u", "-1"), -7);
    EXPECT_EQ(code("%i", "99999999999999999999999"), -7) << "overflow is not a number";
    EXPECT_EQ(code("%f{n0.5x2.5}", "2.5"), 0);
    EXPECT_EQ(code("%f{n0.5x2.5}", "0.25"), -5);
    EXPECT_EQ(code("%f", "1.2.3"), -7);
    const CvEditCheck huge =
        CvEditConstraint::checkText(CvEditConstraint("%f").specifier(0), "1e400");
    EXPECT_EQ(huge.code, -5);
    EXPECT_EQ(huge.message, "(CvCommon) The value must be between -1.79769e+308 and 1.79769e+308!")
        << "an unbounded real's limits are written short enough to read";
    EXPECT_EQ(code("%n,{x10}", "1,2,10"), 0);
    EXPECT_EQ(code("%n,{x10}", "1,11"), -5);
    EXPECT_EQ(code("%n,", "1,,2"), -7) << "an empty element is no number";
    EXPECT_EQ(code("%n,", "1,a"), -7);
    EXPECT_EQ(code("%s{l4}", "longer than four"), 0)
        << "a length limit without f limits typing only";
}

}  // namespace
