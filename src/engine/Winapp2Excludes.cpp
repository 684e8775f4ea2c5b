#include "engine/Winapp2Excludes.h"

#include <algorithm>

#include "base/Strings.h"

namespace klarvex {

namespace {

// Every folder from the drive's root down to upperFolder itself (each with
// its trailing backslash), handed to visit until it returns true.
template <typename Visit>
bool AnyFolderOnTheWay(const std::wstring& upperFolder, Visit visit) {
    for (size_t slash = upperFolder.find(L'\\'); slash != std::wstring::npos; slash = upperFolder.find(L'\\', slash + 1))
        if (visit(upperFolder.substr(0, slash + 1))) return true;
    return false;
}

}  // namespace

void TWinapp2Excludes::Masks::Add(const std::wstring& mask) {
    const std::wstring upper = UpperCase(mask);
    if (HasWildcard(upper)) wildcards.emplace_back(mask, upper, FileMask::ExactName::AnyCase);
    else exactUpper.insert(upper);
}

bool TWinapp2Excludes::Masks::Fit(const std::wstring& name, const std::wstring& upperName) const {
    if (everything || exactUpper.count(upperName)) return true;
    return std::any_of(wildcards.begin(), wildcards.end(),
                       [&](const FileMask& mask) { return mask.Matches(name, upperName); });
}

TWinapp2Excludes::TWinapp2Excludes(const std::vector<Winapp2Exclude>& excludes,
                                   const std::vector<Winapp2Variable>& variables,
                                   std::vector<std::wstring>& unresolved) {
    for (const auto& exclude : excludes) {
        if (exclude.kind == Winapp2Exclude::Kind::Registry) {
            const auto key = SplitWinapp2Key(exclude.path);
            if (!key) {
                unresolved.push_back(L"REG|" + exclude.path);
                continue;
            }
            keys_.push_back({key->root, UpperCase(key->path), exclude.value});
            continue;
        }
        const bool below = exclude.kind == Winapp2Exclude::Kind::Path;
        const auto paths = ExpandWinapp2Variables(exclude.path, variables);
        if (paths.empty()) unresolved.push_back((below ? L"PATH|" : L"FILE|") + exclude.path);
        for (const auto& path : paths) {
            hasFiles_ = true;
            Masks masks;
            masks.everything = below && exclude.masks.empty();
            for (const auto& mask : exclude.masks) masks.Add(mask);
            const std::wstring upperFolder = UpperCase(WithBackslash(path));
            if (HasWildcard(upperFolder)) {
                patterns_.push_back({upperFolder, below, std::move(masks)});
                continue;
            }
            Masks& known = (below ? below_ : inFolder_)[upperFolder];
            known.everything = known.everything || masks.everything;
            known.exactUpper.merge(masks.exactUpper);
            for (auto& mask : masks.wildcards) known.wildcards.push_back(std::move(mask));
        }
    }
}

const std::vector<const TWinapp2Excludes::Pattern*>& TWinapp2Excludes::PatternsFor(const std::wstring& upperFolder) const {
    const auto [found, fresh] = patternsByFolder_.try_emplace(upperFolder);
    if (fresh) {
        for (const auto& pattern : patterns_)
            if (WildcardMatch(pattern.below ? pattern.upperFolder + L"*" : pattern.upperFolder, upperFolder))
                found->second.push_back(&pattern);
    }
    return found->second;
}

bool TWinapp2Excludes::SparesEntry(const std::wstring& folder, const std::wstring& name, bool isFolder) const {
    const std::wstring upperFolder = UpperCase(folder);
    const std::wstring upperName = UpperCase(name);
    if (isFolder) {
        // A folder goes untouched, with all below it, when a PATH line
        // without a mask names it or a folder it lies in.
        const std::wstring self = upperFolder + upperName + L"\\";
        if (AnyFolderOnTheWay(self, [&](const std::wstring& way) {
                const auto found = below_.find(way);
                return found != below_.end() && found->second.everything;
            }))
            return true;
        if (patterns_.empty()) return false;
        const auto& patterns = PatternsFor(self);
        return std::any_of(patterns.begin(), patterns.end(),
                           [](const Pattern* pattern) { return pattern->below && pattern->masks.everything; });
    }
    if (const auto found = inFolder_.find(upperFolder); found != inFolder_.end() && found->second.Fit(name, upperName))
        return true;
    if (AnyFolderOnTheWay(upperFolder, [&](const std::wstring& way) {
            const auto found = below_.find(way);
            return found != below_.end() && found->second.Fit(name, upperName);
        }))
        return true;
    if (patterns_.empty()) return false;
    const auto& patterns = PatternsFor(upperFolder);
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const Pattern* pattern) { return pattern->masks.Fit(name, upperName); });
}

bool TWinapp2Excludes::SparesKey(RootKey root, const std::wstring& upperPath) const {
    return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
        return key.root == root && !key.value && (upperPath == key.path || upperPath.starts_with(key.path + L"\\"));
    });
}

bool TWinapp2Excludes::SparesValue(RootKey root, const std::wstring& upperPath, const std::wstring& value) const {
    return SparesKey(root, upperPath) || std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
               return key.root == root && key.value && key.path == upperPath && SameText(*key.value, value);
           });
}

bool TWinapp2Excludes::SparesWithin(RootKey root, const std::wstring& upperPath) const {
    return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
        return key.root == root && (key.path == upperPath || key.path.starts_with(upperPath + L"\\"));
    });
}

}  // namespace klarvex
