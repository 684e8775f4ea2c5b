// Registry keys and values: counts, log lines, what stays.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "EngineFixture.h"
#include "engine/RegistryKeys.h"
#include "engine/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::LinesStartingWith;
using testing::RecordingHost;
using testing::ScratchRegKey;
using testing::TestRunner;

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
    return RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void MakeKey(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

class RegistryPrimitives : public ::testing::Test {
protected:
    void SetUp() override { Settings.FastScan = false; }
    void TearDown() override { Settings.FastScan = true; }
    const std::wstring path = L"Software\\" + testing::UniqueName(L"KlarvexRegTest");
    ScratchRegKey scratch{HKEY_CURRENT_USER, path};
    RecordingHost host;
};

TEST_F(RegistryPrimitives, AKeyCountsTheValuesOfItsWholeSubtreeTakenBeforeDeletion) {
    scratch.SetString(L"", L"one", L"1");
    scratch.SetString(L"", L"two", L"2");
    for (const wchar_t* name : {L"a", L"b", L"c"}) scratch.SetString(L"Sub", name, L"x");

    TestRunner test(RunKind::Test, host);
    EXPECT_EQ(test.DeleteRegKey(L"HKEY_CURRENT_USER", path), 5);
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Test: deleting registry key HKEY_CURRENT_USER\\" + path}));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, path + L"\\Sub", L"c"));

    RecordingHost cleanHost;
    TestRunner clean(RunKind::Clean, cleanHost);
    EXPECT_EQ(clean.DeleteUserRegKey(path), 5);
    EXPECT_EQ(cleanHost.Lines(),
              (std::vector<std::wstring>{L"Clean: deleting registry key HKEY_CURRENT_USER\\" + path}));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));

    // Gone: nothing to count, nothing to log.
    EXPECT_EQ(clean.DeleteUserRegKey(path), 0);
    EXPECT_EQ(cleanHost.Lines().size(), 1u);
}

TEST_F(RegistryPrimitives, AnEmptyKeyCountsOne) {
    MakeKey(HKEY_CURRENT_USER, path + L"\\Empty");
    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.DeleteUserRegKey(path + L"\\Empty"), 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path + L"\\Empty"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
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
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, path, L"v1"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path + L"\\S2"));

    // Fast mode: same count, no lines.
    Settings.FastScan = true;
    RecordingHost cleanHost;
    TestRunner clean(RunKind::Clean, cleanHost);
    EXPECT_EQ(clean.DeleteRegValues(L"HKEY_CURRENT_USER", path, L""), 6);
    EXPECT_TRUE(cleanHost.Lines().empty());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_EQ(CountRegValues(HKEY_CURRENT_USER, path), 0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path + L"\\S1"));
}

TEST_F(RegistryPrimitives, OneValueFormDeletesThatValueOnly) {
    scratch.SetString(L"", L"MRUList", L"ab");
    scratch.SetString(L"", L"Settings", L"keep");
    TestRunner test(RunKind::Test, host);
    EXPECT_EQ(test.DeleteUserRegValues(path, L"MRUList"), 1);
    EXPECT_EQ(test.DeleteUserRegValues(path, L"Missing"), 0);
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Test: deleting registry value HKEY_CURRENT_USER\\" + path +
                                                       L"\\MRUList"}));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, path, L"MRUList"));
    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.DeleteUserRegValues(path, L"MRUList"), 1);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, path, L"MRUList"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, path, L"Settings"));
}

TEST_F(RegistryPrimitives, RootNamesWorkInAnyCaseAbbreviationsDoNothing) {
    const std::wstring machinePath = L"Software\\" + testing::UniqueName(L"KlarvexRegTest");
    ScratchRegKey machine(HKEY_LOCAL_MACHINE, machinePath);
    machine.SetString(L"", L"a", L"1");
    machine.SetString(L"", L"b", L"2");
    scratch.SetString(L"", L"c", L"3");

    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.DeleteRegValues(L"HKLM", machinePath, L""), 0);
    EXPECT_EQ(clean.DeleteRegKey(L"HKCU", path), 0);
    EXPECT_EQ(clean.DeleteRegKey(L"HKEY_CURRENT", path), 0);
    EXPECT_TRUE(host.Lines().empty());
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, machinePath, L"a"));

    EXPECT_EQ(clean.DeleteRegValues(L"hkey_local_machine", machinePath, L"a"), 1);
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Clean: deleting registry value HKEY_LOCAL_MACHINE\\" +
                                                       machinePath + L"\\a"}));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, machinePath, L"a"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, machinePath, L"b"));
    EXPECT_EQ(clean.DeleteRegKey(L"Hkey_Current_User", path), 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
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
