#include "app/control_table.h"

#include <algorithm>
#include <array>

namespace nimbrel {

namespace {

using K = ControlKind;

constexpr Extent bx(int mul, int add = 0) { return Extent{mul, 0, 1, add, false}; }
constexpr Extent by(int mul, int add = 0) { return Extent{0, mul, 1, add, false}; }
constexpr Extent byDiv(int mul, int div) { return Extent{0, mul, div, 0, false}; }
constexpr Extent bxSb(int mul) { return Extent{mul, 0, 1, 0, true}; }
constexpr Extent none() { return Extent{}; }

const ControlSpec kControls[] = {
    {cmd::kFocusHolder, K::FocusHolder, {}, "", true, none(), none(), none(), none()},
    {1, K::ListBox, {}, "", true, bx(1), by(1), bxSb(34), by(8)},
    {29, K::ListBox, {}, "", true, bx(1), by(1, 120), bxSb(34), by(10)},
    {26, K::Label, Label::step1Label1, "step 1: get face indices", true, bx(1, 300), by(1), bx(20), by(1, 2)},
    {26, K::Label, Label::step1Label2, "startaddr 0x     count", true, bx(1, 300), by(1, 22), bx(20), by(1, 2)},
    {2, K::Edit, {}, "0", true, bx(1, 300), by(1, 44), bx(10), by(1)},
    {3, K::Edit, {}, "500", true, bx(1, 390), by(1, 44), bx(8), by(1)},
    {27, K::Label, Label::step2Label1, "step 2: Vertex Block", true, bx(1, 300), by(1, 70), bx(20), by(1, 2)},
    {27, K::Label, Label::step2Label2, "FVFsize          UV pos", true, bx(1, 300), by(1, 92), bx(20), by(1, 2)},
    {4, K::Edit, {}, "0", true, bx(1, 300), by(1, 114), bx(10), by(1)},
    {5, K::Edit, {}, "99", true, bx(1, 390), by(1, 114), bx(4), by(1)},
    {27, K::Label, Label::step3Label1, "step 3: get vertices", true, bx(1, 300), by(1, 160), bx(20), by(1, 2)},
    {27, K::Label, Label::step3Label2, "startaddr 0x     count", true, bx(1, 300), by(1, 182), bx(20), by(1, 2)},
    {6, K::Edit, {}, "0", true, bx(1, 300), by(1, 204), bx(10), by(1)},
    {7, K::Edit, {}, "500", true, bx(1, 390), by(1, 204), bx(8), by(1)},
    {30, K::Edit, {}, "0", false, bx(1, 300), by(1, 135), bx(10), by(1)},
    {31, K::Edit, {}, "255", false, bx(1, 390), by(1, 135), bx(4), by(1)},
    {27, K::Label, Label::uvbLabel, "start/size UVB", true, bx(1, 430), by(1, 136), bx(12), by(1)},
    {27, K::Label, Label::firstByteLabel, " XX", true, bx(1, 480), by(1, 233), bx(4), by(1)},
    {28, K::Label, Label::overwriteLabel, "(existing test.obj will be overwritten!)", true, bx(1, 290), by(14, 63), bx(30),
     by(1, 2)},
    {cmd::kFormatCombo, K::ComboBox, {}, "Float", true, bx(1, 470), by(1, 169), bx(9), by(8)},
    {cmd::kGo1, K::Button, {}, "go1", false, bx(1, 470), by(1, 40), bx(6), byDiv(6, 4)},
    {cmd::kGo2, K::Button, {}, "go2", false, bx(1, 470), by(1, 105), bx(6), byDiv(6, 4)},
    {cmd::kGo3, K::Button, {}, "go3", false, bx(1, 470), by(1, 200), bx(6), byDiv(6, 4)},
    {cmd::kByteOrder, K::Button, {}, "litE", true, bx(1, 475), by(1, -15), bx(5), byDiv(5, 4)},
    {cmd::kVbSeq, K::Button, {}, " VB ", false, bx(1, 475), by(1, 78), bx(5), byDiv(5, 4)},
    {cmd::kIndexSize, K::Button, {}, "Word", true, bx(1, 475), by(1, 13), bx(5), byDiv(5, 4)},
    {cmd::kStrips, K::Button, {}, "noStr", true, bx(1, 532), by(1, 11), bx(5), byDiv(5, 4)},
    {cmd::kRestartMarker, K::Button, {}, "std", true, bx(1, 532), by(1, 35), bx(5), byDiv(5, 4)},
    {cmd::kMinus, K::Button, {}, "-", false, bx(1, 366), by(1, 261), bx(2), byDiv(5, 4)},
    {cmd::kPointCloud, K::Button, {}, "noPtC", true, bx(1, 589), by(1, 11), bx(5), byDiv(5, 4)},
    {32, K::Edit, {}, "0", true, bx(1, 589), by(1, 44), bx(5), by(1)},
    {33, K::Edit, {}, "100", true, bx(1, 285), by(1, 265), bx(6), by(1)},
    {cmd::kUvDivisor, K::Button, {}, "W/64k", false, bx(1, 589), by(1, 70), bx(5), byDiv(5, 4)},
    {cmd::kTable, K::Button, {}, "table", false, bx(1, 589), by(1, 92), bx(5), byDiv(5, 4)},
    {cmd::kTutorial, K::Button, {}, " tut ", false, bx(1, 298), by(1, 230), bx(4), byDiv(5, 4)},
    {cmd::kMesh, K::Button, {}, " mesh", false, bx(1, 335), by(1, 230), bx(5), byDiv(5, 4)},
    {cmd::kCF, K::Button, {}, " CF", false, bx(1, 388), by(1, 230), bx(3), byDiv(5, 4)},
    {cmd::kPlus, K::Button, {}, "+", false, bx(1, 335), by(1, 261), bx(3), byDiv(5, 4)},
    {cmd::kUVs, K::Button, {}, " UVs", false, bx(1, 420), by(1, 230), bx(5), byDiv(5, 4)},
    {cmd::kQuads, K::CheckBox, {}, "", true, bx(1, 636), by(1, 44), bx(2), by(1)},
    {cmd::kTableTest, K::CheckBox, {}, "", true, bx(1, 636), by(1, 94), bx(2), by(1)},
    {cmd::kRelFI, K::CheckBox, {}, "", true, bx(1, 545), by(1, 59), bx(2), by(1)},
    {cmd::kUvGap, K::CheckBox, {}, "", true, bx(1, 545), by(1, 110), bx(2), by(1)},
    {cmd::kUnsignedShorts, K::CheckBox, {}, "", true, bx(1, 562), by(1, 172), bx(2), by(1)},
};

const MenuItemSpec kMenu[] = {
    {"&File", cmd::kOpen, "&Open...", true},
    {"&File", cmd::kSubmeshExport, "Save&As mesh", false},
    {"&File", cmd::kChainExport, "SaveAs &Mmesh", false},
    {"&File", cmd::kGltfExport, "Save as &glTF", false},
    {"&File", cmd::kGltfChainExport, "SaveAs glTF c&hain", false},
    {"&File", 0, "", true},
    {"&File", cmd::kOpenParameterFile, "Open &VYP", true},
    {"&File", cmd::kSaveParameterFile, "&Save VYP", false},
    {"&File", 0, "", true},
    {"&File", cmd::kExit, "E&xit", true},
    {"&Misc", cmd::kFIri, "&FIri", true},
    {"&Misc", cmd::kFindLayouts, "&Find layouts...", false},
    {"&Misc", cmd::kCheckLayout, "&Check layout", false},
    {"&Help", cmd::kAbout, "&About", true},
};

const std::string_view kFormatItems[] = {"Float", "HF_UV", "HF_all", "WordUV", "ShortAll"};

const std::string_view kBanner[] = {
    "   ---   Korvath Mesh Extractor   ---",
    "         mesh data files -> *.obj",
    "   --------------------------------------------------------------",
    "  This is an experimental tool to allow",
    "  noobs to get some meshes displayed.",
    "  Use the short tutorial to get a clue on",
    "  how to proceed.",
    "  No UV in VBlock? -> set UVpos to 99",
    " ",
    "  With RelFI checked rVC must be taken.",
    " ",
    "  VYP numbering may become async to",
    "  the one of obj (submesh) files!",
    " ",
    "  Maximum tristrips face index is 65535!",
    "  (DWord used with HiWord=0)",
    " ",
    " Use this extractor on your own risk!",
    " The author cannot be made responsible",
    "         for any loss or damage!",
    "-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x",
};

const std::string_view kResultsIntro[] = {
    "  Here the face indices and vertices,",
    "  normals and uvs will be displayed.",
    "  ",
    "  Some hex editors do not open 'shared'",
    "  Create a copy of the model file before",
    "  to open it in korvath.",
    "  (yes - the model is assumed to be",
    "   opened in a hex editor by you, too)",
};

const std::array<std::string_view, 9> kLabelNames = {
    "step1Label1", "step1Label2", "step2Label1", "step2Label2",  "step3Label1",
    "step3Label2", "uvbLabel",    "firstByteLabel", "overwriteLabel",
};

}  // namespace

std::span<const ControlSpec> controlTable() { return kControls; }

Geometry geometryOf(const ControlSpec& c, int baseUnitX, int baseUnitY, int scrollBarWidth) {
    return Geometry{c.x.evaluate(baseUnitX, baseUnitY, scrollBarWidth), c.y.evaluate(baseUnitX, baseUnitY, scrollBarWidth),
                    c.width.evaluate(baseUnitX, baseUnitY, scrollBarWidth),
                    c.height.evaluate(baseUnitX, baseUnitY, scrollBarWidth)};
}

const ControlSpec* findControl(int id) {
    for (const auto& c : kControls)
        if (c.id == id && !c.label) return &c;
    return nullptr;
}

const ControlSpec& findLabel(Label label) {
    for (const auto& c : kControls)
        if (c.label == label) return c;
    return kControls[0];  // every Label has a row; unreachable
}

std::string_view labelName(Label label) { return kLabelNames[static_cast<std::size_t>(label)]; }

std::optional<Label> labelByName(std::string_view name) {
    for (std::size_t i = 0; i < kLabelNames.size(); ++i)
        if (kLabelNames[i] == name) return static_cast<Label>(i);
    return std::nullopt;
}

Geometry controlsExtent(int baseUnitX, int baseUnitY, int scrollBarWidth, int comboHeight) {
    int right = 0;
    int bottom = 0;
    for (const auto& c : kControls) {
        if (c.kind == K::FocusHolder) continue;
        Geometry g = geometryOf(c, baseUnitX, baseUnitY, scrollBarWidth);
        if (c.kind == K::ComboBox) g.height = comboHeight;
        right = std::max(right, g.x + g.width);
        bottom = std::max(bottom, g.y + g.height);
    }
    return Geometry{0, 0, right + baseUnitX, bottom + baseUnitY};
}

std::span<const MenuItemSpec> menuTable() { return kMenu; }

const MenuItemSpec* findMenuItem(int id) {
    for (const auto& m : kMenu)
        if (m.id == id && id != 0) return &m;
    return nullptr;
}

std::span<const std::string_view> formatItems() { return kFormatItems; }
std::span<const std::string_view> infoBanner() { return kBanner; }
std::span<const std::string_view> resultsIntro() { return kResultsIntro; }

}  // namespace nimbrel
