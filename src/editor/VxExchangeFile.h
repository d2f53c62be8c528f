#pragma once
// The main program's side of the exchange file: the formats try every file they open
// here first, and a document of format -1 is written back here.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

class TVxGraphicsDocument;

// True when the bytes are an exchange file and the document took its picture (image,
// original copy and the EXIF trailer's properties); the document is untouched otherwise.
bool LoadExchangeImage(std::span<const std::uint8_t> file, TVxGraphicsDocument& document);
// The bytes the file must have for the document's picture (0 when it has none).
std::size_t ExchangeSaveSize(const TVxGraphicsDocument& document);
bool SaveExchangeImage(std::span<std::uint8_t> file, const TVxGraphicsDocument& document);

// Over the file itself: a file mapping on Windows, plain file I/O elsewhere.
bool LoadExchangeFile(const std::filesystem::path& fileName, TVxGraphicsDocument& document);
bool SaveExchangeFile(const std::filesystem::path& fileName, TVxGraphicsDocument& document);
