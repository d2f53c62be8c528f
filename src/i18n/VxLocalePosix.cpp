#include "i18n/VxLocale.h"

#include <cstdlib>
#include <string_view>

namespace {

struct TLanguageCode {
    std::string_view Code;
    std::uint16_t Id;
};

// The primary languages a POSIX locale name may start with, as Windows identifiers of
// their main country.
constexpr TLanguageCode LanguageCodes[] = {
    {"en", 1033}, {"ru", 1049}, {"de", 1031}, {"fr", 1036}, {"es", 3082}, {"it", 1040},
    {"uk", 1058}, {"pl", 1045}, {"cs", 1029}, {"nl", 1043}, {"pt", 2070}, {"ja", 1041},
};

const char* LocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return "";
}

}  // namespace

std::uint16_t UserDefaultLanguageId()
{
    const std::string_view name = LocaleName();
    for (const TLanguageCode& code : LanguageCodes) {
        if (name.substr(0, 2) == code.Code)
            return code.Id;
    }
    return 1033;
}

void SetThreadLanguage(std::uint16_t) {}
