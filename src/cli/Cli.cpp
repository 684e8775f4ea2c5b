// klarvex-cli: the cleaner without windows. Same engine, same rule files,
// same settings.ini (read, never written).

#include <windows.h>

#include <algorithm>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Strings.h"
#include "cleaners/CleanerTable.h"
#include "cleaners/RunningBrowsers.h"
#include "cli/ConsoleHost.h"
#include "engine/Catalogue.h"
#include "engine/ProgressThread.h"
#include "formats/IndexDat.h"
#include "settings/Global.h"

using namespace klarvex;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

constexpr wchar_t kUsage[] =
    L"usage: klarvex-cli --list\r\n"
    L"       klarvex-cli --test  [--fast|--detail] [--ticked] [NAME...]\r\n"
    L"       klarvex-cli --clean [--fast|--detail] [--ticked] [--yes] [NAME...]\r\n"
    L"       klarvex-cli --index-dat FILE";

enum class Command { None, List, Test, Clean, IndexDat };

struct Options {
    Command command = Command::None;
    std::optional<bool> fastMode;
    bool ticked = false;
    bool yes = false;
    std::vector<std::wstring> names;
};

struct UsageError {
    std::wstring message;
    bool showUsage = false;  // the usage lines follow the message
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options options;
    auto setCommand = [&](Command command, const std::wstring& arg) {
        if (options.command != Command::None) throw UsageError{L"only one of --list, --test, --clean and --index-dat may be given (" + arg + L")"};
        options.command = command;
    };
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--list") setCommand(Command::List, arg);
        else if (arg == L"--test") setCommand(Command::Test, arg);
        else if (arg == L"--clean") setCommand(Command::Clean, arg);
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
        else if (arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-') throw UsageError{L"unknown option " + arg};
        else options.names.push_back(arg);
    }
    const bool run = options.command == Command::Test || options.command == Command::Clean;
    if (options.command == Command::None) throw UsageError{L"no command given", true};
    if (!run && (options.fastMode || options.ticked || options.yes))
        throw UsageError{L"--fast, --detail, --ticked and --yes go with --test or --clean"};
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

int List() {
    for (const auto& name : LoadCatalogue().AllItemNames()) WriteStdOut(name);
    return kExitOk;
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

int Run(const Options& options) {
    TCatalogue catalogue = LoadCatalogue();
    NoWindow window;
    LoadSaveSettings(true, catalogue, window);
    if (options.fastMode) Settings.FastScan = *options.fastMode;

    std::vector<std::wstring> names;
    if (options.ticked) {
        names = catalogue.CollectTickedItems();
        if (names.empty()) throw UsageError{L"no item is ticked in " + SettingsFilePath()};
    } else {
        const auto known = catalogue.AllItemNames();
        for (const auto& name : options.names)
            if (std::find(known.begin(), known.end(), name) == known.end())
                throw UsageError{L"unknown item name \"" + name + L"\" (see --list)"};
        names = options.names;
        if (names.empty()) throw UsageError{L"no items to run: name them, or give --ticked"};
    }

    if (options.command == Command::Clean) {
        // As the main window does: a browser that is open keeps its files.
        const std::wstring refusal = RunningBrowserRefusal(names, BrowserOpen);
        if (!refusal.empty()) {
            WriteStdErr(L"klarvex-cli: " + refusal);
            return kExitRunFailed;
        }
    }

    TConsoleHost host(options.yes);
    auto* runner = new TClearTaskThread(options.command == Command::Test ? RunKind::Test : RunKind::Clean, host,
                                        std::move(names), CleanerFor);
    // Nobody sees a question here: what would wipe a drive, the system or
    // the user's documents is never done, even with --yes.
    runner->SetKeepProtectedFolders(true);
    g_runStop = runner->StopSource();
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    UniqueHandle thread = TClearTaskThread::Start(runner);
    if (!thread) {
        WriteStdErr(L"klarvex-cli: cannot start the run");
        return kExitRunFailed;
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    host.Flush();
    SetConsoleCtrlHandler(OnConsoleBreak, FALSE);

    if (host.Done()) return kExitOk;
    if (!host.BrokenOff()) WriteStdErr(L"klarvex-cli: the run was cancelled");
    return kExitRunFailed;
}

int IndexDat(const Options& options);

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // No system error box may ever wait for a click in a script.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    try {
        const Options options = ParseOptions(argc, argv);
        switch (options.command) {
            case Command::List: return List();
            case Command::Test:
            case Command::Clean: return Run(options);
            case Command::IndexDat: return IndexDat(options);
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

// --index-dat FILE: the rows the index.dat viewer would show, address TAB
// date text, written in blocks of lines (a file may hold many thousands).
int IndexDat(const Options& options) {
    const std::wstring& path = options.names.front();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WriteStdErr(L"klarvex-cli: no such file: " + path);
        return kExitUsage;
    }
    std::vector<IndexDatAddress> addresses;
    std::vector<std::wstring> dates;
    IndexDatSilentProgress progress;
    if (!ReadIndexDat(path, 0, addresses, dates, progress)) {
        WriteStdErr(L"klarvex-cli: cannot open " + path);
        return kExitUsage;
    }
    std::wstring block;
    for (size_t i = 0; i < addresses.size(); ++i) {
        if (!block.empty()) block += L"\r\n";
        block += addresses[i].text + L'\t' + dates[i];
        if (block.size() >= 32768 || i + 1 == addresses.size()) {
            WriteStdOut(block);
            block.clear();
        }
    }
    return kExitOk;
}

}  // namespace
