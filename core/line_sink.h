#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// Where a pass puts the lines it lists: the window's results list, or a list kept for a
/// caller that decides later what to show.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void add(std::string_view line) = 0;
};

/// Keeps every line in order.
class LineList : public LineSink {
public:
    std::vector<std::string> lines;

    void add(std::string_view line) override { lines.emplace_back(line); }
};

/// Drops every line, for callers that want only a pass's figures.
class NoLines : public LineSink {
public:
    void add(std::string_view) override {}
};

}  // namespace nimbrel
