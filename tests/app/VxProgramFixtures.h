#pragma once
// What the program-level tests share besides the driver: pictures written as files and
// the probe's "state" lines read back.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

// The pixel (x, y) of every generated picture: R = x, G = y, B = x + y (all mod 256).
inline void WriteBmp(const fs::path& path, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + static_cast<std::size_t>(stride) * height, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &file[54 + static_cast<std::size_t>(stride) * (height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>(x + y);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = static_cast<std::uint8_t>(x);
        }
    }
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// One "state" line of the probe as name=value pairs (values end at the next " name=").
inline std::map<std::string, std::string> ParseState(const std::string& line)
{
    std::map<std::string, std::string> values;
    std::istringstream words(line);
    std::string word, key;
    words >> word; // "state"
    while (words >> word && word != "end") {
        const std::size_t eq = word.find('=');
        // A new pair starts with a lower-case name and "="; anything else continues the
        // value before it (a caption with spaces).
        if (eq != std::string::npos && eq > 0 &&
            word.substr(0, eq).find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string::npos) {
            key = word.substr(0, eq);
            values[key] = word.substr(eq + 1);
        } else if (!key.empty()) {
            values[key] += " " + word;
        }
    }
    return values;
}

} // namespace vxtest
