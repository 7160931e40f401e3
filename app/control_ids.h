#pragma once

namespace nimbrel {

// Every control and menu item by its id. The ids are the window's and the scripts' own
// numbers, so they never change.

/// The edit fields and lists the commands read and write.
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

/// The buttons, toggles, the combobox and the menu items: the command words they send.
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
inline constexpr int kOpenParameterFile = 9074;
inline constexpr int kSaveParameterFile = 9075;
inline constexpr int kFindLayouts = 9080;
inline constexpr int kCheckLayout = 9081;
inline constexpr int kGltfExport = 9082;
inline constexpr int kGltfChainExport = 9083;
inline constexpr int kFileList = 9999;
/// Notification code of a combobox whose selection changed.
inline constexpr int kSelectionChanged = 1;
}  // namespace cmd

}  // namespace nimbrel
