#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nimbrel {

/// The step fields by what they hold; app/ maps each onto its control.
enum class StepField : std::uint8_t {
    FaceIndexStart,
    FaceIndexCnt,
    FvfSize,
    UvPos,
    VertexStart,
    VertsCnt,
    UvBlockStart,
    UvBlockSize,
    FaceGap,
    VertexStep,
};
inline constexpr std::size_t kStepFieldCount = 10;

/// The texts of the step fields as they stand in the window.
struct StepTexts {
    std::array<std::string, kStepFieldCount> texts;

    const std::string& operator[](StepField field) const { return texts[static_cast<std::size_t>(field)]; }
    std::string& operator[](StepField field) { return texts[static_cast<std::size_t>(field)]; }
};

/// What a field check or a parameter file has for the window, in the order the window
/// must show it: field texts to put, results-list lines and messages.
struct FieldReport {
    enum class Kind : std::uint8_t { Field, Line, Message };
    struct Note {
        Kind kind;
        StepField field;  // Field only
        std::string text;
    };
    std::vector<Note> notes;

    void setField(StepField field, std::string text) { notes.push_back({Kind::Field, field, std::move(text)}); }
    void addLine(std::string line) { notes.push_back({Kind::Line, StepField{}, std::move(line)}); }
    void showMessage(std::string text) { notes.push_back({Kind::Message, StepField{}, std::move(text)}); }
};

}  // namespace nimbrel
