#include "engine/CustomList.h"

#include <windows.h>

#include "base/Exception.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"

namespace klarvex {

bool IsRegistryEntry(const std::wstring& entry) { return UpperCase(entry).rfind(L"HKEY_", 0) == 0; }

std::vector<std::wstring> ReadCustomList(const TIniFile& file) {
    // Read line by line rather than key by key: a hand-written section may
    // use one key name twice, and each line is a row of its own.
    std::vector<std::wstring> rows;
    for (const auto& line : file.SectionLines(kNewListItem)) {
        const size_t equals = line.find(L'=');
        rows.push_back(equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1));
    }
    return rows;
}

void WriteCustomList(const TIniFile& file, const std::vector<std::wstring>& rows) {
    std::vector<std::wstring> lines;
    int files = 0, keys = 0;
    for (const auto& row : rows)
        lines.push_back((IsRegistryEntry(row) ? L"DelRegValue" + IntToStr(++keys) : L"DelFile" + IntToStr(++files)) +
                        L"=" + row);
    file.Update([&](TIniText& text) { text.ReplaceSection(kNewListItem, lines); });
}

int SelectionAfterRemove(int removed, int countBefore) { return removed < countBefore - 1 ? removed : countBefore - 2; }

bool FolderChoiceComplete(const FolderChoice& choice) {
    if (!choice.folderExists || !IsAbsolutePath(WithBackslash(choice.folder)) ||
        choice.folder.find(L',') != std::wstring::npos)
        return false;
    switch (choice.mode) {
        case FolderMode::SingleFile: return !choice.file.empty();
        case FolderMode::WholeFolder: return true;
        case FolderMode::MatchingFiles: return choice.mask.size() > 2;
    }
    return false;
}

std::wstring ComposeFolderEntry(const FolderChoice& choice) {
    switch (choice.mode) {
        case FolderMode::SingleFile: return choice.folder + L"," + choice.file;
        case FolderMode::WholeFolder: return choice.folder;
        case FolderMode::MatchingFiles: return choice.folder + L"," + choice.mask;
    }
    return choice.folder;
}

bool RegistryChoiceComplete(const RegistryChoice& choice) {
    if (UpperCase(choice.key).find(L"HKEY_") == std::wstring::npos) return false;
    if (choice.key.find(L',') != std::wstring::npos) return false;
    return choice.mode != RegistryMode::Value || !choice.valueName.empty();
}

std::wstring ComposeRegistryEntry(const RegistryChoice& choice) {
    switch (choice.mode) {
        case RegistryMode::Key: return choice.key;
        case RegistryMode::AllValues: return choice.key + L",";
        case RegistryMode::Value: return choice.key + L"," + choice.valueName;
    }
    return choice.key;
}

RegistryChoice SplitRegistryEntry(const std::wstring& entry) {
    RegistryChoice choice;
    const size_t comma = entry.find(L',');
    if (comma == std::wstring::npos) {
        choice.key = entry;
        return choice;
    }
    choice.key = entry.substr(0, comma);
    choice.valueName = entry.substr(comma + 1);
    choice.mode = choice.valueName.empty() ? RegistryMode::AllValues : RegistryMode::Value;
    return choice;
}

}  // namespace klarvex
