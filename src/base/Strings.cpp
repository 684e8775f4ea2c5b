#include "base/Strings.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace klarvex {

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    // Plain ASCII, which most of the program's output is, reads the same in
    // UTF-8 and is copied as it is; the system's conversion, which looks at
    // every character twice, does the rest.
    std::string ascii(text.size(), '\0');
    size_t copied = 0;
    for (; copied < text.size() && text[copied] < 0x80; ++copied) ascii[copied] = static_cast<char>(text[copied]);
    if (copied == text.size()) return ascii;
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), needed, nullptr, nullptr);
    return result;
}

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring result(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, result.data(), needed);
    return result;
}

std::wstring DecodeTextFile(std::string_view bytes, unsigned codePage) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) return Utf8ToWide(bytes.substr(3));
    if (codePage == CP_UTF8 || bytes.empty()) return Utf8ToWide(bytes);
    const int size = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(needed, 0)), L'\0');
    if (needed > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), needed);
    return text;
}

std::string EncodeUtf16File(std::wstring_view text) {
    std::string bytes("\xFF\xFE");
    bytes.reserve(2 + text.size() * 2);
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring UpperCase(std::wstring_view text) {
    std::wstring result(text);
    // The file system's casing, the same in every locale (what
    // CharUpperBuff does, without needing user32 for it).
    if (!result.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, result.data(), static_cast<int>(result.size()), result.data(),
                     static_cast<int>(result.size()));
    return result;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring IntToStr(long long value) { return std::to_wstring(value); }

std::wstring ExePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ExeDir() {
    const std::wstring path = ExePath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace klarvex
