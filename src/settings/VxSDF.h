#pragma once
// The structured data format of the state file: a tree of typed, numbered elements
// grouped in nodes, each item a header byte (kind, and the size codes of its identifier,
// type and size fields) followed by those fields and the payload.
//
//   TVxSDFWriter writer(&stream);
//   writer.BeginNode(1, ModuleGuid);
//   writer.WriteInteger(1, left);
//   writer.EndNode();
//
//   TVxSDFReader reader(&stream);
//   if (reader.EnterNode(1, ModuleGuid)) { reader.ReadInteger(1, left); reader.LeaveNode(); }
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "settings/VxStreams.h"

// Sixteen bytes in the platform's memory layout (first three fields little-endian).
struct TVxGuid {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    std::array<std::uint8_t, 16> ToBytes() const;
    static TVxGuid FromBytes(const std::uint8_t* bytes);
    friend bool operator==(const TVxGuid&, const TVxGuid&) = default;
};

enum TVxSDFType : std::uint32_t {
    sdfInt8 = 1,
    sdfUInt8 = 2,
    sdfInt16 = 3,
    sdfUInt16 = 4,
    sdfInt32 = 5,
    sdfReal64 = 10,
    sdfText8 = 11,
    sdfText = 12,
    sdfGuid = 13,
    sdfBinary = 14,
    sdfInterface = 16,
};

class TVxSDFNode;

class TVxSDFElement {
public:
    TVxSDFElement(std::uint32_t identifier, std::uint32_t type, std::uint32_t size, std::uint64_t position)
        : Identifier(identifier), Type(type), Size(size), Position(position) {}
    virtual ~TVxSDFElement() = default;

    std::uint32_t Identifier;
    std::uint32_t Type;
    std::uint32_t Size;
    std::uint64_t Position;  // of the payload in the stream
};

// The elements and the nodes of one level, each in stream order.
class TVxSDFItems {
public:
    std::vector<std::unique_ptr<TVxSDFElement>> Elements;
    std::vector<std::unique_ptr<TVxSDFNode>> Nodes;
};

class TVxSDFNode : public TVxSDFElement {
public:
    TVxSDFNode(TVxSDFNode* parent, std::uint32_t identifier, std::uint32_t type, std::uint32_t size, std::uint64_t position)
        : TVxSDFElement(identifier, type, size, position), Parent(parent) {}

    TVxSDFNode* Parent;  // none at top level
    TVxSDFItems Items;
};

class TVxSDFWriter {
public:
    explicit TVxSDFWriter(TVxStream* stream);                 // borrows
    explicit TVxSDFWriter(std::unique_ptr<TVxStream> stream); // owns

    bool BeginNode(std::uint32_t identifier, const TVxGuid& guid);
    bool BeginIntegerNode(std::uint32_t identifier, std::int32_t value);
    bool EndNode();
    bool WriteBoolean(std::uint32_t identifier, bool value);
    bool WriteInteger(std::uint32_t identifier, std::int32_t value);
    bool WriteString(std::uint32_t identifier, const std::wstring& text);
    bool WriteBinary(std::uint32_t identifier, const void* data, std::uint32_t size);

    TVxStream* Stream() const { return FStream; }

private:
    bool WriteItem(std::uint8_t kind, std::uint32_t identifier, std::uint32_t type, const void* payload, std::uint32_t size);

    std::unique_ptr<TVxStream> FOwnedStream;
    TVxStream* FStream;
};

class TVxSDFReader {
public:
    explicit TVxSDFReader(TVxStream* stream);
    explicit TVxSDFReader(std::unique_ptr<TVxStream> stream);

    bool EnterNode(std::uint32_t identifier);
    bool EnterNode(std::uint32_t identifier, const TVxGuid& guid);
    void LeaveNode();

    // Identifier 0 reads the current node's own payload.
    bool ReadInteger(std::uint32_t identifier, std::int32_t& value);
    bool ReadBoolean(std::uint32_t identifier, bool& value);
    bool ReadString(std::uint32_t identifier, std::wstring& text);
    bool ReadBinary(std::uint32_t identifier, void* buffer, std::uint32_t size);

    const TVxSDFItems& TopLevel() const { return FItems; }
    TVxSDFNode* CurrentNode() const { return FCurrent; }

private:
    void Parse();
    const TVxSDFElement* FindElement(std::uint32_t identifier) const;
    const TVxSDFItems& CurrentItems() const { return FCurrent ? FCurrent->Items : FItems; }
    bool ReadPayload(const TVxSDFElement& element, void* buffer, std::uint32_t size);

    std::unique_ptr<TVxStream> FOwnedStream;
    TVxStream* FStream;
    TVxSDFItems FItems;
    TVxSDFNode* FCurrent = nullptr;
};

// UTF-16 code units of a wide string and back (wchar_t is 32 bits outside Windows).
std::u16string ToUtf16(const std::wstring& text);
std::wstring FromUtf16(const std::u16string& text);
