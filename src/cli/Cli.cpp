// klarvex-cli: the cleaner without windows. Same engine, same rule files,
// same settings.ini (read, never written).

#include <windows.h>

#include <algorithm>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "Version.h"
#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cleaners/CleanerTable.h"
#include "cleaners/RunningBrowsers.h"
#include "cli/ConsoleHost.h"
#include "cli/ItemNames.h"
#include "cli/RunOutput.h"
#include "cli/RunReport.h"
#include "engine/Catalogue.h"
#include "engine/ProgressThread.h"
#include "formats/IndexDat.h"
#include "platform/FreeSpaceWipe.h"
#include "settings/Global.h"
#include "settings/UserFiles.h"

using namespace klarvex;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

constexpr wchar_t kUsage[] =
    L"usage: klarvex-cli --list [--json]\r\n"
    L"       klarvex-cli --test  [--fast|--detail] [--json] [--quiet] (--ticked | NAME...)\r\n"
    L"       klarvex-cli --clean [--fast|--detail] [--json] [--quiet] [--yes] (--ticked | NAME...)\r\n"
    L"       klarvex-cli --shred [--fast|--detail] [--json] [--quiet] PATH...\r\n"
    L"       klarvex-cli --wipe-free-space [--json] [--quiet] DRIVE...\r\n"
    L"       klarvex-cli --index-dat FILE\r\n"
    L"       klarvex-cli --help | --version";

constexpr wchar_t kHelp[] =
    L"Klarvex without windows: Test (count and list, touch nothing) or Clean\r\n"
    L"(remove) the traces of the items you name, with the program's own rules\r\n"
    L"and its settings.ini (read, never written).\r\n"
    L"\r\n"
    L"  --list           every item name, in tree order\r\n"
    L"  --test           count and list what a Clean would remove\r\n"
    L"  --clean          remove it\r\n"
    L"  --fast, --detail fast mode on or off for this run (otherwise settings.ini's)\r\n"
    L"  --ticked         the items ticked in settings.ini\r\n"
    L"  --yes            answer Yes to the questions the window would ask: emptying\r\n"
    L"                   a folder of yours, an application rule with a warning\r\n"
    L"  --json           one JSON document on standard output: each item with its\r\n"
    L"                   count, bytes and outcome (done, refused, skipped, error),\r\n"
    L"                   the totals and the exit status; with --list each item's\r\n"
    L"                   rules, tick and warning. The log goes to standard error.\r\n"
    L"  --quiet          no log text and no progress line\r\n"
    L"  --shred PATH...  destroy the files and folders named beyond recovery:\r\n"
    L"                   overwritten (at least once), renamed, cut to nothing\r\n"
    L"                   and deleted, a folder with all it holds; never asks\r\n"
    L"  --wipe-free-space DRIVE...\r\n"
    L"                   overwrite the free space of the drives named (\"D:\"),\r\n"
    L"                   where deleted files were, and give it back\r\n"
    L"  --index-dat FILE the rows of an index.dat file: address, TAB, date\r\n"
    L"\r\n"
    L"NAME is an item as --list shows it (\"Windows - Clipboard\") or a category\r\n"
    L"for all its items (\"Google Chrome\"). Letter case does not matter; * and ?\r\n"
    L"match as in file masks (\"Mozilla Firefox - *\", \"* - Cookies\"). The items\r\n"
    L"run in tree order, each once.\r\n"
    L"\r\n"
    L"Even with --yes, a drive root, the Windows, Program Files, users and profile\r\n"
    L"folders (AppData included), My Documents and My Pictures are never emptied:\r\n"
    L"each is named on standard error and passed over. A --clean of a browser's\r\n"
    L"items is refused while that browser is open.\r\n"
    L"\r\n"
    L"Exit status: 0 the run finished; 1 it was broken off by an error, cancelled\r\n"
    L"or refused (the message on standard error); 2 usage error.";

enum class Command { None, List, Test, Clean, Shred, Wipe, IndexDat, Help, Version };

struct Options {
    Command command = Command::None;
    std::optional<bool> fastMode;
    bool ticked = false;
    bool yes = false;
    bool json = false;
    bool quiet = false;
    std::vector<std::wstring> names;
};

