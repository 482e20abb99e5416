#include <gtest/gtest.h>

#include "library/common/CvOptionList.h"

namespace {

const CvOptionPair kPriority[] = {{3, "Background(BK)"},
                                  {2, "Best Effort(BE)"},
                                  {1, "Video(VI)"},
                                  {0, "Voice(VO)"},
                                  {0, nullptr}};

TEST(OptionList, ArrayTable_KeepsTableOrderAndStopsAtNullText) {
    const CvOptionList list(kPriority);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Value(0), 3);
    EXPECT_EQ(list.Value(3), 0);
    EXPECT_EQ(list.Text(1), "Best Effort(BE)");
    EXPECT_EQ(list.IndexOfValue("3"), 0) << "combo index 0 must stand for the first pair";
    EXPECT_EQ(list.IndexOfValue("0"), 3);
}

TEST(OptionList, ValueToTextAndBack_UnmatchedInputPassesThroughUnchanged) {
    const CvOptionList list(kPriority);
    EXPECT_EQ(list.ToText("1"), "Video(VI)");
    EXPECT_EQ(list.ToValue("Video(VI)"), "1");
    EXPECT_EQ(list.ToValue("voice(vo)"), "0") << "texts are matched without regard to case";
    EXPECT_EQ(list.IndexOfText("BEST EFFORT(BE)"), 1);
    EXPECT_EQ(list.ToText("7"), "7");
    EXPECT_EQ(list.ToText("1x"), "1x") << "a value with trailing text is no integer";
    EXPECT_EQ(list.ToText(""), "");
    EXPECT_EQ(list.ToValue("Audio"), "Audio");
    EXPECT_EQ(list.IndexOfValue("-1"), -1);
    EXPECT_EQ(list.IndexOfText("Video"), -1) << "a prefix is no match";
}

TEST(OptionList, CaseFlagNegativeAndLargeValues) {
    const CvOptionList exact({{1, "Ascii"}, {2, "Hex"}}, 1, 1);
    EXPECT_EQ(exact.ToValue("Hex"), "2");
    EXPECT_EQ(exact.ToValue("HEX"), "HEX") << "the case flag matches texts exactly";
    const CvOptionList list({{-2, "minus two"}, {2147483647, "max"}});
    EXPECT_EQ(list.ToText("-2"), "minus two");
    EXPECT_EQ(list.ToValue("MAX"), "2147483647");
    EXPECT_EQ(list.ToText("2147483648"), "2147483648") << "out of int range matches nothing";
}

}  // namespace
