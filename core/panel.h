#pragma once

#include <string>
#include <string_view>

namespace nimbrel {

/// Ids of the edit fields and lists that the extraction code reads or writes.
namespace field {
inline constexpr int kInfoList = 1;
inline constexpr int kFaceIndexStart = 2;
inline constexpr int kFaceIndexCnt = 3;
inline constexpr int kFvfSize = 4;
inline constexpr int kUvPos = 5;
inline constexpr int kVertexStart = 6;
inline constexpr int kVertsCnt = 7;
inline constexpr int kResultsList = 29;
inline constexpr int kUvBlockStart = 30;
inline constexpr int kUvBlockSize = 31;
inline constexpr int kFaceGap = 32;
inline constexpr int kVertexStep = 33;
}  // namespace field

/// The part of the main window that passes, writers and field checks talk to: the edit
/// fields, the results list and the message box. The whole window port extends it.
class Panel {
public:
    virtual ~Panel() = default;

    /// Text of the control with this id (an edit field, a button caption).
    virtual std::string text(int id) const = 0;
    virtual void setText(int id, std::string_view text) = 0;
    /// Adds a line at the end of the results list (control 29).
    virtual void addResult(std::string_view line) = 0;
    virtual void clearResults() = 0;
    /// A modal message with one OK button; returns once the user confirmed it.
    virtual void showMessage(std::string_view text) = 0;
};

}  // namespace nimbrel
