#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "engine/CleanerRun.h"
#include "engine/RunHost.h"

namespace klarvex {

struct RulePlaceholders;
struct Winapp2Entry;  // formats/Winapp2.h

// One run over the ticked clean items, on a thread of its own. The runner
// walks the item names in order, hands each to the cleaner the table it was
// given names for it (or to the rules of a rule file), keeps the per-item
// and run counters and writes the log through its host. It knows no
// cleaner: each family declares its own as functions of a CleanerRun.
class TClearTaskThread : public CleanerRun {
public:
    using Cleaner = void (*)(CleanerRun& run);

    // How an item is cleaned: by a cleaner, by a call that hands a cleaner
    // what it serves (the browser of a category), or by the rules of a rule
    // file.
    enum class RuleFile { None, Klarvex, CustomLists };
    struct DispatchTarget {
        Cleaner cleaner = nullptr;
        std::function<void(CleanerRun&)> call;
        RuleFile ruleFile = RuleFile::None;
    };
    // The table a run is given: the target of each item name.
    // cleaners/CleanerTable.h has the program's.
    using CleanerTable = DispatchTarget (*)(const std::wstring& itemName);

    static constexpr wchar_t kKlarvexRuleFile[] = L"Klarvex.dat";
    static constexpr wchar_t kCustomListsRuleFile[] = L"Clist.dat";

    TClearTaskThread(RunKind kind, IRunHost& host, std::vector<std::wstring> itemNames, CleanerTable table);

    // Starts the run on its own thread. From then on the runner owns itself
    // and is freed when the run ends. The returned handle lets the caller
    // wait for that end; it is empty when no thread could be started (the
    // runner is then freed at once).
    static UniqueHandle Start(TClearTaskThread* runner);

    // The run itself; Start runs it on the new thread.
    void Execute();

    // --- rule files (Klarvex.dat, Clist.dat, a Winapp2.ini of the user's)
    void RunRuleSection(const std::wstring& ruleFileName, const std::wstring& itemName);
    // An item of Klarvex.dat: its section there, or for an application
    // that Klarvex.dat does not know, the entry of that name in Winapp2.ini.
    void RunApplicationItem(const std::wstring& itemName);
    void RunWinapp2Entry(const Winapp2Entry& entry);

protected:
    // Runs the cleaner that the table chooses for the item.
    virtual void CleanItem(const std::wstring& itemName);

    void BeginItem();
    void EndItem();

    // --- where the rule-file interpreter finds its files; tests replace
    // them to keep their rule files to themselves.
    // The rule file's whole path: Klarvex.dat beside the program, Clist.dat
    // and a Winapp2.ini the user brings where the user's files live
    // (UserFiles.h).
    virtual std::wstring RuleFilePath(const std::wstring& ruleFileName) const;
    virtual RulePlaceholders RulePlaceholderValues() const;

    // Whether a rule may touch a key, to delete valueName or (valueName
    // empty) the key or all its values whole: only an application's own key
    // or a history goes whole, which a log line tells otherwise; a setting
    // of Windows goes by name once the user says so; the local machine's
    // keys need an administrator on the NT family, asked once per item and
    // told once.
    struct RuleRights {
        enum class Machine { Unknown, Allowed, Refused } machine = Machine::Unknown;
        bool told = false;
    };
    bool RegistryRuleAllowed(RootKey root, const std::wstring& keyPath, const std::wstring& valueName,
                             RuleRights& rights);

    int64_t TotalBytes = 0;
    std::wstring RemovedWord;
    std::vector<std::wstring> ItemNames;

private:
    void WriteRunSummary();
    void ReportBrokenOff(const std::wstring& message);
    // RegistryRuleAllowed's judgement of what the key is for; path
    // canonical, not the root.
    bool KeyUseAllowed(RootKey root, const std::wstring& path, const std::wstring& valueName);

    CleanerTable table_;
};

}  // namespace klarvex
