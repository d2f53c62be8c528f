#pragma once
// The maker's update file: an INI file whose sections name product variants and whose
// "Version" key gives the newest version of each.
//
//   [Velloria-Russian-Shareware]
//   Version=2.3.1
//
//   TVxUpdateProduct product{"Velloria", "2.2.12", "Russian", "Shareware"};
//   std::string offered = FindOfferedVersion(bytes, UpdateSectionNames(product));
//   if (IsNewerVersion(product.Version, offered)) ...
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

struct TVxUpdateProduct {
    std::string Product;
    std::string Version;
    std::string Language;
    std::string Edition;
};

// The most of a downloaded update file that is read; the real file is a few hundred
// bytes, so anything longer is no update file.
constexpr std::size_t VxMaxUpdateFileSize = 64 * 1024;

// Most specific first: product-language-edition, product-edition, product-language, product.
std::vector<std::string> UpdateSectionNames(const TVxUpdateProduct& product);

// The trimmed "Version" of the first candidate section that has a non-empty one, or
// empty. Bytes past VxMaxUpdateFileSize are not read; any bytes are safe.
std::string FindOfferedVersion(std::string_view fileBytes, const std::vector<std::string>& sectionNames);

// An offered version counts only when it is a plausible version text (printable ASCII,
// at most 32 characters) and compares newer than the running one.
bool IsNewerVersion(std::string_view running, std::string_view offered);

// The update address with "?" (or "&" when it has a query already) and the local time
// as ddmmyyyyhhmmss, so that no cache on the way answers with an old file.
std::string UpdateQueryAddress(std::string_view address, const std::tm& localTime);
