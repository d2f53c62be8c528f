#include "editor/VxJPEGOptions.h"

#include <algorithm>
#include <cwctype>

namespace {

std::wstring Trimmed(const std::wstring& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned>(text[last - 1]) <= 32)
        --last;
    return text.substr(first, last - first);
}

// The leading decimal digits (with an optional sign) and where they end.
std::optional<std::int64_t> LeadingNumber(const std::wstring& text, std::size_t& end)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+'))
        negative = text[at++] == L'-';
    const std::size_t digits = at;
    std::int64_t value = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
        value = std::min<std::int64_t>(value * 10 + (text[at] - L'0'), 1'000'000'000);
        ++at;
    }
    end = at;
    if (at == digits)
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace

std::int32_t JPEGPresetIndex(std::int32_t quality)
{
    std::int32_t index = 0;
    for (std::int32_t i = 0; i < 5; ++i)
        if (JPEGQualityPresets[i] <= quality)
            index = i;
    return index;
}

std::optional<std::int32_t> ParseJPEGQuality(const std::wstring& text)
{
    const std::wstring trimmed = Trimmed(text);
    std::size_t end = 0;
    const std::optional<std::int64_t> value = LeadingNumber(trimmed, end);
    if (!value || end != trimmed.size() || *value < 0 || *value > 100)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::int32_t LeadingJPEGQuality(const std::wstring& text)
{
    std::size_t end = 0;
    const std::optional<std::int64_t> value = LeadingNumber(Trimmed(text), end);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value.value_or(0), 0, 100));
}

void TVxJPEGOptionsModel::SetQuality(std::int32_t value)
{
    TrackBarChanged(std::clamp(value, 0, 100));
}

void TVxJPEGOptionsModel::EditChanged(const std::wstring& text)
{
    FEditText = text;
    if (const std::optional<std::int32_t> quality = ParseJPEGQuality(text)) {
        FComboIndex = JPEGPresetIndex(*quality);
        FTrackBarPosition = *quality;
    }
}

void TVxJPEGOptionsModel::TrackBarChanged(std::int32_t position)
{
    FTrackBarPosition = position;
    FEditText = std::to_wstring(position);
    FComboIndex = JPEGPresetIndex(position);
}

void TVxJPEGOptionsModel::ComboChanged(std::int32_t index)
{
    if (index < 0 || index >= 5)
        return;
    FComboIndex = index;
    FTrackBarPosition = JPEGQualityPresets[index];
    FEditText = std::to_wstring(FTrackBarPosition);
}

bool TVxJPEGOptionsModel::OkClicked()
{
    if (ParseJPEGQuality(FEditText))
        return true;
    SetQuality(LeadingJPEGQuality(FEditText));
    return false;
}
