// The sample panel's number text: which field texts become which arguments, and how a
// returned value reads in the result label.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "NumberText.h"

using ::testing::Eq;
using ::testing::Optional;

std::wstring Shown(std::int32_t value) { return ReturnValueText(value).text; }

TEST(FieldNumber, BlanksAroundTheNumberAreIgnored) {
  EXPECT_THAT(FieldNumber(L" 12 "), Optional(12));
  EXPECT_THAT(FieldNumber(L"\t9350  "), Optional(9350));
  EXPECT_THAT(FieldNumber(L"0"), Optional(0));
  EXPECT_THAT(FieldNumber(L"007"), Optional(7));
}

TEST(FieldNumber, AnOptionalSignComesDirectlyBeforeTheDigits) {
  EXPECT_THAT(FieldNumber(L"-1"), Optional(-1));
  EXPECT_THAT(FieldNumber(L" +7 "), Optional(7));
  EXPECT_EQ(FieldNumber(L"- 1"), std::nullopt);
  EXPECT_EQ(FieldNumber(L"--1"), std::nullopt);
  EXPECT_EQ(FieldNumber(L"1-"), std::nullopt);
}

TEST(FieldNumber, TextThatIsNotADecimalWholeNumberIsRefused) {
  for (const wchar_t* text : {L"abc", L"", L"   ", L"-", L"+", L"12abc", L"1 2", L"9.5", L"1,000",
                              L"0x1A", L"1e3", L"\u0661"})
    EXPECT_EQ(FieldNumber(text), std::nullopt) << testing::PrintToString(std::wstring(text));
}

TEST(FieldNumber, TheWholeSigned32BitRangeConvertsAndNothingBeyondIt) {
  EXPECT_THAT(FieldNumber(L"2147483647"), Optional(INT32_MAX));
  EXPECT_THAT(FieldNumber(L"-2147483648"), Optional(Eq(INT32_MIN)));
  EXPECT_EQ(FieldNumber(L"2147483648"), std::nullopt);
  EXPECT_EQ(FieldNumber(L"-2147483649"), std::nullopt);
  EXPECT_EQ(FieldNumber(L"3000000000"), std::nullopt);
  EXPECT_EQ(FieldNumber(L"99999999999999999999999"), std::nullopt);
  EXPECT_THAT(FieldNumber(L"00000000002147483647"), Optional(INT32_MAX));
}

TEST(ReturnValueText, ShowsDecimalThenTheHexPatternWithoutLeadingZeros) {
  EXPECT_EQ(Shown(0), L"0 (0H)");
  EXPECT_EQ(Shown(1), L"1 (1H)");
  EXPECT_EQ(Shown(3), L"3 (3H)");
  EXPECT_EQ(Shown(9890), L"9890 (26A2H)");
  EXPECT_EQ(Shown(INT32_MAX), L"2147483647 (7FFFFFFFH)");
}

TEST(ReturnValueText, NegativeValuesShowTheirTwosComplementPatternInEightDigits) {
  EXPECT_EQ(Shown(-1), L"-1 (FFFFFFFFH)");
  EXPECT_EQ(Shown(INT32_MIN), L"-2147483648 (80000000H)");
  EXPECT_EQ(Shown(-256), L"-256 (FFFFFF00H)");
}
