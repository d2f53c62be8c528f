#include "i18n/VxLocale.h"

#include <windows.h>

std::uint16_t UserDefaultLanguageId()
{
    return GetUserDefaultLangID();
}

void SetThreadLanguage(std::uint16_t languageId)
{
    SetThreadLocale(MAKELCID(languageId, SORT_DEFAULT));
}
