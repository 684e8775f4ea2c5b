// The folder tree the benchmarks run over: files of a few bytes, spread
// evenly over folders, under C:\klarvex-bench-tree in the sandbox.
#pragma once

#include <windows.h>

#include <string>

inline const std::wstring kTree = L"C:\\klarvex-bench-tree";

inline void MakeTree(int files, int folders) {
    CreateDirectoryW(kTree.c_str(), nullptr);
    const char content[] = "klarvex bench file\r\n";
    for (int f = 0; f < folders; ++f) {
        const std::wstring folder = kTree + L"\\d" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = f; i < files; i += folders) {
            const std::wstring path = folder + L"\\file" + std::to_wstring(i) + L".tmp";
            HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written;
            WriteFile(h, content, sizeof content - 1, &written, nullptr);
            CloseHandle(h);
        }
    }
}
