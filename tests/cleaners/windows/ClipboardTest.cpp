// "Windows - Clipboard": a Test run never touches the clipboard, a Clean run
// empties it, and a clipboard that another program holds open ends the run
// with the error shown.

#include <gtest/gtest.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "support/CleanerFixture.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using namespace testing;

const wchar_t kItem[] = L"Windows - Clipboard";
const std::wstring kRunMru = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

bool PutText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    bool placed = false;
    if (memory) {
        memcpy(GlobalLock(memory), text.c_str(), size);
        GlobalUnlock(memory);
        placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!placed) GlobalFree(memory);
    }
    CloseClipboard();
    return placed;
}

bool HasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }

// Another process that holds the clipboard open while it lives.
class ClipboardHolder : public testing::HolderProcess {
public:
    ClipboardHolder() : HolderProcess(L"\"" + ExeDir() + L"klarvex-clipboard-holder.exe\"") {}
};

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
};

TEST_F(Clipboard, TestLeavesTheContentsCleanEmptiesThemBothCountNothing) {
    ASSERT_TRUE(PutText(L"account number 1234"));

    const RunOutcome test = RunItems(RunKind::Test, {kItem});
    EXPECT_EQ(Summary(test), TestSummary(0, L"0"));
    EXPECT_TRUE(HasText());

    const RunOutcome clean = RunItems(RunKind::Clean, {kItem});
    EXPECT_TRUE(clean.done);
    EXPECT_EQ(Summary(clean), CleanSummary(0, L"0"));
    EXPECT_FALSE(HasText());
}

TEST_F(Clipboard, HeldOpenByAnotherProgramTheCleanRunEndsWithTheError) {
    ScratchRegKeys keys({kRunMru});
    SetValues(kRunMru, 1);
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding());

    // A Test run does not open the clipboard, so the holder is no obstacle.
    const RunOutcome test = RunItems(RunKind::Test, {kItem, L"Windows - Start Run"});
    EXPECT_TRUE(test.done);
    EXPECT_TRUE(test.errors.empty());

    const RunOutcome clean = RunItems(RunKind::Clean, {kItem, L"Windows - Start Run"});
    EXPECT_EQ(clean.lines,
              (std::vector<std::wstring>{L"Clean: Clearing Windows - Clipboard ...", L"Error: Cannot open clipboard"}));
    EXPECT_EQ(clean.errors, std::vector<std::wstring>{L"Cannot open clipboard"});
    EXPECT_FALSE(clean.done);
    EXPECT_TRUE(KeyExists(kRunMru));  // the run ended before the next item

    holder.Release();
    const RunOutcome again = RunItems(RunKind::Clean, {kItem, L"Windows - Start Run"});
    EXPECT_TRUE(again.done);
    EXPECT_FALSE(KeyExists(kRunMru));
}

}  // namespace
}  // namespace klarvex
