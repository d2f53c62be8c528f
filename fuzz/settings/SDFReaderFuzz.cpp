// Arbitrary bytes as a state file: the reader must parse up to the damage and every
// read afterwards must stay inside the stream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings/VxSDF.h"

namespace {

void ReadEverything(TVxSDFReader& reader, const TVxSDFItems& items, int depth)
{
    if (depth > 64)
        return;
    for (const auto& element : items.Elements) {
        std::int32_t i = 0;
        bool b = false;
        std::wstring text;
        reader.ReadInteger(element->Identifier, i);
        reader.ReadBoolean(element->Identifier, b);
        reader.ReadString(element->Identifier, text);
        std::vector<std::uint8_t> buffer(element->Size < 4096 ? element->Size : 4096);
        reader.ReadBinary(element->Identifier, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    }
    for (const auto& node : items.Nodes) {
        if (reader.EnterNode(node->Identifier)) {
            std::int32_t own = 0;
            reader.ReadInteger(0, own);
            ReadEverything(reader, reader.CurrentNode()->Items, depth + 1);
            reader.LeaveNode();
        }
        reader.EnterNode(node->Identifier, TVxGuid{});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TVxMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    TVxSDFReader reader(&stream);
    ReadEverything(reader, reader.TopLevel(), 0);
    return 0;
}
