#include "EngineFixture.h"

#include <fstream>
#include <sstream>

#include "base/Strings.h"

namespace klarvex::testing {

void MakeFile(const std::wstring& path, size_t size, char fill) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << std::string(size, fill);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void MakeFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

FolderAt::FolderAt(std::wstring path) : path_(std::move(path)) {
    if (path_.back() != L'\\') path_ += L'\\';
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

FolderAt::~FolderAt() { RemoveTree(path_); }

std::vector<std::wstring> LinesStartingWith(const RecordingHost& host, const std::wstring& text) {
    std::vector<std::wstring> found;
    for (const auto& line : host.Lines())
        if (line.starts_with(text)) found.push_back(line);
    return found;
}

std::wstring UniqueName(const std::wstring& stem) {
    static LONG counter = 0;
    return stem + L"-" + IntToStr(GetCurrentProcessId()) + L"-" + IntToStr(InterlockedIncrement(&counter));
}

}  // namespace klarvex::testing
