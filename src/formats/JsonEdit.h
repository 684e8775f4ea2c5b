#pragma once

// A careful edit of a JSON text (a browser's Preferences file): objects at
// given key paths are emptied, and every other byte stays as it was. No
// Windows calls, so it also builds natively under the sanitizers.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klarvex {

// The text with the object found at each path (keys from the top object
// down, compared byte for byte) replaced by {}. A path that is missing, or
// whose value is no object, is left alone. nullopt when the text is no
// well-formed JSON object (nothing is edited then) or nests deeper than
// kMaxJsonDepth. Time and memory are linear in the text's length.
inline constexpr int kMaxJsonDepth = 512;
std::optional<std::string> EmptyJsonObjects(std::string_view json, const std::vector<std::vector<std::string>>& paths);

}  // namespace klarvex
