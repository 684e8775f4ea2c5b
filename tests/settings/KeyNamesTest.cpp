#include <gtest/gtest.h>

#include <string>

#include "settings/KeyNames.h"

namespace klarvex {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The names of the boss key's keys, row by row of the key table.
TEST(KeyNames, EveryKeyOfTheTableHasItsName) {
    struct Row {
        uint16_t key;
        const wchar_t* name;
    };
    const Row rows[] = {
        {8, L"BackSpace"}, {9, L"Tab"},         {12, L"Clear"},      {13, L"Enter"},         {19, L"Pause"},
        {20, L"CapsLock"}, {27, L"Esc"},        {32, L"Space"},      {33, L"PageUp"},        {34, L"PageDown"},
        {35, L"End"},      {36, L"Home"},       {37, L"LeftArrow"},  {38, L"UpArrow"},       {39, L"RightArrow"},
        {40, L"DownArrow"}, {44, L"PrintScreen"}, {45, L"Ins"},      {47, L"Help"},          {48, L"0"},
        {57, L"9"},        {59, L";"},          {64, L"@"},          {65, L"A"},             {90, L"Z"},
        {96, L"Num 0"},    {103, L"Num 7"},     {105, L"Num 9"},     {106, L"*"},            {107, L"+"},
        {108, L"Separator"}, {109, L"-"},       {110, L"."},         {111, L"/"},            {112, L"F1"},
        {116, L"F5"},      {123, L"F12"},       {135, L"F24"},       {144, L"Numlock"},      {145, L"Scroll"},
        {16, L""},         {17, L""},           {18, L""}};
    for (const Row& row : rows) {
        for (bool modifierHeld : {false, true}) {
            const auto name = KeyName(row.key, modifierHeld);
            ASSERT_TRUE(name) << row.key;
            EXPECT_EQ(*name, row.name) << row.key;
        }
    }
    EXPECT_EQ(KeyName(46, false), L"DDel");
    EXPECT_EQ(KeyName(46, true), L"Del");
    for (uint16_t outside : {0, 1, 7, 10, 11, 14, 15, 21, 28, 31, 41, 42, 43, 91, 92, 93, 95, 136, 143, 146, 160, 165,
                             186, 187, 192, 222, 255, 256, 0xFFFF})
        EXPECT_FALSE(KeyName(outside, false)) << outside;
}

// One key pressed in the combination box with the modifiers held: what the
// box shows and what the settings keep.
TEST(KeyNames, CaptureShowsTheModifiersInOrderAndStoresTheKey) {
    struct Case {
        uint16_t key;
        bool ctrl, shift, alt;
        const wchar_t* shown;
        const wchar_t* name;
        uint16_t code;
    };
    const Case cases[] = {
        {123, true, true, false, L"Ctrl  Shift  F12", L"F12", 123},
        {65, true, true, true, L"Ctrl  Shift  Alt  A", L"A", 65},
        {116, true, false, false, L"Ctrl  F5", L"F5", 116},
        {115, false, false, true, L"Alt  F4", L"F4", 115},
        {17, true, false, false, L"Ctrl  ", L"", 0},         // a modifier alone: no key
        {16, true, true, false, L"Ctrl  Shift  ", L"", 0},
        {18, false, false, true, L"Alt  ", L"", 0},
        {46, false, false, false, L"Del", L"Del", 46},       // "DDel" less the letter the box's Delete takes
        {46, true, false, false, L"Ctrl  Del", L"Del", 46},
        {46, false, true, false, L"Shift  Del", L"Del", 46},
        {103, false, false, false, L"Num 7", L"Num 7", 103},
        {186, false, false, false, L"", L"", 186},           // outside the table: everything goes
        {186, true, true, true, L"", L"", 186},
    };
    for (const Case& c : cases) {
        const KeyCapture capture = CaptureKey(c.key, c.ctrl, c.shift, c.alt);
        EXPECT_EQ(capture.shown, c.shown) << Narrow(c.shown) << " from " << c.key;
        EXPECT_EQ(capture.name, c.name) << Narrow(c.shown) << " from " << c.key;
        EXPECT_EQ(capture.code, c.code) << Narrow(c.shown) << " from " << c.key;
        // The settings dialog shows a stored combination with the same text.
        if (!capture.name.empty()) {
            EXPECT_EQ(HotkeyText(c.ctrl, c.shift, c.alt, capture.name), capture.shown) << c.key;
        }
    }
}

}  // namespace
}  // namespace klarvex
