#include <gtest/gtest.h>

#include "settings/AutoStart.h"

namespace klarvex {
namespace {

// The command Windows runs at the start: a path with a space is quoted, or
// Windows would try "C:\Program.exe" first.
TEST(AutoStart, TheCommandQuotesAPathWithASpaceAndIsKnownByItsSwitch) {
    EXPECT_EQ(AutoStartCommand(L"C:\\Klarvex\\Klarvex.exe"), L"C:\\Klarvex\\Klarvex.exe -Auto");
    EXPECT_EQ(AutoStartCommand(L"C:\\Program Files\\Klarvex\\Klarvex.exe"),
              L"\"C:\\Program Files\\Klarvex\\Klarvex.exe\" -Auto");
    for (const wchar_t* command : {L"C:\\Klarvex\\Klarvex.exe -Auto", L"\"C:\\Program Files\\K.exe\" -Auto",
                                   L"-Auto"})
        EXPECT_TRUE(IsAutoStartCommand(command)) << command;
    for (const wchar_t* command : {L"", L"C:\\Klarvex\\Klarvex.exe", L"C:\\Klarvex\\Klarvex.exe -auto",
                                   L"C:\\Klarvex\\Klarvex.exe /s"})
        EXPECT_FALSE(IsAutoStartCommand(command)) << command;
}

}  // namespace
}  // namespace klarvex
