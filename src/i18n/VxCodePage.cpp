#include "i18n/VxCodePage.h"

#include <array>

namespace {

constexpr char32_t Undefined = 0xFFFD;

// Upper halves (0x80 ... 0xFF); the lower halves are ASCII in both code pages.
constexpr std::array<char16_t, 128> Cp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C,
    0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A,
    0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9,
    0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415,
    0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431,
    0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
    0x044E, 0x044F};

// 0x80 ... 0x9F differ from Latin-1; 0xA0 ... 0xFF equal their code points.
constexpr std::array<char16_t, 32> Cp1252Low = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t c)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

template <typename TTable>
std::string SingleByteToUtf8(const std::string& bytes, const TTable& upper)
{
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (char ch : bytes)
        AppendUtf8(utf8, upper(static_cast<unsigned char>(ch)));
    return utf8;
}

// Length of a UTF-8 sequence from its lead byte, and the smallest code point it may
// carry (longer forms of smaller values are overlong and invalid).
struct TLead {
    int Length;
    char32_t Minimum;
    char32_t Bits;
};

TLead LeadOf(unsigned char b)
{
    if (b < 0x80) return {1, 0, b};
    if ((b & 0xE0) == 0xC0) return {2, 0x80, static_cast<char32_t>(b & 0x1F)};
    if ((b & 0xF0) == 0xE0) return {3, 0x800, static_cast<char32_t>(b & 0x0F)};
    if ((b & 0xF8) == 0xF0) return {4, 0x10000, static_cast<char32_t>(b & 0x07)};
    return {0, 0, 0};
}

// Decodes one code point at text[i]; advances i past it (one byte for a bad sequence).
char32_t DecodeUtf8(const std::string& text, std::size_t& i)
{
    const TLead lead = LeadOf(static_cast<unsigned char>(text[i]));
    if (lead.Length == 0 || i + lead.Length > text.size()) {
        ++i;
        return Undefined;
    }
    char32_t c = lead.Bits;
    for (int k = 1; k < lead.Length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return Undefined;
        }
        c = (c << 6) | (b & 0x3F);
    }
    i += lead.Length;
    if (c < lead.Minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return Undefined;
    return c;
}

}  // namespace

bool IsKnownCodePage(std::uint32_t codePage)
{
    return codePage == 1251 || codePage == 1252 || codePage == 65001;
}

bool CodePageToUtf8(std::uint32_t codePage, const std::string& bytes, std::string& utf8)
{
    switch (codePage) {
    case 1251:
        utf8 = SingleByteToUtf8(bytes, [](unsigned char b) { return b < 0x80 ? char32_t{b} : char32_t{Cp1251[b - 0x80]}; });
        return true;
    case 1252:
        utf8 = SingleByteToUtf8(bytes, [](unsigned char b) {
            return (b < 0x80 || b >= 0xA0) ? char32_t{b} : char32_t{Cp1252Low[b - 0x80]};
        });
        return true;
    case 65001: utf8 = bytes; return true;
    }
    return false;
}

std::wstring Utf8ToWide(const std::string& utf8)
{
    std::wstring text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        AppendWide(text, DecodeUtf8(utf8, i));
    return text;
}

std::string WideToUtf8(const std::wstring& text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = Undefined;
        AppendUtf8(utf8, c);
    }
    return utf8;
}
