#pragma once
// The two platform services the localizer needs.
#include <cstdint>

// The user's regional setting (not the display language of the system).
std::uint16_t UserDefaultLanguageId();
// Makes the calling thread format and sort for that language.
void SetThreadLanguage(std::uint16_t languageId);
