// Emptying objects of a browser's Preferences text, and nothing else.

#include <gtest/gtest.h>

#include "formats/JsonEdit.h"

namespace klarvex {
namespace {

const std::vector<std::vector<std::string>> kEngagement = {{"profile", "site", "engagement"}};

TEST(JsonEdit, EmptiesOnlyTheObjectsNamedAndKeepsEveryOtherByte) {
    struct Row {
        const char* json;
        const char* expected;  // nullptr: not JSON, nothing edited
    };
    const Row rows[] = {
        {R"({"profile":{"site":{"engagement":{"http://a:1,*":{"x":[1,{"y":2}]}}},"keep":"engagement"}})",
         R"({"profile":{"site":{"engagement":{}},"keep":"engagement"}})"},
        // layout and other members untouched
        {"{ \"a\" : [ 1 , 2.5e3 , true , null ] ,\r\n \"profile\" : { \"site\" : { \"engagement\" : { \"k\" : 1 } } } }",
         "{ \"a\" : [ 1 , 2.5e3 , true , null ] ,\r\n \"profile\" : { \"site\" : { \"engagement\" : {} } } }"},
        // strings with quotes, braces and escapes do not confuse the reader
        {R"({"s":"}\"{","profile":{"site":{"engagement":{"\\\"":"\u00e9}"}}}})", R"({"s":"}\"{","profile":{"site":{"engagement":{}}}})"},
        // the same key below another path, inside an array, or holding no object
        {R"({"other":{"site":{"engagement":{"a":1}}},"profile":[{"site":{"engagement":{"b":2}}}]})",
         R"({"other":{"site":{"engagement":{"a":1}}},"profile":[{"site":{"engagement":{"b":2}}}]})"},
        {R"({"profile":{"site":{"engagement":"text"}}})", R"({"profile":{"site":{"engagement":"text"}}})"},
        {"{}", "{}"},
        // not well formed, or not an object: left alone
        {R"({"profile":{"site":{"engagement":{"a":1}})", nullptr},
        {R"({"a":1}garbage)", nullptr},
        {R"([{"profile":1}])", nullptr},
        {"{\"a\":\"line\nbreak\"}", nullptr},
        {"", nullptr},
    };
    for (const Row& row : rows) {
        const auto edited = EmptyJsonObjects(row.json, kEngagement);
        if (!row.expected) {
            EXPECT_FALSE(edited) << row.json;
            continue;
        }
        ASSERT_TRUE(edited) << row.json;
        EXPECT_EQ(*edited, row.expected);
    }
}

TEST(JsonEdit, DeepOrHugeTextsAreRefusedOrReadInOnePass) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(EmptyJsonObjects("{\"a\":" + deep + "}", kEngagement)) << "no stack runs out";
    std::string wide = "{\"profile\":{\"site\":{\"engagement\":{";
    for (int i = 0; i < 200000; ++i) wide += (i ? ",\"" : "\"") + std::to_string(i) + "\":[1,2,3]";
    wide += "}}},\"tail\":true}";
    const auto edited = EmptyJsonObjects(wide, kEngagement);
    ASSERT_TRUE(edited);
    EXPECT_EQ(*edited, R"({"profile":{"site":{"engagement":{}}},"tail":true})");
}

}  // namespace
}  // namespace klarvex
