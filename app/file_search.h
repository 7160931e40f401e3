#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// '*' matches any run of characters and '?' any one; everything else stands for itself
/// (no brackets), compared without regard to ASCII case, as a Windows search matches.
bool wildcardMatch(std::string_view pattern, std::string_view name);

/// Natural order: runs of digits compare by value, so name_2 sorts before name_10; other
/// characters compare without regard to ASCII case; ties fall back to the plain bytes.
bool naturalLess(std::string_view a, std::string_view b);

struct FileSearch {
    std::vector<std::string> names;  ///< bare names of the matching regular files, in natural order
    bool failed = false;             ///< the folder could not be read to its end
};

/// The regular files of folder whose names match pattern (see wildcardMatch).
FileSearch findFiles(const std::string& folder, std::string_view pattern);

}  // namespace nimbrel
