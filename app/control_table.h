#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "app/control_ids.h"
#include "app/window.h"

namespace nimbrel {

enum class ControlKind { FocusHolder, ListBox, Label, Edit, ComboBox, Button, CheckBox };

/// One coordinate as the window computes it: (bx·baseUnitX + by·baseUnitY) ÷ div + add,
/// plus the scroll-bar width where scrollBar is set.
struct Extent {
    int bx = 0;
    int by = 0;
    int div = 1;
    int add = 0;
    bool scrollBar = false;

    int evaluate(int baseUnitX, int baseUnitY, int scrollBarWidth) const {
        return (bx * baseUnitX + by * baseUnitY) / div + add + (scrollBar ? scrollBarWidth : 0);
    }
};

struct ControlSpec {
    int id;
    ControlKind kind;
    std::optional<Label> label;  // set for the static texts, which share ids
    std::string_view text;       // caption or initial text
    bool enabled;
    Extent x, y, width, height;
};

struct Geometry {
    int x, y, width, height;
};

/// Every control in creation order. The focus holder has the platform's default geometry.
std::span<const ControlSpec> controlTable();
Geometry geometryOf(const ControlSpec& control, int baseUnitX, int baseUnitY, int scrollBarWidth);
const ControlSpec* findControl(int id);
const ControlSpec& findLabel(Label label);
/// The name a script uses for a label ("step1Label1", "firstByteLabel", ...).
std::string_view labelName(Label label);
std::optional<Label> labelByName(std::string_view name);

struct MenuItemSpec {
    std::string_view menu;     // "&File", "&Misc", "&Help"
    int id;                    // 0 for a separator
    std::string_view caption;  // with its accelerator mark
    bool enabledAtStart;
};

/// The menu "MAINMENU" in display order.
std::span<const MenuItemSpec> menuTable();
const MenuItemSpec* findMenuItem(int id);

/// The format combobox's items; the index is the VertexFormat.
std::span<const std::string_view> formatItems();
/// The info list's banner and the results list's first lines.
std::span<const std::string_view> infoBanner();
std::span<const std::string_view> resultsIntro();

/// The client area that holds every control with a margin of one base unit to the right
/// and below, as the left and top edges have it. A combobox counts with its closed height,
/// comboHeight; its formula's height includes the dropped-down list.
Geometry controlsExtent(int baseUnitX, int baseUnitY, int scrollBarWidth, int comboHeight);

inline constexpr std::string_view kWindowTitle = "- Nimbrel";

}  // namespace nimbrel