struct UsageError {
    std::wstring message;
    bool showUsage = false;  // the usage lines follow the message
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options options;
    // Asking for help or the version is never a mistake, whatever else the
    // command line holds.
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg != L"--help" && arg != L"--version") continue;
        options.command = arg == L"--help" ? Command::Help : Command::Version;
        return options;
    }
    auto setCommand = [&](Command command, const std::wstring& arg) {
        if (options.command != Command::None)
            throw UsageError{L"only one of --list, --test, --clean, --shred, --wipe-free-space and --index-dat may be "
                             L"given (" + arg + L")"};
        options.command = command;
    };
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--list") setCommand(Command::List, arg);
        else if (arg == L"--test") setCommand(Command::Test, arg);
        else if (arg == L"--clean") setCommand(Command::Clean, arg);
        else if (arg == L"--shred") setCommand(Command::Shred, arg);
        else if (arg == L"--wipe-free-space") setCommand(Command::Wipe, arg);
        else if (arg == L"--index-dat") {
            setCommand(Command::IndexDat, arg);
            if (i + 1 >= argc) throw UsageError{L"--index-dat needs a FILE"};
            options.names.push_back(argv[++i]);
        } else if (arg == L"--fast" || arg == L"--detail") {
            const bool fast = arg == L"--fast";
            if (options.fastMode && *options.fastMode != fast) throw UsageError{L"--fast and --detail exclude each other"};
            options.fastMode = fast;
        } else if (arg == L"--ticked") options.ticked = true;
        else if (arg == L"--yes") options.yes = true;
        else if (arg == L"--json") options.json = true;
        else if (arg == L"--quiet") options.quiet = true;
        else if (arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-') throw UsageError{L"unknown option " + arg};
        else options.names.push_back(arg);
    }
    const bool run = options.command == Command::Test || options.command == Command::Clean;
    const bool destroy = options.command == Command::Shred || options.command == Command::Wipe;
    if (options.command == Command::None) throw UsageError{L"no command given", true};
    if (!run && (options.ticked || options.yes)) throw UsageError{L"--ticked and --yes go with --test or --clean"};
    if (!run && !destroy && (options.fastMode || options.quiet))
        throw UsageError{L"--fast, --detail and --quiet go with --test, --clean, --shred or --wipe-free-space"};
    if (options.json && !run && !destroy && options.command != Command::List)
        throw UsageError{L"--json goes with --list, --test, --clean, --shred or --wipe-free-space"};
    if (destroy && options.names.empty())
        throw UsageError{options.command == Command::Shred ? L"--shred needs a PATH" : L"--wipe-free-space needs a DRIVE"};
    if (options.command == Command::List && !options.names.empty())
        throw UsageError{L"--list takes no item names (" + options.names.front() + L")"};
    if (options.command == Command::Test && options.yes) throw UsageError{L"--yes goes with --clean"};
    if (run && options.ticked && !options.names.empty())
        throw UsageError{L"--ticked and item names exclude each other"};
    return options;
}

// The settings file asks the main window for its size. The command line has
// no window and never saves, so any fixed size stands in (asking the system
// for the screen would start the desktop for nothing).
class NoWindow final : public ISettingsWindow {
public:
    WindowBounds Bounds() const override { return {0, 0, 692, 507}; }
    int32_t ScreenWidth() const override { return 1024; }
    int32_t ScreenHeight() const override { return 768; }
    UINT PlacementShowCmd() const override { return 0; }
};

TCatalogue LoadCatalogue() {
    TCatalogue catalogue;
    FillAllApplications(catalogue);
    return catalogue;
}

// Where an item's rules come from, and the warning they carry (if any).
ListedItem ListItem(const TCatalogueCategory& category, const TCatalogueItem& item,
                    TApplicationRules& applications) {
    ListedItem listed;
    listed.name = ItemName(category.Text, item.Text);
    listed.category = category.Text;
    listed.rules = L"built-in";
    listed.ticked = item.State == TickState::Ticked;
    switch (CleanerFor(listed.name).ruleFile) {
        case TClearTaskThread::RuleFile::None: break;
        case TClearTaskThread::RuleFile::CustomLists: listed.rules = TClearTaskThread::kCustomListsRuleFile; break;
        case TClearTaskThread::RuleFile::Klarvex:
            listed.rules = TClearTaskThread::kKlarvexRuleFile;
            if (category.Text != kApplicationsCategory) break;
            if (const Winapp2Entry* entry = applications.Winapp2EntryFor(item.Text)) {
                listed.rules = kWinapp2RuleFile;
                listed.warning = entry->warning;
                // An exclusion that cannot be read keeps the entry from
                // being cleaned at all: that is said where a warning is.
                for (const auto& line : entry->unreadableExcludes)
                    listed.warning += (listed.warning.empty() ? L"" : L"\n") +
                                      LoadText(IDS_SKIPPING_UNREADABLE_EXCLUDE) + L" " + line;
            }
            break;
    }
    return listed;
}

