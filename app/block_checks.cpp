#include "app/block_checks.h"

#include <string>

#include "vertices/record_layout.h"

namespace nimbrel {

namespace {


struct Block {
    std::uint32_t start;
    std::uint32_t stride;
};

/// The blocks reader reads, vertex block first; at most two.
int blocksRead(const Workspace& ws, BlockReader reader, Block (&blocks)[2]) {
    const VertexFormat format = ws.vertexFormat;
    const Block vertexBlock{ws.vertexStart, ws.vbMode ? std::uint32_t{ws.fvfSize} : positionSize(positionKind(format))};
    const Block uvBlock{ws.uvBlockStart, ws.vbMode ? std::uint32_t{ws.uvBlockSize} : pairSize(uvPairKind(format))};
    const bool separateUvBlock = !ws.vbMode || (ws.uvPos == kNoUvInRecord && ws.uvBlockSize != kNoUvBlock);
    int n = 0;
    switch (reader) {
        case BlockReader::Mesh:
            blocks[n++] = vertexBlock;
            break;
        case BlockReader::UVs:
            // The UV map of a separate block refuses HF_all and ShortAll without reading it.
            if (ws.vbMode && ws.uvBlockSize == kNoUvBlock)
                blocks[n++] = vertexBlock;
            else if (format != VertexFormat::HF_all && format != VertexFormat::ShortAll)
                blocks[n++] = uvBlock;
            break;
        case BlockReader::SubmeshExport:
            blocks[n++] = vertexBlock;
            if (separateUvBlock) blocks[n++] = uvBlock;
            break;
    }
    return n;
}

}  // namespace

bool checkBlockFits(const ModelBuffer& model, Window& window, std::uint32_t start, std::uint32_t count,
                    std::uint32_t stride) {
    if (model.blockFits(start, count, stride)) return true;
    window.showMessage("EOF met!\nVertsCnt reduced");
    const std::uint32_t room = start <= model.size() ? model.size() - start : 0;
    const std::uint32_t fitting = stride ? room / stride : 0;
    window.setText(field::kVertsCnt, std::to_string(fitting >= 1 ? fitting - 1 : 0));
    return false;
}

bool checkExportBlocks(const Workspace& ws, const ModelBuffer& model, Window& window, BlockReader reader) {
    Block blocks[2];
    const int n = blocksRead(ws, reader, blocks);
    for (int i = 0; i < n; ++i)
        if (!checkBlockFits(model, window, blocks[i].start, ws.vertsCnt, blocks[i].stride)) return false;
    return true;
}

}  // namespace nimbrel
