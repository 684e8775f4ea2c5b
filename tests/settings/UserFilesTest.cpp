#include <gtest/gtest.h>

#include <shlobj.h>

#include "formats/IniFile.h"
#include "platform/SystemLookups.h"
#include "settings/UserFiles.h"
#include "support/Fixtures.h"

namespace klarvex {
namespace {

using namespace klarvex::testing;

// Where a program folder's user file goes: beside a portable copy, in the
// user's Application Data for an installed one, and always where it already
// lies beside the program. The file found there can be written at once.
TEST(UserFiles, BesideAPortableCopyInAppDataForAnInstalledOneAndWhereverOneAlreadyLies) {
    const std::wstring appDataFolder = ShellFolderPath(CSIDL_APPDATA) + L"Klarvex\\";
    ASSERT_NE(appDataFolder, L"Klarvex\\");
    const bool hadAppDataFolder = Exists(appDataFolder);
    const ScratchFolder scratch;
    const ScratchFolder program(scratch / L"Program Fïles Ünïcode\\");
    const std::wstring name = UniqueName(L"settings") + L".ini";

    struct Case {
        bool installed, fileBeside, inAppData;
    };
    for (const Case& c : {Case{false, false, false}, Case{false, true, false}, Case{true, false, true},
                          Case{true, true, false}}) {
        SCOPED_TRACE(::testing::Message() << "installed " << c.installed << ", file beside " << c.fileBeside);
        DeleteFileW((program / kInstalledMarker).c_str());
        DeleteFileW((program / name).c_str());
        if (c.installed) MakeFile(program / kInstalledMarker, 0);
        if (c.fileBeside) WriteTextFile(program / name, "[Settings]\r\nFastScan=0\r\n");

        const std::wstring path = UserFilePath(name, program.Path());
        EXPECT_EQ(path, (c.inAppData ? appDataFolder : program.Path()) + name);
        const TIniFile file(path);
        EXPECT_NO_THROW(file.WriteString(L"Settings", L"Written", L"1"));
        EXPECT_EQ(file.ReadString(L"Settings", L"FastScan", L"-"), c.fileBeside ? L"0" : L"-");
        DeleteFileW(path.c_str());
    }
    if (!hadAppDataFolder) RemoveDirectoryW(appDataFolder.c_str());
}

}  // namespace
}  // namespace klarvex
