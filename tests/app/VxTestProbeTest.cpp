// The test probe from the outside: the shipped program has none, whatever its
// environment says, and the test build takes from another process only drop blocks
// whose names lie inside them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <sstream>
#include <string>
#include <vector>

#include "VxProgramDriver.h"

namespace {

using namespace vxtest;

// The probe's WM_COPYDATA commands.
constexpr ULONG_PTR prbDrop = 0x50524F44;
constexpr ULONG_PTR prbCaptions = 0x53504143;

class TProgram : public TProgramDriver {
public:
    TProgram(const std::string& name, const char* exe) : TProgramDriver(L"VxProbe", name, 10000, exe) {}
    ~TProgram() { Stop(); }

    bool Running() const { return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT; }
};

int CountLines(const std::string& log, const std::string& prefix)
{
    int count = 0;
    std::istringstream stream(log);
    for (std::string line; std::getline(stream, line);)
        count += line.rfind(prefix, 0) == 0;
    return count;
}

// A 1 x 1 picture, so that a drop that is taken really opens something.
void WriteTinyPicture(const fs::path& path)
{
    const unsigned char bmp[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
                                   0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x40, 0x80, 0};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
}

// A DROPFILES header as the sender chooses to write it, then the bytes of the names.
std::string DropBlock(DWORD namesOffset, BOOL wide, const std::string& names)
{
    DROPFILES header{};
    header.pFiles = namesOffset;
    header.fWide = wide;
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + names;
}

std::string WideBytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST(VxTestProbeTest, ShippedProgramIgnoresTheProbeVariable)
{
    struct TCase {
        const char* Name;
        const char* Exe;
        bool Probed;
    };
    // The test build beside it shows that the check sees a probe where one is.
    const TCase cases[] = {{"Shipped", VELLORIA_SHIPPED_EXE, false}, {"TestBuild", VELLORIA_EXE, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TProgram program(c.Name, c.Exe);
        ASSERT_TRUE(program.StartUnprobed());
        EXPECT_EQ(program.Stop(), 0u);
        const std::string log = program.Log();
        EXPECT_EQ(CountLines(log, "started"), c.Probed ? 1 : 0) << log;
        if (!c.Probed) {
            EXPECT_TRUE(log.empty()) << "the shipped program wrote a probe log:\n" << log;
        }
    }
}

TEST(VxTestProbeTest, DropBlocksWhoseNamesLieOutsideThemAreRefused)
{
    TProgram program("Drop", VELLORIA_EXE);
    const fs::path picture = program.Folder() / L"picture.bmp";
    WriteTinyPicture(picture);
    const std::string names = WideBytes(picture.wstring() + L'\0' + L'\0');
    const DWORD header = sizeof(DROPFILES);
    struct TCase {
        const char* Name;
        std::string Block;
    };
    const TCase cases[] = {
        {"names far beyond the block", DropBlock(0x7FFFFFF0, TRUE, names)},
        {"names just past the block", DropBlock(header + static_cast<DWORD>(names.size()), TRUE, names)},
        {"names inside the header", DropBlock(4, TRUE, names)},
        {"names off a character boundary", DropBlock(header + 1, TRUE, "\0" + names)},
        {"no empty name closes the list", DropBlock(header, TRUE, WideBytes(picture.wstring()))},
        {"names in the ANSI code page", DropBlock(header, FALSE, picture.string() + '\0' + '\0')},
        {"header cut short", DropBlock(header, TRUE, names).substr(0, header - 2)},
        {"a block of a megabyte", DropBlock(header, TRUE, names + std::string(1 << 20, '\0'))},
    };
    ASSERT_TRUE(program.Start());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_TRUE(program.Send(prbDrop, c.Block.data(), c.Block.size()));
        ASSERT_TRUE(program.Running());
    }
    ASSERT_TRUE(program.Send(prbCaptions));
    ASSERT_TRUE(program.WaitForLog("captions now"));
    EXPECT_EQ(CountLines(program.Log(), "refused drop"), static_cast<int>(std::size(cases))) << program.Log();
    EXPECT_EQ(CountLines(program.Log(), "open "), 0) << program.Log();

    // A sound block still opens the picture.
    const std::string sound = DropBlock(header, TRUE, names);
    ASSERT_TRUE(program.Send(prbDrop, sound.data(), sound.size()));
    ASSERT_TRUE(program.Send(prbCaptions));
    EXPECT_EQ(CountLines(program.Log(), "open "), 1) << program.Log();
    EXPECT_EQ(program.Stop(), 0u);
}

}  // namespace
