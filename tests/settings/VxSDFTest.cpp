#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <cstdint>
#include <vector>

#include "settings/VxSDF.h"
#include "support/VxTempFolder.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

const TVxGuid ModuleGuid{0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
const TVxGuid OtherGuid{0xCAFEBABE, 0x0001, 0x0002, {8, 7, 6, 5, 4, 3, 2, 1}};

template <typename F>
TBytes Written(F&& write)
{
    TVxMemoryStream stream;
    TVxSDFWriter writer(&stream);
    write(writer);
    return stream.Bytes();
}

}  // namespace

TEST(VxSDFTest, WorkedEncodingsByteForByte)
{
    EXPECT_EQ(Written([](TVxSDFWriter& w) { w.WriteInteger(1, 80); }), (TBytes{0x55, 0x01, 0x05, 0x04, 0x50, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Written([](TVxSDFWriter& w) { w.WriteString(2, L"ab"); }), (TBytes{0x55, 0x02, 0x0C, 0x04, 0x61, 0x00, 0x62, 0x00}));
    EXPECT_EQ(Written([](TVxSDFWriter& w) { w.EndNode(); }), (TBytes{0x00}));
    TBytes node = Written([](TVxSDFWriter& w) { w.BeginNode(1, ModuleGuid); });
    ASSERT_EQ(node.size(), 4u + 16u);
    EXPECT_EQ(TBytes(node.begin(), node.begin() + 4), (TBytes{0xD5, 0x01, 0x0D, 0x10}));
    EXPECT_EQ(TBytes(node.begin() + 4, node.begin() + 12), (TBytes{0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE}));
}

TEST(VxSDFTest, FieldsTakeTheSmallestSizeCode)
{
    struct TCase {
        std::uint32_t Identifier;
        std::uint8_t Header;
        std::size_t Length;
    } cases[] = {
        {0, 0x45, 1 + 0 + 1 + 1 + 4},          // no identifier field
        {255, 0x55, 1 + 1 + 1 + 1 + 4},
        {256, 0x65, 1 + 2 + 1 + 1 + 4},
        {65535, 0x65, 1 + 2 + 1 + 1 + 4},
        {65536, 0x75, 1 + 4 + 1 + 1 + 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Identifier);
        TBytes bytes = Written([&](TVxSDFWriter& w) { w.WriteInteger(c.Identifier, 7); });
        ASSERT_EQ(bytes.size(), c.Length);
        EXPECT_EQ(bytes[0], c.Header);
        TVxMemoryStream stream(bytes);
        TVxSDFReader reader(&stream);
        std::int32_t value = 0;
        if (c.Identifier != 0) {
            EXPECT_TRUE(reader.ReadInteger(c.Identifier, value));
            EXPECT_EQ(value, 7);
        } else {
            ASSERT_EQ(reader.TopLevel().Elements.size(), 1u);
            EXPECT_EQ(reader.TopLevel().Elements[0]->Identifier, 0u);
        }
    }
}

TEST(VxSDFTest, EveryTypeRoundTrips)
{
    const std::uint8_t blob[5] = {1, 2, 3, 0, 255};
    TVxMemoryStream stream;
    {
        TVxSDFWriter w(&stream);
        w.BeginNode(1, ModuleGuid);
        w.WriteInteger(1, -123456789);
        w.WriteInteger(2, 0);
        w.WriteBoolean(3, true);
        w.WriteBoolean(4, false);
        w.WriteString(5, L"Привет, world");
        w.WriteString(6, L"");
        w.WriteBinary(7, blob, sizeof blob);
        w.BeginIntegerNode(8, 42);
        w.WriteInteger(1, 9);
        w.EndNode();
        w.EndNode();
    }
    TVxSDFReader r(&stream);
    ASSERT_TRUE(r.EnterNode(1, ModuleGuid));
    std::int32_t i = 1;
    bool b = false;
    std::wstring text = L"unchanged";
    std::uint8_t back[5] = {};
    EXPECT_TRUE(r.ReadInteger(1, i));
    EXPECT_EQ(i, -123456789);
    EXPECT_TRUE(r.ReadInteger(2, i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(r.ReadBoolean(3, b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(r.ReadBoolean(4, b));
    EXPECT_FALSE(b);
    EXPECT_TRUE(r.ReadString(5, text));
    EXPECT_EQ(text, L"Привет, world");
    EXPECT_TRUE(r.ReadString(6, text));
    EXPECT_EQ(text, L"");
    EXPECT_TRUE(r.ReadBinary(7, back, sizeof back));
    EXPECT_EQ(0, std::memcmp(back, blob, sizeof blob));
    ASSERT_TRUE(r.EnterNode(8));
    EXPECT_TRUE(r.ReadInteger(0, i));  // the node's own payload
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(r.ReadInteger(1, i));
    EXPECT_EQ(i, 9);
    r.LeaveNode();
    r.LeaveNode();
    EXPECT_EQ(r.CurrentNode(), nullptr);
}

TEST(VxSDFTest, EmptyTextHasNoSizeFieldAndNoPayload)
{
    EXPECT_EQ(Written([](TVxSDFWriter& w) { w.WriteString(3, L""); }), (TBytes{0x54, 0x03, 0x0C}));
}

TEST(VxSDFTest, ReadingIsOrderFreeAndRepeatable)
{
    TVxMemoryStream stream(Written([](TVxSDFWriter& w) {
        w.WriteInteger(1, 10);
        w.WriteInteger(2, 20);
        w.WriteInteger(1, 30);  // a second element 1: the first in stream order is found
    }));
    TVxSDFReader r(&stream);
    std::int32_t v = 0;
    EXPECT_TRUE(r.ReadInteger(2, v));
    EXPECT_EQ(v, 20);
    EXPECT_TRUE(r.ReadInteger(1, v));
    EXPECT_EQ(v, 10);
    EXPECT_TRUE(r.ReadInteger(1, v));
    EXPECT_EQ(v, 10);
}

TEST(VxSDFTest, IntegerTypesAreWidenedBySign)
{
    struct TCase {
        TBytes Bytes;
        std::int32_t Expected;
        bool Changed;
    } cases[] = {
        {{0x55, 0x01, 0x01, 0x01, 0xFF}, -1, true},          // int8
        {{0x55, 0x01, 0x02, 0x01, 0xFF}, 255, true},         // uint8
        {{0x55, 0x01, 0x03, 0x02, 0xFE, 0xFF}, -2, true},    // int16
        {{0x55, 0x01, 0x04, 0x02, 0xFE, 0xFF}, 65534, true}, // uint16
        {{0x55, 0x01, 0x05, 0x02, 0x01, 0x02}, 0, false},    // int32 of the wrong size
        {{0x55, 0x01, 0x0C, 0x02, 0x41, 0x00}, 0, false},    // text
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Bytes));
        TVxMemoryStream stream(c.Bytes);
        TVxSDFReader r(&stream);
        std::int32_t v = 777;
        EXPECT_TRUE(r.ReadInteger(1, v));
        EXPECT_EQ(v, c.Changed ? c.Expected : 777);
    }
}

TEST(VxSDFTest, MissingElementsLeaveDefaults)
{
    TVxMemoryStream stream(Written([](TVxSDFWriter& w) { w.WriteInteger(1, 5); }));
    TVxSDFReader r(&stream);
    std::int32_t i = 3;
    bool b = true;
    std::wstring s = L"x";
    std::uint8_t buffer[4] = {9, 9, 9, 9};
    EXPECT_FALSE(r.ReadInteger(2, i));
    EXPECT_FALSE(r.ReadBoolean(2, b));
    EXPECT_FALSE(r.ReadString(2, s));
    EXPECT_FALSE(r.ReadBinary(2, buffer, 4));
    EXPECT_EQ(i, 3);
    EXPECT_TRUE(b);
    EXPECT_EQ(s, L"x");
    EXPECT_EQ(buffer[0], 9);
    EXPECT_FALSE(r.EnterNode(1));
}

TEST(VxSDFTest, BinaryOfAnotherSizeIsRefused)
{
    const std::uint8_t blob[4] = {1, 2, 3, 4};
    TVxMemoryStream stream(Written([&](TVxSDFWriter& w) { w.WriteBinary(1, blob, 4); }));
    TVxSDFReader r(&stream);
    std::uint8_t buffer[8] = {};
    EXPECT_FALSE(r.ReadBinary(1, buffer, 3));
    EXPECT_FALSE(r.ReadBinary(1, buffer, 8));
    EXPECT_TRUE(r.ReadBinary(1, buffer, 4));
    EXPECT_EQ(buffer[3], 4);
}

TEST(VxSDFTest, NodeWithoutEndByteStillReads)
{
    TVxMemoryStream stream(Written([](TVxSDFWriter& w) {
        w.BeginNode(1, ModuleGuid);
        w.WriteInteger(1, 11);
        w.WriteString(2, L"tail");
    }));
    TVxSDFReader r(&stream);
    EXPECT_EQ(r.CurrentNode(), nullptr);
    ASSERT_TRUE(r.EnterNode(1, ModuleGuid));
    std::int32_t v = 0;
    std::wstring s;
    EXPECT_TRUE(r.ReadInteger(1, v));
    EXPECT_EQ(v, 11);
    EXPECT_TRUE(r.ReadString(2, s));
    EXPECT_EQ(s, L"tail");
}

TEST(VxSDFTest, NodesWithOneIdentifierAreFoundByGuid)
{
    TVxMemoryStream stream(Written([](TVxSDFWriter& w) {
        w.BeginNode(1, OtherGuid);
        w.WriteInteger(1, 1);
        w.EndNode();
        w.BeginIntegerNode(1, 5);
        w.EndNode();
        w.BeginNode(1, ModuleGuid);
        w.WriteInteger(1, 2);
        w.EndNode();
    }));
    TVxSDFReader r(&stream);
    std::int32_t v = 0;
    ASSERT_TRUE(r.EnterNode(1, ModuleGuid));
    EXPECT_TRUE(r.ReadInteger(1, v));
    EXPECT_EQ(v, 2);
    r.LeaveNode();
    ASSERT_TRUE(r.EnterNode(1, OtherGuid));
    EXPECT_TRUE(r.ReadInteger(1, v));
    EXPECT_EQ(v, 1);
    r.LeaveNode();
    EXPECT_FALSE(r.EnterNode(1, TVxGuid{}));
}

// Every prefix of a valid stream parses without error, keeps what precedes the cut, and
// never reports an element whose payload lies past the end.
TEST(VxSDFTest, TruncatedStreamsKeepWhatPrecedesTheDamage)
{
    const TBytes full = Written([](TVxSDFWriter& w) {
        w.BeginNode(1, OtherGuid);
        w.WriteInteger(1, 1);
        w.EndNode();
        w.BeginNode(1, ModuleGuid);
        w.WriteString(1, L"second module");
        w.EndNode();
    });
    const std::size_t firstModuleEnd = 4 + 16 + 8 + 1;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        TVxMemoryStream stream(TBytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length)));
        TVxSDFReader r(&stream);
        std::int32_t v = 0;
        const bool first = r.EnterNode(1, OtherGuid) && r.ReadInteger(1, v);
        EXPECT_EQ(first, length >= firstModuleEnd - 1);
        r.LeaveNode();
        std::wstring s;
        if (r.EnterNode(1, ModuleGuid) && r.ReadString(1, s)) {
            EXPECT_EQ(s, L"second module");
        }
    }
}

TEST(VxSDFTest, PayloadPastTheEndIsDropped)
{
    // An element claiming 0x7FFFFFFF bytes of payload in a nine-byte stream.
    TVxMemoryStream stream(TBytes{0x47, 0x01, 0x0E, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02});
    TVxSDFReader r(&stream);
    EXPECT_TRUE(r.TopLevel().Elements.empty());
    std::uint8_t b[2];
    EXPECT_FALSE(r.ReadBinary(1, b, 2));
}

TEST(VxSDFTest, WriterWithoutStreamWritesNothing)
{
    TVxSDFWriter w(static_cast<TVxStream*>(nullptr));
    EXPECT_FALSE(w.WriteInteger(1, 1));
    EXPECT_FALSE(w.BeginNode(1, ModuleGuid));
    EXPECT_FALSE(w.EndNode());
    EXPECT_FALSE(w.WriteString(1, L"x"));
}

TEST(VxSDFTest, FileStreamRoundTrip)
{
    const TTempFolder folder("vx-sdf");
    const auto path = folder.Path() / "velloria-sdf-test.cfg";
    {
        TVxSDFWriter w(std::make_unique<TVxFileStream>(path, TVxFileStream::TMode::Create));
        w.BeginNode(1, ModuleGuid);
        w.WriteInteger(1, 640);
        w.EndNode();
    }
    {
        TVxSDFReader r(std::make_unique<TVxFileStream>(path, TVxFileStream::TMode::Read));
        std::int32_t v = 0;
        ASSERT_TRUE(r.EnterNode(1, ModuleGuid));
        EXPECT_TRUE(r.ReadInteger(1, v));
        EXPECT_EQ(v, 640);
    }
}
