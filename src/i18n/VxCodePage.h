#pragma once
// Text conversions of the language files, done by our own tables so that a file reads
// the same on every platform: single-byte code pages to UTF-8, and UTF-8 to wide text.
#include <cstdint>
#include <string>

// Converts bytes of the given Windows code page to UTF-8. Known: 1251 (Cyrillic),
// 1252 (Western) and 65001 (UTF-8, returned as it is). Returns false for any other
// code page, leaving the text unchanged for the caller to use as it is.
bool CodePageToUtf8(std::uint32_t codePage, const std::string& bytes, std::string& utf8);
bool IsKnownCodePage(std::uint32_t codePage);

// Invalid or truncated sequences become U+FFFD; code points beyond the BMP become
// surrogate pairs where wchar_t has 16 bits.
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& text);
