#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "app/VxCommand.h"
#include "app/VxImageList.h"

namespace {

// A hidden window the toolbar can live in.
class TParent {
public:
    TParent() : FHandle(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TParent() { DestroyWindow(FHandle); }
    HWND Handle() const { return FHandle; }

private:
    HWND FHandle;
};

struct TCounter {
    int Runs = 0;
    void Run() { ++Runs; }
};

class VxCommandTest : public ::testing::Test {
protected:
    TParent Parent;
    TVxImageList Images;
    TVxToolbar Toolbar{Parent.Handle(), &Images};
    TVxMenuItem Menu;
    TCounter Counter;
    TVxCommandList Commands;

    TVxCommand& AddCommand()
    {
        return Commands.Add(L"ZoomIn", {98, L"Zoom In"}, 10, {VK_ADD, FCONTROL}, TVxMethod<>::Bind<&TCounter::Run>(&Counter));
    }
    TVxMenuItem& BoundItem(TVxCommand& command)
    {
        TVxMenuItem& item = Menu.Insert(std::make_unique<TVxMenuItem>());
        command.Bind(item);
        return item;
    }
    TVxToolbarItem& BoundButton(TVxCommand& command)
    {
        TVxToolbarItem& button = Toolbar.Insert(std::make_unique<TVxToolbarItem>(&Toolbar));
        command.Bind(button);
        return button;
    }
};

TEST_F(VxCommandTest, ItemsAndButtonsShowWhatTheCommandSays)
{
    TVxCommand& command = AddCommand();
    TVxMenuItem& item = BoundItem(command);
    TVxToolbarItem& button = BoundButton(command);
    EXPECT_EQ(item.Caption(), L"Zoom In");
    EXPECT_EQ(button.Caption(), L"Zoom In");
    EXPECT_EQ(button.Hint(), L"Zoom In");
    EXPECT_EQ(item.ImageIndex(), 10);
    EXPECT_EQ(button.ImageIndex(), 10);
    EXPECT_EQ(item.ShortCut().Key, VK_ADD);
    EXPECT_EQ(item.ShortCut().Modifiers, FCONTROL);
}

TEST_F(VxCommandTest, OneStateChangeReachesEveryBoundControl)
{
    TVxCommand& command = AddCommand();
    TVxMenuItem& item = BoundItem(command);
    TVxToolbarItem& button = BoundButton(command);
    command.SetEnabled(false);
    EXPECT_FALSE(item.Enabled());
    EXPECT_FALSE(button.Enabled());
    command.SetChecked(true);
    EXPECT_TRUE(item.Checked());
    EXPECT_TRUE(button.Checked());
    command.SetVisible(false);
    EXPECT_FALSE(item.Visible());
    EXPECT_FALSE(button.Visible());
    // A control bound later starts in the command's current state.
    TVxMenuItem& late = BoundItem(command);
    EXPECT_FALSE(late.Enabled());
    EXPECT_TRUE(late.Checked());
    EXPECT_FALSE(late.Visible());
}

TEST_F(VxCommandTest, ClickingItemOrButtonRunsTheHandler)
{
    TVxCommand& command = AddCommand();
    TVxMenuItem& item = BoundItem(command);
    TVxToolbarItem& button = BoundButton(command);
    item.OnClick(&item);
    button.OnClick(&button);
    Commands.Find(L"ZOOMIN")->Execute();
    EXPECT_EQ(Counter.Runs, 3);
}

TEST_F(VxCommandTest, MenuItemsOfDialogCommandsEndInAnEllipsis)
{
    TVxCommand& command = Commands.Add(L"OPEN", {12, L"Open"}, 1, {}, {});
    command.OpensDialog = true;
    TVxMenuItem& item = BoundItem(command);
    TVxToolbarItem& button = BoundButton(command);
    command.Localize();
    EXPECT_EQ(item.Caption(), L"Open...");
    EXPECT_EQ(button.Caption(), L"Open");
}

TEST_F(VxCommandTest, TheTableFindsCommandsByNameInAnyCase)
{
    TVxCommand& command = AddCommand();
    EXPECT_EQ(command.Name(), L"ZOOMIN");
    EXPECT_EQ(Commands.Find(L"zoomin"), &command);
    EXPECT_EQ(Commands.Find(L"ZOOMOUT"), nullptr);
    EXPECT_THROW(Commands.Add(L"ZOOMIN", {1, L"x"}, -1, {}, {}), std::logic_error);
    EXPECT_EQ(Commands.Count(), 1);
}

}  // namespace
