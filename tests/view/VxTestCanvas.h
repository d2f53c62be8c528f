#pragma once
// A canvas whose clip region is one flag per pixel, and whose "drawing" is a letter per
// pixel, so a test can read which layer painted where.
#include <string>
#include <vector>

#include "view/VxViewCanvas.h"

class TTestCanvas : public TVxViewCanvas {
public:
    TTestCanvas(int width, int height)
        : Picture(static_cast<std::size_t>(width * height), '.'), FWidth(width), FHeight(height),
          FClip(static_cast<std::size_t>(width * height), true)
    {
    }

    bool ClipIntersects(const TRect& r) const override
    {
        for (int y = std::max(0, r.Top); y < std::min(FHeight, r.Bottom); ++y)
            for (int x = std::max(0, r.Left); x < std::min(FWidth, r.Right); ++x)
                if (FClip[Index(x, y)])
                    return true;
        return false;
    }
    void ExcludeClip(const TRect& r) override { ForEach(r, [&](int x, int y) { FClip[Index(x, y)] = false; }); }
    void FillClip(std::uint32_t) override { Draw(TRect{0, 0, FWidth, FHeight}, 'b'); }
    TRect ClipBox() const override { return TRect{0, 0, FWidth, FHeight}; }

    // Paints letter where the clip allows.
    void Draw(const TRect& r, char letter)
    {
        ForEach(r, [&](int x, int y) {
            if (FClip[Index(x, y)])
                Picture[Index(x, y)] = letter;
        });
    }
    std::string Row(int y) const { return std::string(Picture.begin() + y * FWidth, Picture.begin() + (y + 1) * FWidth); }

    std::vector<std::string> Log;
    std::vector<char> Picture;

protected:
    class TGridClip : public TVxSavedClip {
    public:
        explicit TGridClip(std::vector<bool> clip) : Clip(std::move(clip)) {}
        std::vector<bool> Clip;
    };
    std::unique_ptr<TVxSavedClip> SaveClip() const override { return std::make_unique<TGridClip>(FClip); }
    void RestoreClip(const TVxSavedClip& clip) override { FClip = static_cast<const TGridClip&>(clip).Clip; }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * FWidth + x); }
    template <typename F>
    void ForEach(const TRect& r, F f)
    {
        for (int y = std::max(0, r.Top); y < std::min(FHeight, r.Bottom); ++y)
            for (int x = std::max(0, r.Left); x < std::min(FWidth, r.Right); ++x)
                f(x, y);
    }

    int FWidth;
    int FHeight;
    std::vector<bool> FClip;
};