int List(const Options& options) {
    TCatalogue catalogue = LoadCatalogue();
    if (!options.json) {
        for (const auto& name : catalogue.AllItemNames()) WriteStdOut(name);
        return kExitOk;
    }
    NoWindow window;
    LoadSaveSettings(true, catalogue, window);
    TApplicationRules applications(ExeDir() + TClearTaskThread::kKlarvexRuleFile, UserFilePath(kWinapp2RuleFile));
    std::vector<ListedItem> items;
    for (const auto& category : catalogue.Categories())
        for (const auto& item : category.Items) items.push_back(ListItem(category, item, applications));
    WriteStdOut(DocumentText(ListDocument(items)));
    return kExitOk;
}

// "unknown item name "X"; did you mean "A", "B" or "C"?", a line for each
// name that stands for nothing.
std::wstring UnknownNamesMessage(const std::vector<std::wstring>& unknown, const std::vector<std::wstring>& known) {
    std::wstring message;
    for (const auto& name : unknown) {
        if (!message.empty()) message += L"\r\nklarvex-cli: ";
        message += L"unknown item name \"" + name + L"\"";
        const auto closest = ClosestNames(name, known);
        for (size_t i = 0; i < closest.size(); ++i) {
            message += i == 0 ? L"; did you mean \"" : i + 1 == closest.size() ? L" or \"" : L", \"";
            message += closest[i] + L"\"";
        }
        message += closest.empty() ? L" (see --list)" : L"?";
    }
    return message;
}

// The items a run takes, in tree order.
std::vector<std::wstring> ItemsToRun(const Options& options, const TCatalogue& catalogue) {
    if (options.ticked) {
        auto names = catalogue.CollectTickedItems();
        if (names.empty()) throw UsageError{L"no item is ticked in " + SettingsFilePath()};
        return names;
    }
    if (options.names.empty()) throw UsageError{L"no items to run: name them, or give --ticked"};
    ItemSelection selection = SelectItems(catalogue, options.names);
    if (!selection.unmatched.empty()) throw UsageError{UnknownNamesMessage(selection.unmatched, KnownNames(catalogue))};
    // A category may be empty ("Applications" on a machine without any).
    if (selection.items.empty()) throw UsageError{L"no items to run: the names stand for none (see --list)"};
    return std::move(selection.items);
}

// Ctrl+C asks the run to stop, as Cancel does in the main window. The
// handler runs on a thread of its own, so it gets a stop source that lives
// as long as the process.
std::stop_source g_runStop{std::nostopstate};

BOOL WINAPI OnConsoleBreak(DWORD type) {
    if ((type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) && g_runStop.stop_possible()) {
        g_runStop.request_stop();
        return TRUE;
    }
    return FALSE;
}

// A run that ended with status, as report says: the document, when asked
// for, is the last thing on standard output.
int Ended(const Options& options, RunKind kind, const TRunResults& report, int status) {
    if (options.json) WriteStdOut(DocumentText(RunDocument(report, kind == RunKind::Test, Settings.FastScan, status)));
    return status;
}

// The run of names through table, to its end: the exit status.
int RunToEnd(const Options& options, RunKind kind, std::vector<std::wstring> names,
             TClearTaskThread::CleanerTable table) {
    TConsoleHost host(options.yes, ChooseRunOutputs(options.json, options.quiet, StdErrIsConsole()), names.size());
    auto* runner = new TClearTaskThread(kind, host, std::move(names), table);
    // Nobody sees a question here: what would wipe a drive, the system or
    // the user's documents is never done, even with --yes.
    runner->SetKeepProtectedFolders(true);
    g_runStop = runner->StopSource();
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    UniqueHandle thread = TClearTaskThread::Start(runner);
    if (!thread) {
        WriteStdErr(L"klarvex-cli: cannot start the run");
        return Ended(options, kind, host.Report(), kExitRunFailed);
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    host.Finish();
    SetConsoleCtrlHandler(OnConsoleBreak, FALSE);

    if (host.Done()) return Ended(options, kind, host.Report(), kExitOk);
    if (!host.BrokenOff()) WriteStdErr(L"klarvex-cli: the run was cancelled");
    return Ended(options, kind, host.Report(), kExitRunFailed);
}

int Run(const Options& options) {
    TCatalogue catalogue = LoadCatalogue();
    NoWindow window;
    LoadSaveSettings(true, catalogue, window);
    if (options.fastMode) Settings.FastScan = *options.fastMode;
    std::vector<std::wstring> names = ItemsToRun(options, catalogue);

    const bool testRun = options.command == Command::Test;
    if (!testRun) {
        // As the main window does: a browser that is open keeps its files.
        const std::wstring refusal = RunningBrowserRefusal(names, BrowserOpen);
        if (!refusal.empty()) {
            WriteStdErr(L"klarvex-cli: " + refusal);
            TRunResults refused;
            refused.RefuseAll(names, refusal);
            return Ended(options, RunKind::Clean, refused, kExitRunFailed);
        }
    }
    return RunToEnd(options, testRun ? RunKind::Test : RunKind::Clean, std::move(names), CleanerFor);
}

// The files and folders, or drives, of --shred and --wipe-free-space, as
// the run takes them: whole paths, drive roots.
std::vector<std::wstring> DestroyedNames(const Options& options) {
    std::vector<std::wstring> names;
    for (const auto& name : options.names) {
        if (options.command == Command::Wipe) {
            const auto root = DriveRootOf(name);
            const UINT type = root ? GetDriveTypeW(root->c_str()) : DRIVE_UNKNOWN;
            if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) throw UsageError{L"no local drive: " + name};
            names.push_back(*root);
            continue;
        }
        std::vector<wchar_t> full(32 * 1024);
        const DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0 || length >= full.size()) throw UsageError{L"no such path: " + name};
        names.emplace_back(full.data(), length);
    }
    return names;
}

