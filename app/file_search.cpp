#include "app/file_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace nimbrel {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    // Greedy with one back-up point: linear in practice, never exponential.
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            std::string_view da = a.substr(i, ei - i), db = b.substr(j, ej - j);
            while (da.size() > 1 && da[0] == '0') da.remove_prefix(1);
            while (db.size() > 1 && db[0] == '0') db.remove_prefix(1);
            if (da.size() != db.size()) return da.size() < db.size();
            if (da != db) return da < db;
            i = ei;
            j = ej;
            continue;
        }
        if (lower(a[i]) != lower(b[j])) return lower(a[i]) < lower(b[j]);
        ++i;
        ++j;
    }
    if ((i < a.size()) != (j < b.size())) return j < b.size();
    return a < b;
}

FileSearch findFiles(const std::string& folder, std::string_view pattern) {
    namespace fs = std::filesystem;
    FileSearch found;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec);
    if (ec) return found;  // an unreadable folder holds no matches
    // A failed step leaves the iterator at its end with ec set.
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        std::string name = it->path().filename().string();
        if (wildcardMatch(pattern, name) && it->is_regular_file(typeError)) found.names.push_back(std::move(name));
    }
    found.failed = static_cast<bool>(ec);
    std::sort(found.names.begin(), found.names.end(),
              [](const std::string& x, const std::string& y) { return naturalLess(x, y); });
    return found;
}

}  // namespace nimbrel
