#pragma once
// What a View-menu toggle item shows and hides: a toolbar or a dockable panel, whose
// caption the item repeats.
#include <string>

// Something whose caption a View-menu toggle item repeats.
class IVxCaptioned {
public:
    virtual std::wstring Caption() const = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;

protected:
    ~IVxCaptioned() = default;
};
