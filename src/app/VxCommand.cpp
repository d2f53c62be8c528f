#include "app/VxCommand.h"

#include <cwctype>
#include <stdexcept>

#include "i18n/VxLocalizer.h"

namespace {

std::wstring UpperCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

}  // namespace

TVxCommand::TVxCommand(std::wstring name, const TVxCaption& caption, int imageIndex, const TVxShortCut& shortCut,
                       const TVxMethod<>& onExecute)
    : FName(std::move(name)), FCaption(caption), FImageIndex(imageIndex), FShortCut(shortCut), FOnExecute(onExecute)
{
}

std::wstring TVxCommand::Caption() const
{
    return Localizer().GetString(FCaption.Id, FCaption.Fallback);
}

void TVxCommand::SetEnabled(bool value)
{
    FEnabled = value;
    for (TVxMenuItem* item : FMenuItems)
        item->SetEnabled(value);
    for (TVxToolbarItem* item : FButtons)
        item->SetEnabled(value);
}

void TVxCommand::SetChecked(bool value)
{
    FChecked = value;
    for (TVxMenuItem* item : FMenuItems)
        item->SetChecked(value);
    for (TVxToolbarItem* item : FButtons)
        item->SetChecked(value);
}

void TVxCommand::SetVisible(bool value)
{
    FVisible = value;
    for (TVxMenuItem* item : FMenuItems)
        item->SetVisible(value);
    for (TVxToolbarItem* item : FButtons)
        item->SetVisible(value);
}

// The handlers check their own preconditions: a shortcut may arrive before the idle pass
// that updates the enabled state.
void TVxCommand::Execute()
{
    if (FOnExecute)
        FOnExecute();
}

void TVxCommand::Bind(TVxMenuItem& item)
{
    item.SetShortCut(FShortCut);
    item.SetImageIndex(FImageIndex);
    item.SetEnabled(FEnabled);
    item.SetChecked(FChecked);
    item.SetVisible(FVisible);
    item.OnClick = TVxMenuItem::TClick::Bind<&TVxCommand::MenuClick>(this);
    ApplyCaption(item);
    FMenuItems.push_back(&item);
}

void TVxCommand::Bind(TVxToolbarItem& item)
{
    item.SetImageIndex(FImageIndex);
    item.SetEnabled(FEnabled);
    item.SetChecked(FChecked);
    item.SetVisible(FVisible);
    item.OnClick = TVxToolbarItem::TClick::Bind<&TVxCommand::ButtonClick>(this);
    ApplyCaption(item);
    FButtons.push_back(&item);
}

void TVxCommand::ApplyCaption(TVxMenuItem& item) const
{
    item.SetCaption(OpensDialog ? Caption() + L"..." : Caption());
}

void TVxCommand::ApplyCaption(TVxToolbarItem& item) const
{
    const std::wstring caption = Caption();
    item.SetCaption(caption);
    item.SetHint(caption);
}

void TVxCommand::Localize()
{
    for (TVxMenuItem* item : FMenuItems)
        ApplyCaption(*item);
    for (TVxToolbarItem* item : FButtons)
        ApplyCaption(*item);
}

TVxCommand& TVxCommandList::Add(std::wstring name, const TVxCaption& caption, int imageIndex, const TVxShortCut& shortCut,
                                const TVxMethod<>& onExecute)
{
    name = UpperCase(std::move(name));
    if (Find(name))
        throw std::logic_error("two commands named " + std::string(name.begin(), name.end()));
    FCommands.push_back(std::make_unique<TVxCommand>(std::move(name), caption, imageIndex, shortCut, onExecute));
    return *FCommands.back();
}

TVxCommand* TVxCommandList::Find(const std::wstring& name) const
{
    const std::wstring upper = UpperCase(name);
    for (const auto& command : FCommands) {
        if (command->Name() == upper)
            return command.get();
    }
    return nullptr;
}

void TVxCommandList::Localize()
{
    for (const auto& command : FCommands)
        command->Localize();
}
