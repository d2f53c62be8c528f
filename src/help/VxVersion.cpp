#include "help/VxVersion.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitParts(std::string_view text)
{
    std::vector<std::string_view> parts;
    if (text.empty())
        return parts;
    for (;;) {
        const std::size_t dot = text.find('.');
        parts.push_back(text.substr(0, dot));
        if (dot == std::string_view::npos)
            return parts;
        text.remove_prefix(dot + 1);
    }
}

bool AllDigits(std::string_view part)
{
    return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Numbers of any length: without leading zeros the longer one is larger, and equal
// lengths compare digit by digit, so no part can overflow an integer.
int CompareNumbers(std::string_view a, std::string_view b)
{
    a = a.substr(std::min(a.find_first_not_of('0'), a.size()));
    b = b.substr(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return Sign(a.compare(b));
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareParts(std::string_view a, std::string_view b)
{
    if (AllDigits(a) && AllDigits(b))
        return CompareNumbers(a, b);
    return CompareText(a, b);
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b)
{
    const std::vector<std::string_view> partsA = SplitParts(Trim(a));
    const std::vector<std::string_view> partsB = SplitParts(Trim(b));
    const std::size_t count = std::max(partsA.size(), partsB.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view partA = i < partsA.size() ? partsA[i] : std::string_view{};
        const std::string_view partB = i < partsB.size() ? partsB[i] : std::string_view{};
        if (const int order = CompareParts(partA, partB))
            return order;
    }
    return 0;
}
