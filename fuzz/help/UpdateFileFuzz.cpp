// Arbitrary bytes as a downloaded update file (it comes from the network): finding the
// offered version and comparing it with the running one must hold on anything.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "help/VxUpdateFile.h"
#include "help/VxVersion.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TVxUpdateProduct product{"Velloria", "2.2.12", "Russian", "Shareware"};
    const std::string offered = FindOfferedVersion(bytes, UpdateSectionNames(product));
    Require(offered.size() <= std::min(size, VxMaxUpdateFileSize));

    // The comparison is an order: antisymmetric and reflexive on whatever the file offers.
    for (std::string_view running : {"2.2.12", "2.2.9", "", "2.2.beta"}) {
        const int forward = CompareVersions(running, offered);
        const int backward = CompareVersions(offered, running);
        Require((forward < 0) == (backward > 0) && (forward == 0) == (backward == 0));
        Require(!IsNewerVersion(running, offered) || forward < 0);
    }
    Require(CompareVersions(offered, offered) == 0);
    // The bytes themselves as two versions split anywhere.
    const std::size_t half = bytes.size() / 2;
    const int forward = CompareVersions(bytes.substr(0, half), bytes.substr(half));
    const int backward = CompareVersions(bytes.substr(half), bytes.substr(0, half));
    Require((forward < 0) == (backward > 0));
    return 0;
}
