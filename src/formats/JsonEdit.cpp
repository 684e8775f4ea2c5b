#include "formats/JsonEdit.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace klarvex {

namespace {

// A small JSON reader that records where each object member's value lies,
// by its key path.
class Scanner {
public:
    Scanner(std::string_view text, const std::vector<std::vector<std::string>>& paths) : text_(text), paths_(paths) {}

    bool Run() {
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] != '{') return false;
        std::vector<std::string> path;
        if (!Value(path, 0)) return false;
        SkipSpace();
        return pos_ == text_.size();
    }
    // Value spans of the wanted paths that hold objects: [begin, end).
    const std::vector<std::pair<size_t, size_t>>& Found() const { return found_; }

private:
    void SkipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' ||
                                        text_[pos_] == '\r'))
            ++pos_;
    }

    bool String(std::string* out) {
        if (pos_ >= text_.size() || text_[pos_] != '"') return false;
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (pos_ >= text_.size()) return false;
                const char e = text_[pos_++];
                if (out) out->push_back('\\');
                if (out) out->push_back(e);
                continue;
            }
            if (out) out->push_back(c);
        }
        return false;
    }

    bool Wanted(const std::vector<std::string>& path) const {
        return std::find(paths_.begin(), paths_.end(), path) != paths_.end();
    }

    bool Value(std::vector<std::string>& path, int depth) {
        if (depth > kMaxJsonDepth) return false;
        SkipSpace();
        if (pos_ >= text_.size()) return false;
        const size_t begin = pos_;
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
            } else {
                for (;;) {
                    SkipSpace();
                    std::string key;
                    if (!String(&key)) return false;
                    SkipSpace();
                    if (pos_ >= text_.size() || text_[pos_++] != ':') return false;
                    path.push_back(std::move(key));
                    const bool ok = Value(path, depth + 1);
                    path.pop_back();
                    if (!ok) return false;
                    SkipSpace();
                    if (pos_ >= text_.size()) return false;
                    if (text_[pos_] == ',') {
                        ++pos_;
                        continue;
                    }
                    if (text_[pos_++] != '}') return false;
                    break;
                }
            }
            if (!path.empty() && Wanted(path)) found_.emplace_back(begin, pos_);
            return true;
        }
        if (c == '[') {
            ++pos_;
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            // Inside an array no key path goes on: an empty step stands for it.
            path.push_back({});
            for (;;) {
                if (!Value(path, depth + 1)) return false;
                SkipSpace();
                if (pos_ >= text_.size()) return false;
                if (text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                if (text_[pos_++] != ']') return false;
                break;
            }
            path.pop_back();
            return true;
        }
        if (c == '"') return String(nullptr);
        // Numbers and the literals: the characters they may consist of.
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '-' ||
                                       text_[pos_] == '+' || text_[pos_] == '.'))
            ++pos_;
        return pos_ > begin;
    }

    std::string_view text_;
    const std::vector<std::vector<std::string>>& paths_;
    std::vector<std::pair<size_t, size_t>> found_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<std::string> EmptyJsonObjects(std::string_view json, const std::vector<std::vector<std::string>>& paths) {
    Scanner scanner(json, paths);
    if (!scanner.Run()) return std::nullopt;
    // Spans of members found are disjoint or nested; an inner one inside an
    // outer one that is emptied anyway needs nothing of its own.
    std::vector<std::pair<size_t, size_t>> spans = scanner.Found();
    std::sort(spans.begin(), spans.end());
    std::string result;
    size_t copied = 0;
    for (const auto& [begin, end] : spans) {
        if (begin < copied) continue;
        result.append(json.substr(copied, begin - copied));
        result.append("{}");
        copied = end;
    }
    result.append(json.substr(copied));
    return result;
}

}  // namespace klarvex
