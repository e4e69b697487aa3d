// Path folding, location substitution and case-insensitive resolution. The exact path is
// tried first (one lstat); only a miss walks the components, scanning a folder only where a
// component is missing in the exact case.
#include "engine/path_policy.h"

#include <dirent.h>
#include <sys/stat.h>

#include <mutex>
#include <shared_mutex>
#include <vector>

#include "engine/ascii.h"

namespace Kiv::PathPolicy {

namespace {

struct Location {
    std::string name;
    std::string target;  // folded
};

struct LocationTable {
    std::shared_mutex mutex;
    std::vector<Location> locations;
};

// Never destroyed: files may be opened by static destructors after main returns.
LocationTable& Locations() {
    static auto* table = new LocationTable;
    return *table;
}

std::string FoldSeparators(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        char d = c == '\\' ? '/' : c;
        if (d == '/' && !out.empty() && out.back() == '/') continue;
        out += d;
    }
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

// The target of the location named by the first component of a relative folded path.
bool FindLocation(std::string_view first, std::string& target) {
    LocationTable& table = Locations();
    std::shared_lock lock(table.mutex);
    for (const Location& location : table.locations) {
        if (!Ascii::EqualsIgnoreCase(location.name, first)) continue;
        target = location.target;
        return true;
    }
    return false;
}

bool Present(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

std::string Join(const std::string& prefix, std::string_view name) {
    std::string joined = prefix;
    if (!joined.empty() && joined.back() != '/') joined += '/';
    joined += name;
    return joined;
}

// The entry of folder that equals name ignoring case; the byte-wise smallest of several.
bool FindCaseVariant(const std::string& folder, std::string_view name, std::string& found) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        std::string_view candidate(entry->d_name);
        if (!Ascii::EqualsIgnoreCase(candidate, name)) continue;
        if (!any || candidate < found) found = candidate;
        any = true;
    }
    closedir(dir);
    return any;
}

// Walks the components of a folded path; keepLast leaves the last one as given.
std::string Walk(const std::string& folded, bool keepLast) {
    std::string prefix = folded[0] == '/' ? "/" : "";
    size_t position = prefix.size();
    while (position < folded.size()) {
        size_t end = folded.find('/', position);
        if (end == std::string::npos) end = folded.size();
        std::string_view component(folded.data() + position, end - position);
        std::string candidate = Join(prefix, component);
        std::string variant;
        if (keepLast && end == folded.size()) return candidate;
        if (component == "." || component == ".." || Present(candidate)) {
            prefix = std::move(candidate);
        } else if (FindCaseVariant(prefix, component, variant)) {
            prefix = Join(prefix, variant);
        } else {
            return Join(prefix, std::string_view(folded).substr(position));
        }
        position = end + 1;
    }
    return prefix;
}

std::string ParentOf(const std::string& folded) {
    size_t slash = folded.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : folded.substr(0, slash);
}

}  // namespace

std::string Fold(std::string_view path) {
    std::string folded = FoldSeparators(path);
    if (folded.empty() || folded[0] == '/') return folded;
    size_t slash = folded.find('/');
    std::string_view first = std::string_view(folded).substr(0, slash);
    std::string target;
    if (!FindLocation(first, target)) return folded;
    std::string rest = slash == std::string::npos ? "" : folded.substr(slash);
    return FoldSeparators(target + rest);
}

std::string Resolve(std::string_view path) {
    std::string folded = Fold(path);
    if (folded.empty() || Present(folded)) return folded;
    return Walk(folded, false);
}

std::string ResolveParent(std::string_view path) {
    std::string folded = Fold(path);
    if (folded.empty()) return folded;
    std::string parent = ParentOf(folded);
    if (parent.empty() || Present(parent)) return folded;
    return Walk(folded, true);
}

void SetLocation(std::string_view name, std::string_view target) {
    LocationTable& table = Locations();
    std::unique_lock lock(table.mutex);
    std::vector<Location>& locations = table.locations;
    std::erase_if(locations, [&](const Location& l) { return Ascii::EqualsIgnoreCase(l.name, name); });
    if (name.empty() || target.empty()) return;
    locations.push_back({std::string(name), FoldSeparators(target)});
}

}  // namespace Kiv::PathPolicy
