// libFuzzer target: the Winapp2 reader on any text. Besides the sanitizers'
// checks it traps on broken promises: an entry without a name, a path,
// key or mask longer than the limit, a FileKey line without masks, and a
// variable expansion that gives a relative path or one with "..".

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/PathText.h"
#include "formats/Winapp2.h"

namespace {

using namespace klarvex;

void Check(bool promise) {
    if (!promise) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes a character, as the program holds the decoded text.
    std::wstring text(size / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    const std::vector<Winapp2Variable> variables = {{L"APPDATA", {L"C:\\Users\\u\\AppData\\Roaming"}},
                                                    {L"PROGRAMFILES", {L"C:\\Program Files", L"C:\\Program Files (x86)"}},
                                                    {L"USERNAME", {L"u"}}};
    for (const auto& entry : ParseWinapp2(text)) {
        Check(!entry.name.empty());
        for (const auto& files : entry.files) {
            Check(!files.masks.empty() && files.path.size() <= kWinapp2MaxPath);
            for (const auto& mask : files.masks) Check(!mask.empty() && mask.size() <= kWinapp2MaxPath);
            for (const auto& path : ExpandWinapp2Variables(files.path, variables)) {
                Check(IsAbsolutePath(WithBackslash(path)) && path.size() <= kWinapp2MaxPath);
                Check(path.find(L"\\..\\") == std::wstring::npos && !path.ends_with(L"\\.."));
            }
        }
        for (const auto& key : entry.registry) {
            Check(key.key.size() <= kWinapp2MaxPath);
            if (const auto split = SplitWinapp2Key(key.key)) Check(!split->path.empty() && split->root != RootKey::None);
        }
    }
    return 0;
}
