// Registry keys and values: counts, log lines, what stays.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "EngineFixture.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::LinesStartingWith;
using testing::RecordingHost;
using testing::CreateKey;
using testing::KeyExists;
using testing::ScratchRegKeys;
using testing::ValueExists;
using testing::TestRunner;

std::vector<std::wstring> Sorted(std::vector<std::wstring> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

class RegistryPrimitives : public ::testing::Test {
protected:
    void SetUp() override { Settings.FastScan = false; }
    void TearDown() override { Settings.FastScan = true; }
    const std::wstring path = L"Software\\" + testing::UniqueName(L"KlarvexRegTest");
    ScratchRegKeys scratch{{path}, HKEY_CURRENT_USER};
    RecordingHost host;
};

TEST_F(RegistryPrimitives, AKeyCountsTheValuesOfItsWholeSubtreeTakenBeforeDeletion) {
    scratch.SetString(L"", L"one", L"1");
    scratch.SetString(L"", L"two", L"2");
    for (const wchar_t* name : {L"a", L"b", L"c"}) scratch.SetString(L"Sub", name, L"x");

    TestRunner test(RunKind::Test, host);
    EXPECT_EQ(test.DeleteRegKey(L"HKEY_CURRENT_USER", path), 5);
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Test: deleting registry key HKEY_CURRENT_USER\\" + path}));
    EXPECT_TRUE(ValueExists(path + L"\\Sub", L"c", HKEY_CURRENT_USER));

    RecordingHost cleanHost;
    TestRunner clean(RunKind::Clean, cleanHost);
    EXPECT_EQ(clean.DeleteUserRegKey(path), 5);
    EXPECT_EQ(cleanHost.Lines(),
              (std::vector<std::wstring>{L"Clean: deleting registry key HKEY_CURRENT_USER\\" + path}));
    EXPECT_FALSE(KeyExists(path, HKEY_CURRENT_USER));
    EXPECT_TRUE(KeyExists(L"Software", HKEY_CURRENT_USER));

    // Gone: nothing to count, nothing to log.
    EXPECT_EQ(clean.DeleteUserRegKey(path), 0);
    EXPECT_EQ(cleanHost.Lines().size(), 1u);
}

TEST_F(RegistryPrimitives, AnEmptyKeyCountsOne) {
    CreateKey(path + L"\\Empty", HKEY_CURRENT_USER);
    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.DeleteUserRegKey(path + L"\\Empty"), 1);
    EXPECT_FALSE(KeyExists(path + L"\\Empty", HKEY_CURRENT_USER));
    EXPECT_TRUE(KeyExists(path, HKEY_CURRENT_USER));
}

TEST_F(RegistryPrimitives, AllValuesFormEmptiesTheKeyButKeepsIt) {
    for (const wchar_t* name : {L"v1", L"v2", L"v3", L"v4"}) scratch.SetString(L"", name, L"x");
    scratch.SetString(L"S1", L"x", L"1");
    scratch.SetString(L"S2", L"y", L"2");

    TestRunner test(RunKind::Test, host);
    EXPECT_EQ(test.DeleteUserRegValues(path, L""), 6);
    const std::wstring value = L"Test: deleting registry value HKEY_CURRENT_USER\\" + path + L"\\";
    const std::wstring key = L"Test: deleting registry key HKEY_CURRENT_USER\\" + path + L"\\";
    EXPECT_EQ(Sorted(host.Lines()), (std::vector<std::wstring>{key + L"S1", key + L"S2", value + L"v1", value + L"v2",
                                                                value + L"v3", value + L"v4"}));
    EXPECT_TRUE(ValueExists(path, L"v1", HKEY_CURRENT_USER));
    EXPECT_TRUE(KeyExists(path + L"\\S2", HKEY_CURRENT_USER));

    // Fast mode: same count, no lines.
    Settings.FastScan = true;
    RecordingHost cleanHost;
    TestRunner clean(RunKind::Clean, cleanHost);
    EXPECT_EQ(clean.DeleteRegValues(L"HKEY_CURRENT_USER", path, L""), 6);
    EXPECT_TRUE(cleanHost.Lines().empty());
    EXPECT_TRUE(KeyExists(path, HKEY_CURRENT_USER));
    EXPECT_EQ(CountRegValues(HKEY_CURRENT_USER, path), 0);
    EXPECT_FALSE(KeyExists(path + L"\\S1", HKEY_CURRENT_USER));
}

