#include <gtest/gtest.h>

#include "base/Format.h"
#include "formats/ProfileInteger.h"

namespace klarvex {
namespace {

TEST(FormatKB, RoundsUpToWholeKilobytesAndGroupsThousands) {
    EXPECT_EQ(FormatKB(0), L"0");
    EXPECT_EQ(FormatKB(1), L"1");
    EXPECT_EQ(FormatKB(1024), L"1");
    EXPECT_EQ(FormatKB(1025), L"2");
    EXPECT_EQ(FormatKB(1048576), L"1,024");
    EXPECT_EQ(FormatKB(1000000000), L"976,563");
    EXPECT_EQ(FormatKB(int64_t{5} << 40), L"5,368,709,120");  // sizes beyond 32 bits
}

TEST(ProfileInteger, ReadsDecimalAndHexadecimalAndRejectsTheRest) {
    EXPECT_EQ(ParseProfileInteger(L"10"), 10);
    EXPECT_EQ(ParseProfileInteger(L"-3"), -3);
    EXPECT_EQ(ParseProfileInteger(L"$1F"), 31);
    EXPECT_EQ(ParseProfileInteger(L"0x10"), 16);
    EXPECT_EQ(ParseProfileInteger(L"0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseProfileInteger(L"-2147483648"), INT32_MIN);
    EXPECT_FALSE(ParseProfileInteger(L""));
    EXPECT_FALSE(ParseProfileInteger(L"abc"));
    EXPECT_FALSE(ParseProfileInteger(L"12abc"));
    EXPECT_FALSE(ParseProfileInteger(L"0x"));
    EXPECT_FALSE(ParseProfileInteger(L"2147483648"));
}

}  // namespace
}  // namespace klarvex