// --shred, --wipe-free-space: the paths are the user's own, and nothing is
// asked.
int Destroy(const Options& options) {
    std::vector<std::wstring> names = DestroyedNames(options);
    TCatalogue catalogue;
    NoWindow window;
    LoadSaveSettings(true, catalogue, window);
    if (options.fastMode) Settings.FastScan = *options.fastMode;
    return RunToEnd(options, RunKind::Clean, std::move(names),
                    options.command == Command::Shred ? ShredderFor : FreeSpaceWiperFor);
}

int IndexDat(const Options& options);

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // No system error box may ever wait for a click in a script.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // A wipe of free space broken off by a crash left its folder.
    RemoveWipeLeftovers();
    try {
        const Options options = ParseOptions(argc, argv);
        switch (options.command) {
            case Command::List: return List(options);
            case Command::Test:
            case Command::Clean: return Run(options);
            case Command::Shred:
            case Command::Wipe: return Destroy(options);
            case Command::IndexDat: return IndexDat(options);
            case Command::Help:
                WriteStdOut(std::wstring(kUsage) + L"\r\n\r\n" + kHelp);
                return kExitOk;
            case Command::Version:
                WriteStdOut(L"klarvex-cli (" KLARVEX_PRODUCT_NAME ") " KLARVEX_VERSION_TEXT L"\r\n" KLARVEX_COPYRIGHT);
                return kExitOk;
            case Command::None: break;
        }
    } catch (const UsageError& e) {
        WriteStdErr(L"klarvex-cli: " + e.message);
        if (e.showUsage) WriteStdErr(kUsage);
        return kExitUsage;
    } catch (const Exception& e) {
        WriteStdErr(L"klarvex-cli: " + e.Message());
        return kExitRunFailed;
    } catch (const std::exception& e) {
        WriteStdErr(L"klarvex-cli: " + Utf8ToWide(e.what()));
        return kExitRunFailed;
    }
    return kExitUsage;
}

namespace {

// Writes each row as the walk finds it - address, TAB, date text - in
// blocks of lines: a file may hold hundreds of thousands of rows, which are
// neither kept until the end nor written one call each.
class RowPrinter final : public IndexDatRowSink {
public:
    void OnRow(std::string_view address, uint64_t stamp) override {
        AppendIndexDatAddress(address, block_);
        block_ += L'\t';
        dates_.Append(stamp, block_);
        block_ += L"\r\n";
        if (block_.size() >= kBlockSize) Flush();
    }

    void Flush() {
        out_.Write(block_);
        block_.clear();
    }

private:
    static constexpr size_t kBlockSize = 32 * 1024;  // characters
    std::wstring block_;
    IndexDatDateTexts dates_;
    StdOutBlocks out_;
};

// --index-dat FILE: the rows the index.dat viewer would show.
int IndexDat(const Options& options) {
    const std::wstring& path = options.names.front();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WriteStdErr(L"klarvex-cli: no such file: " + path);
        return kExitUsage;
    }
    RowPrinter printer;
    IndexDatSilentProgress progress;
    if (!WalkIndexDatFile(path, progress, printer)) {
        WriteStdErr(L"klarvex-cli: cannot open " + path);
        return kExitUsage;
    }
    printer.Flush();
    return kExitOk;
}

}  // namespace
