#include "settings/VxSDF.h"

#include <cstring>

namespace {

// Each field takes the smallest size code for its value: 0 stores nothing.
std::uint8_t SizeCode(std::uint32_t value)
{
    if (value == 0)
        return 0;
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    return 3;
}

constexpr std::uint32_t CodeBytes[4] = {0, 1, 2, 4};

void PutField(std::vector<std::uint8_t>& out, std::uint32_t value, std::uint8_t code)
{
    for (std::uint32_t i = 0; i < CodeBytes[code]; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::array<std::uint8_t, 16> TVxGuid::ToBytes() const
{
    std::array<std::uint8_t, 16> b{};
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<std::uint8_t>(Data1 >> (8 * i));
    b[4] = static_cast<std::uint8_t>(Data2);
    b[5] = static_cast<std::uint8_t>(Data2 >> 8);
    b[6] = static_cast<std::uint8_t>(Data3);
    b[7] = static_cast<std::uint8_t>(Data3 >> 8);
    std::memcpy(b.data() + 8, Data4.data(), 8);
    return b;
}

TVxGuid TVxGuid::FromBytes(const std::uint8_t* b)
{
    TVxGuid g;
    g.Data1 = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    g.Data2 = static_cast<std::uint16_t>(b[4] | (b[5] << 8));
    g.Data3 = static_cast<std::uint16_t>(b[6] | (b[7] << 8));
    std::memcpy(g.Data4.data(), b + 8, 8);
    return g;
}

// ---------------------------------------------------------------- writer

TVxSDFWriter::TVxSDFWriter(TVxStream* stream) : FStream(stream) {}

TVxSDFWriter::TVxSDFWriter(std::unique_ptr<TVxStream> stream) : FOwnedStream(std::move(stream)), FStream(FOwnedStream.get()) {}

bool TVxSDFWriter::WriteItem(std::uint8_t kind, std::uint32_t identifier, std::uint32_t type, const void* payload, std::uint32_t size)
{
    if (!FStream)
        return false;
    const std::uint8_t idCode = SizeCode(identifier);
    const std::uint8_t typeCode = SizeCode(type);
    const std::uint8_t sizeCode = SizeCode(size);
    std::vector<std::uint8_t> out;
    out.reserve(13 + size);
    out.push_back(static_cast<std::uint8_t>((kind << 6) | (idCode << 4) | (typeCode << 2) | sizeCode));
    PutField(out, identifier, idCode);
    PutField(out, type, typeCode);
    PutField(out, size, sizeCode);
    const auto* bytes = static_cast<const std::uint8_t*>(payload);
    out.insert(out.end(), bytes, bytes + size);
    FStream->Write(out.data(), out.size());
    return true;
}

bool TVxSDFWriter::BeginNode(std::uint32_t identifier, const TVxGuid& guid)
{
    const auto bytes = guid.ToBytes();
    return WriteItem(3, identifier, sdfGuid, bytes.data(), 16);
}

bool TVxSDFWriter::BeginIntegerNode(std::uint32_t identifier, std::int32_t value)
{
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    return WriteItem(3, identifier, sdfInt32, bytes, 4);
}

bool TVxSDFWriter::EndNode()
{
    if (!FStream)
        return false;
    const std::uint8_t end = 0;
    FStream->Write(&end, 1);
    return true;
}

bool TVxSDFWriter::WriteBoolean(std::uint32_t identifier, bool value)
{
    const std::uint8_t byte = value ? 1 : 0;
    return WriteItem(1, identifier, sdfInt8, &byte, 1);
}

bool TVxSDFWriter::WriteInteger(std::uint32_t identifier, std::int32_t value)
{
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    return WriteItem(1, identifier, sdfInt32, bytes, 4);
}

bool TVxSDFWriter::WriteString(std::uint32_t identifier, const std::wstring& text)
{
    const std::u16string units = ToUtf16(text);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes.push_back(static_cast<std::uint8_t>(u));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return WriteItem(1, identifier, sdfText, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

bool TVxSDFWriter::WriteBinary(std::uint32_t identifier, const void* data, std::uint32_t size)
{
    return WriteItem(1, identifier, sdfBinary, data, size);
}

// ---------------------------------------------------------------- reader

TVxSDFReader::TVxSDFReader(TVxStream* stream) : FStream(stream)
{
    Parse();
}

TVxSDFReader::TVxSDFReader(std::unique_ptr<TVxStream> stream) : FOwnedStream(std::move(stream)), FStream(FOwnedStream.get())
{
    Parse();
}

void TVxSDFReader::Parse()
{
    FCurrent = nullptr;
    if (!FStream)
        return;
    const std::uint64_t length = FStream->Size();
    FStream->Seek(0);
    auto readField = [this](std::uint8_t code, std::uint32_t& value) {
        std::uint8_t bytes[4] = {};
        value = 0;
        if (FStream->Read(bytes, CodeBytes[code]) != CodeBytes[code])
            return false;
        for (std::uint32_t i = 0; i < CodeBytes[code]; ++i)
            value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
        return true;
    };
    for (;;) {
        std::uint8_t header;
        if (FStream->Read(&header, 1) != 1)
            break;
        std::uint32_t identifier, type, size;
        if (!readField((header >> 4) & 3, identifier) || !readField((header >> 2) & 3, type) || !readField(header & 3, size))
            break;
        const std::uint8_t kind = header >> 6;
        if (kind == 0) {
            if (!FCurrent)
                break;
            FCurrent = FCurrent->Parent;
            continue;
        }
        const std::uint64_t position = FStream->Position();
        // A payload that runs past the end is damage: drop the item and stop there.
        if (size > length - position)
            break;
        TVxSDFItems& items = FCurrent ? FCurrent->Items : FItems;
        if (kind == 1) {
            items.Elements.push_back(std::make_unique<TVxSDFElement>(identifier, type, size, position));
        } else {
            items.Nodes.push_back(std::make_unique<TVxSDFNode>(FCurrent, identifier, type, size, position));
            FCurrent = items.Nodes.back().get();
        }
        if (FStream->Seek(position + size) != position + size)
            break;
    }
    // A stream cut off inside a node still starts reading at the top level.
    FCurrent = nullptr;
}

bool TVxSDFReader::EnterNode(std::uint32_t identifier)
{
    for (const auto& node : CurrentItems().Nodes) {
        if (node->Identifier == identifier) {
            FCurrent = node.get();
            return true;
        }
    }
    return false;
}

bool TVxSDFReader::EnterNode(std::uint32_t identifier, const TVxGuid& guid)
{
    const auto wanted = guid.ToBytes();
    for (const auto& node : CurrentItems().Nodes) {
        if (node->Identifier != identifier || node->Type != sdfGuid || node->Size != 16)
            continue;
        std::array<std::uint8_t, 16> bytes{};
        if (ReadPayload(*node, bytes.data(), 16) && bytes == wanted) {
            FCurrent = node.get();
            return true;
        }
    }
    return false;
}

void TVxSDFReader::LeaveNode()
{
    if (FCurrent)
        FCurrent = FCurrent->Parent;
}

const TVxSDFElement* TVxSDFReader::FindElement(std::uint32_t identifier) const
{
    if (identifier == 0 && FCurrent)
        return FCurrent;
    for (const auto& element : CurrentItems().Elements)
        if (element->Identifier == identifier)
            return element.get();
    return nullptr;
}

bool TVxSDFReader::ReadPayload(const TVxSDFElement& element, void* buffer, std::uint32_t size)
{
    if (!FStream || FStream->Seek(element.Position) != element.Position)
        return false;
    return FStream->Read(buffer, size) == size;
}

bool TVxSDFReader::ReadInteger(std::uint32_t identifier, std::int32_t& value)
{
    const TVxSDFElement* element = FindElement(identifier);
    if (!element)
        return false;
    std::uint8_t b[4] = {};
    const std::uint32_t wanted = (element->Type == sdfInt32 && element->Size == 4)                                ? 4
                                 : ((element->Type == sdfInt8 || element->Type == sdfUInt8) && element->Size == 1)  ? 1
                                 : ((element->Type == sdfInt16 || element->Type == sdfUInt16) && element->Size == 2) ? 2
                                                                                                                     : 0;
    if (wanted == 0 || !ReadPayload(*element, b, wanted))
        return true;
    switch (element->Type) {
    case sdfInt32: value = static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24)); break;
    case sdfInt8: value = static_cast<std::int8_t>(b[0]); break;
    case sdfUInt8: value = b[0]; break;
    case sdfInt16: value = static_cast<std::int16_t>(b[0] | (b[1] << 8)); break;
    case sdfUInt16: value = static_cast<std::uint16_t>(b[0] | (b[1] << 8)); break;
    }
    return true;
}

bool TVxSDFReader::ReadBoolean(std::uint32_t identifier, bool& value)
{
    const TVxSDFElement* element = FindElement(identifier);
    if (!element)
        return false;
    std::int32_t integer = 0;
    const bool known = (element->Type == sdfInt32 && element->Size == 4) ||
                       ((element->Type == sdfInt8 || element->Type == sdfUInt8) && element->Size == 1) ||
                       ((element->Type == sdfInt16 || element->Type == sdfUInt16) && element->Size == 2);
    if (known && ReadInteger(identifier, integer))
        value = integer != 0;
    return true;
}

bool TVxSDFReader::ReadString(std::uint32_t identifier, std::wstring& text)
{
    const TVxSDFElement* element = FindElement(identifier);
    if (!element)
        return false;
    if (element->Type != sdfText)
        return true;
    std::vector<std::uint8_t> bytes(element->Size / 2 * 2);
    if (!bytes.empty() && !ReadPayload(*element, bytes.data(), static_cast<std::uint32_t>(bytes.size())))
        return true;
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    text = FromUtf16(units);
    return true;
}

bool TVxSDFReader::ReadBinary(std::uint32_t identifier, void* buffer, std::uint32_t size)
{
    const TVxSDFElement* element = FindElement(identifier);
    if (!element || element->Size != size)
        return false;
    return ReadPayload(*element, buffer, size);
}

// ---------------------------------------------------------------- UTF-16

std::u16string ToUtf16(const std::wstring& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t ch : text) {
        const auto c = static_cast<std::uint32_t>(ch);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::wstring FromUtf16(const std::u16string& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if constexpr (sizeof(wchar_t) >= 4) {
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
                out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00)));
                ++i;
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}
