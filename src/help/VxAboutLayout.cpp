#include "help/VxAboutLayout.h"

#include <algorithm>
#include <cmath>

std::vector<TVxAboutRow> AboutLabelTable(const std::wstring& webSite, const std::wstring& supportPage)
{
    return {
        {TVxAboutText::atString, 156, L"", alBold, 96, 96, 0, 0, 0.0, -1},
        {TVxAboutText::atVersion, 0, L"", alBold | alSameLine, 0, 0, 0, 0, 0.0, -1},
        {TVxAboutText::atString, 54, L"", alRightAligned | alColon, 16, 132, 75, 0, 0.0, 0},
        {TVxAboutText::atLiteral, 0, webSite, alLink | alSameLine, 0, 0, 0, 0, 0.0, 0},
        {TVxAboutText::atString, 56, L"", alRightAligned | alColon, 0, 0, 75, 0, 0.5, 0},
        {TVxAboutText::atLiteral, 0, supportPage, alLink | alSameLine, 0, 0, 0, 0, 0.0, 0},
    };
}

namespace {

int Scaled(int value, double scale)
{
    return static_cast<int>(std::lround(value * scale));
}

}  // namespace

std::vector<TVxLabelBox> LayoutAboutLabels(const std::vector<TVxAboutRow>& rows, const std::vector<TVxLabelBox>& textSizes,
                                           const TVxAboutFontMetrics& metrics, double scale)
{
    std::vector<TVxLabelBox> boxes;
    const int lineHeight = metrics.Height + metrics.ExternalLeading;
    TVxLabelBox line;  // the running line's bounds
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TVxAboutRow& row = rows[i];
        TVxLabelBox box;
        box.Width = row.Width ? Scaled(row.Width, scale) : textSizes[i].Width;
        box.Height = row.Height ? Scaled(row.Height, scale) : textSizes[i].Height;
        if ((row.Flags & alSameLine) && !boxes.empty()) {
            box.Left = boxes.back().Right() + metrics.AverageCharWidth;
            box.Top = boxes.back().Top;
            const int right = std::max(line.Right(), box.Right());
            const int bottom = std::max(line.Bottom(), box.Bottom());
            line.Width = right - line.Left;
            line.Height = bottom - line.Top;
        } else {
            box.Left = row.Left ? Scaled(row.Left, scale) : line.Left;
            if (row.Top) {
                box.Top = Scaled(row.Top, scale);
            } else {
                const int y = line.Bottom() + static_cast<int>(std::lround(lineHeight * row.Spacing));
                box.Top = y + 2 * metrics.ExternalLeading;
            }
            line = box;
        }
        boxes.push_back(box);
    }
    return boxes;
}

std::wstring LinkCaption(const std::wstring& address)
{
    const std::size_t colon = address.find(L':');
    if (colon == std::wstring::npos)
        return address;
    const std::wstring separators = L"/:\\";
    const std::size_t first = address.find_first_not_of(separators, colon + 1);
    if (first == std::wstring::npos)
        return {};
    const std::size_t end = address.find_first_of(separators, first);
    return address.substr(first, end == std::wstring::npos ? std::wstring::npos : end - first);
}

std::wstring LabelCaption(const TVxAboutRow& row, const std::wstring& text)
{
    std::wstring caption = (row.Flags & alLink) ? LinkCaption(text) : text;
    if (row.Flags & alColon)
        caption += L":";
    return caption;
}
