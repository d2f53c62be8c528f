#pragma once
// Dotted program versions ("2.2.12") compared part by part, so 2.2.12 is newer than 2.2.9.
//
//   if (CompareVersions(running, offered) < 0) ...   // an update exists
#include <string_view>

// Negative, zero or positive as a is older than, the same as or newer than b. Parts are
// split at "."; two parts of decimal digits compare as numbers (leading zeros and any
// length), any other pair as text (ASCII case ignored). A missing part counts as
// empty, and an empty part is older than any other, so "2.2" < "2.2.0" < "2.2.1".
// Spaces around the whole version do not count.
int CompareVersions(std::string_view a, std::string_view b);
