#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "app/window.h"

namespace nimbrel {

/// Control and menu ids of the main window.
namespace cmd {
inline constexpr int kFormatCombo = 8;
inline constexpr int kGo1 = 9;
inline constexpr int kGo2 = 10;
inline constexpr int kGo3 = 11;
inline constexpr int kByteOrder = 12;
inline constexpr int kVbSeq = 13;
inline constexpr int kIndexSize = 14;
inline constexpr int kTutorial = 15;
inline constexpr int kMesh = 16;
inline constexpr int kUVs = 17;
inline constexpr int kStrips = 18;
inline constexpr int kRestartMarker = 19;
inline constexpr int kMinus = 20;
inline constexpr int kPointCloud = 21;
inline constexpr int kUvDivisor = 22;
inline constexpr int kCF = 23;
inline constexpr int kTable = 24;
inline constexpr int kPlus = 25;
inline constexpr int kQuads = 34;
inline constexpr int kTableTest = 35;
inline constexpr int kRelFI = 36;
inline constexpr int kUvGap = 37;
inline constexpr int kUnsignedShorts = 38;
inline constexpr int kFocusHolder = 1001;
inline constexpr int kFIri = 9068;
inline constexpr int kAbout = 9069;
inline constexpr int kOpen = 9070;
inline constexpr int kExit = 9071;
inline constexpr int kChainExport = 9072;
inline constexpr int kSubmeshExport = 9073;
inline constexpr int kOpenVyp = 9074;
inline constexpr int kSaveVyp = 9075;
inline constexpr int kFindLayouts = 9080;
inline constexpr int kCheckLayout = 9081;
inline constexpr int kGltfExport = 9082;
inline constexpr int kGltfChainExport = 9083;
inline constexpr int kFileList = 9999;
/// Notification code of a combobox whose selection changed.
inline constexpr int kSelectionChanged = 1;
}  // namespace cmd

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
