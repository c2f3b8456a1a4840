#include "common/number_rules.h"

#include <gtest/gtest.h>

namespace lvx {
namespace {

TEST(NumberRules, RuleDRoundsDownAndFitsSixteenBits) {
    EXPECT_EQ(RuleD("150.9"), 150);
    EXPECT_EQ(RuleD("  150.9  "), 150);
    EXPECT_EQ(RuleD(" 2.7"), 2);
    EXPECT_EQ(RuleD("-0.5"), -1);
    EXPECT_EQ(RuleD(" 15"), 15);
    EXPECT_EQ(RuleD("32767.9"), 32767);
    EXPECT_EQ(RuleD("-32768"), -32768);
    EXPECT_EQ(RuleD("32768"), std::nullopt);
    EXPECT_EQ(RuleD("-32768.5"), std::nullopt);
    EXPECT_EQ(RuleD("abc"), std::nullopt);
    EXPECT_EQ(RuleD("12abc"), std::nullopt);
    EXPECT_EQ(RuleD(""), std::nullopt);
    EXPECT_EQ(RuleD("   "), std::nullopt);
    EXPECT_EQ(RuleD("-"), std::nullopt);
    EXPECT_EQ(RuleD("."), std::nullopt);
    EXPECT_EQ(RuleD("1 2"), std::nullopt);
}

TEST(NumberRules, RuleNRoundsHalfToEvenAndFitsThirtyTwoBits) {
    EXPECT_EQ(RuleN("1.5"), 2);
    EXPECT_EQ(RuleN("2.5"), 2);
    EXPECT_EQ(RuleN("3.5"), 4);
    EXPECT_EQ(RuleN("-0.5"), 0);
    EXPECT_EQ(RuleN("-1.5"), -2);
    EXPECT_EQ(RuleN(" 16777215"), 16777215);
    EXPECT_EQ(RuleN("70000"), 70000);
    EXPECT_EQ(RuleN("2147483647"), 2147483647);
    EXPECT_EQ(RuleN("2147483647.5"), std::nullopt);
    EXPECT_EQ(RuleN("-2147483648"), INT32_MIN);
    EXPECT_EQ(RuleN("99999999999999999999"), std::nullopt);
    EXPECT_EQ(RuleN("x1"), std::nullopt);
}

TEST(NumberRules, NumberTextHasLeadingBlankUnlessNegative) {
    EXPECT_EQ(NumberText(15), " 15");
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(16777215), " 16777215");
    EXPECT_EQ(NumberText(-1), "-1");
    // What the writer produces reads back to the same number.
    for (int64_t v : {0, 7, -1, 214, -32768, 16777215}) EXPECT_EQ(RuleN(NumberText(v)), v);
}

TEST(NumberRules, LeadingNumberReadsTheStartOfATextOnly) {
    EXPECT_EQ(LeadingNumber("1234"), 1234);
    EXPECT_EQ(LeadingNumber("  4711 rest"), 4711);
    EXPECT_EQ(LeadingNumber("12.5x"), 12.5);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("xyz"), 0);
    EXPECT_EQ(LeadingNumber("Error:-1"), 0);
    EXPECT_EQ(LeadingNumber("-3"), -3);
}

}  // namespace
}  // namespace lvx
