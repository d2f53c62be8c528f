#include "app/VxDemoWin32Platform.h"

#include <climits>

#include "i18n/VxCodePage.h"

namespace {

constexpr wchar_t TickerClass[] = L"VxDemoTicker";
constexpr UINT WM_DEMO_TICK = WM_APP + 0x44;
constexpr DWORD TickPeriodMs = 10;

}  // namespace

TVxDemoWin32Platform::TVxDemoWin32Platform(const TVxLocalizer* localizer) : FLocalizer(localizer)
{
    RegisterWindowClass(TickerClass);
    CreateHandle(0, TickerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
}

TVxDemoWin32Platform::~TVxDemoWin32Platform()
{
    FEnd = true;
    FTick = nullptr;
    JoinThread();
    DestroyBalloon();
    if (HandleAllocated())
        DestroyWindow(Handle());
}

// The thread may be waiting in SendMessage for this thread: answer sent messages while
// waiting for it to end.
void TVxDemoWin32Platform::JoinThread()
{
    if (!FThread)
        return;
    while (MsgWaitForMultipleObjects(1, &FThread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(FThread);
    FThread = nullptr;
}

void TVxDemoWin32Platform::StartTicking()
{
    FEnd = true;
    JoinThread();  // the thread of an earlier lesson has been told to end
    FEnd = false;
    FThread = CreateThread(nullptr, 0, &ThreadProc, this, 0, nullptr);
}

DWORD WINAPI TVxDemoWin32Platform::ThreadProc(void* parameter)
{
    static_cast<TVxDemoWin32Platform*>(parameter)->RunThread();
    return 0;
}

void TVxDemoWin32Platform::RunThread()
{
    while (!FEnd) {
        DWORD_PTR more = 0;
        // A timeout only guards against a main thread that never answers; the lesson
        // then simply waits.
        if (SendMessageTimeoutW(Handle(), WM_DEMO_TICK, 0, 0, SMTO_NORMAL, 5000, &more) && more == 0)
            break;
        Sleep(TickPeriodMs);
    }
}

LRESULT TVxDemoWin32Platform::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEMO_TICK)
        return !FEnd && FTick && FTick() ? 1 : 0;
    return TVxWindow::WndProc(message, wParam, lParam);
}

TVxDemoPoint TVxDemoWin32Platform::CursorPos()
{
    POINT point{};
    GetCursorPos(&point);
    return {point.x, point.y};
}

void TVxDemoWin32Platform::SetCursorPos(TVxDemoPoint point)
{
    ::SetCursorPos(point.X, point.Y);
}

void TVxDemoWin32Platform::SendButton(TVxDemoButton button, bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (button == TVxDemoButton::dbLeft)
        input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    else
        input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    SendInput(1, &input, sizeof input);
}

void TVxDemoWin32Platform::ShowBalloon(TVxDemoPoint anchor, const std::string& text, int position)
{
    FBalloon.ShowAt(anchor, Utf8ToWide(text), position);
}

void TVxDemoWin32Platform::DestroyBalloon()
{
    if (FBalloon.HandleAllocated())
        DestroyWindow(FBalloon.Handle());
}

void TVxDemoWin32Platform::ShowCursor(bool show)
{
    ::ShowCursor(show ? TRUE : FALSE);
    FCursorHidden += show ? -1 : 1;
}

TVxDemoLanguageContext TVxDemoWin32Platform::Language()
{
    const std::uint16_t current = FLocalizer ? FLocalizer->CurrentLanguageId() : LANGIDFROMLCID(GetUserDefaultLCID());
    const std::uint16_t fallback = FLocalizer ? FLocalizer->DefaultLanguageId() : 1033;
    return {current, fallback, DemoAnsiCodePage(current)};
}

std::string TVxDemoWin32Platform::LocalString(std::int32_t id)
{
    return FLocalizer ? WideToUtf8(FLocalizer->GetString(id)) : std::string();
}

std::string TVxDemoWin32Platform::AnsiToUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return WideToUtf8(wide);
}