TEST_F(RegistryPrimitives, OneValueFormDeletesThatValueOnly) {
    scratch.SetString(L"", L"MRUList", L"ab");
    scratch.SetString(L"", L"Settings", L"keep");
    TestRunner test(RunKind::Test, host);
    EXPECT_EQ(test.DeleteUserRegValues(path, L"MRUList"), 1);
    EXPECT_EQ(test.DeleteUserRegValues(path, L"Missing"), 0);
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Test: deleting registry value HKEY_CURRENT_USER\\" + path +
                                                       L"\\MRUList"}));
    EXPECT_TRUE(ValueExists(path, L"MRUList", HKEY_CURRENT_USER));
    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.DeleteUserRegValues(path, L"MRUList"), 1);
    EXPECT_FALSE(ValueExists(path, L"MRUList", HKEY_CURRENT_USER));
    EXPECT_TRUE(ValueExists(path, L"Settings", HKEY_CURRENT_USER));
}

TEST_F(RegistryPrimitives, RootNamesWorkInAnyCaseAbbreviationsDoNothing) {
    const std::wstring machinePath = L"Software\\" + testing::UniqueName(L"KlarvexRegTest");
    ScratchRegKeys machine({machinePath}, HKEY_LOCAL_MACHINE);
    machine.SetString(L"", L"a", L"1");
    machine.SetString(L"", L"b", L"2");
    scratch.SetString(L"", L"c", L"3");

    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.DeleteRegValues(L"HKLM", machinePath, L""), 0);
    EXPECT_EQ(clean.DeleteRegKey(L"HKCU", path), 0);
    EXPECT_EQ(clean.DeleteRegKey(L"HKEY_CURRENT", path), 0);
    EXPECT_TRUE(host.Lines().empty());
    EXPECT_TRUE(ValueExists(machinePath, L"a", HKEY_LOCAL_MACHINE));

    EXPECT_EQ(clean.DeleteRegValues(L"hkey_local_machine", machinePath, L"a"), 1);
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Clean: deleting registry value HKEY_LOCAL_MACHINE\\" +
                                                       machinePath + L"\\a"}));
    EXPECT_FALSE(ValueExists(machinePath, L"a", HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(ValueExists(machinePath, L"b", HKEY_LOCAL_MACHINE));
    EXPECT_EQ(clean.DeleteRegKey(L"Hkey_Current_User", path), 1);
    EXPECT_FALSE(KeyExists(path, HKEY_CURRENT_USER));
    EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RootKeyName(HKEY_CLASSES_ROOT), L"HKEY_CLASSES_ROOT");
    EXPECT_EQ(RootKeyName(HKEY_PERFORMANCE_DATA), L"");
}

TEST_F(RegistryPrimitives, AnEmptyKeyPathNeverReachesTheWholeRoot) {
    // A Test run would count the whole of HKEY_CURRENT_USER if it took
    // the root for the key.
    TestRunner test(RunKind::Test, host);
    EXPECT_EQ(test.DeleteRegKey(L"HKEY_CURRENT_USER", L""), 0);
    EXPECT_EQ(test.DeleteRegKey(L"HKEY_CURRENT_USER", L"\\"), 0);
    EXPECT_EQ(test.DeleteRegValues(L"HKEY_CURRENT_USER", L"", L""), 0);
    EXPECT_TRUE(host.Lines().empty());
}

}  // namespace
}  // namespace klarvex
