#include "demo/VxDemoPlayback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/VxDemoScriptAction.h"

namespace {

// A system whose clock the test turns and which writes down what the lesson did.
class TFakePlatform : public IVxDemoPlatform {
public:
    std::uint32_t TickCount() override { return Now; }
    TVxDemoPoint CursorPos() override { return Cursor; }
    void SetCursorPos(TVxDemoPoint point) override { Cursor = point; }
    bool ButtonsSwapped() override { return Swapped; }
    void SendButton(TVxDemoButton button, bool down) override
    {
        Events.push_back(std::string(button == TVxDemoButton::dbLeft ? "left" : "right") + (down ? " down" : " up") +
                         " at " + std::to_string(Cursor.X) + "," + std::to_string(Cursor.Y));
    }
    void ShowBalloon(TVxDemoPoint anchor, const std::string& text, int position) override
    {
        Events.push_back("balloon \"" + text + "\" at " + std::to_string(anchor.X) + "," + std::to_string(anchor.Y) +
                         " position " + std::to_string(position));
        BalloonVisible = true;
    }
    void HideBalloon() override { BalloonVisible = false; }
    void DestroyBalloon() override { BalloonVisible = false; }
    void ShowCursor(bool show) override { CursorHidden += show ? -1 : 1; }
    void EnableHints(bool enable) override { HintsEnabled = enable; }
    TVxDemoLanguageContext Language() override { return {1033, 1033, 1252}; }
    std::string LocalString(std::int32_t id) override { return "string " + std::to_string(id); }
    std::string AnsiToUtf8(const std::string& text) override { return text; }
    void StartTicking() override { Ticking = true; }
    void PlaybackEnded() override { Ticking = false; }

    std::uint32_t Now = 5000;
    TVxDemoPoint Cursor{10, 10};
    bool Swapped = false;
    bool BalloonVisible = false;
    bool HintsEnabled = true;
    bool Ticking = false;
    int CursorHidden = 0;
    std::vector<std::string> Events;
};

class VxDemoPlaybackTest : public testing::Test {
protected:
    void Load(const std::string& scriptLines)
    {
        TVxDemoScript script;
        script.LoadFromBytes("[Script]\n" + scriptLines + "[1033]\nHello=Hello there\n");
        Playback.SetScript(script);
        Playback.OnError = [this](TVxDemoPlayback&, const std::string& message, bool& stop, const std::string& line) {
            Errors.push_back(message + " in " + line);
            stop = StopOnError;
        };
        Playback.OnFinish = [this](TVxDemoPlayback&) { ++Finished; };
    }

    // Ticks every 10 ms until the lesson ends; returns the ticks taken.
    int RunToEnd(int limit = 100000)
    {
        int ticks = 0;
        while (ticks < limit && Playback.Tick()) {
            ++ticks;
            Platform.Now += 10;
        }
        return ticks;
    }

    TFakePlatform Platform;
    TVxDemoPlayback Playback{Platform};
    std::vector<std::string> Errors;
    int Finished = 0;
    bool StopOnError = true;
};

TEST_F(VxDemoPlaybackTest, JumpsWithAndWithoutArguments)
{
    Load("MouseTo 100, 200\nMouseTo\n");
    ASSERT_TRUE(Playback.Play(0));
    EXPECT_TRUE(Platform.Ticking);
    Playback.Tick();
    EXPECT_EQ(Platform.Cursor, (TVxDemoPoint{100, 200}));
    Playback.Tick();
    EXPECT_EQ(Platform.Cursor, (TVxDemoPoint{100, 200}));
    EXPECT_FALSE(Playback.Tick());
    EXPECT_EQ(Finished, 1);
    EXPECT_FALSE(Platform.Ticking);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(VxDemoPlaybackTest, MoveTakesTheTimeOfItsSpeed)
{
    struct TCase {
        const char* Script;
        std::uint32_t Ms;
    };
    for (const TCase c : {TCase{"MouseTo 0, 0\nMouseMove 500, 0\n", 2000}, TCase{"MouseSpeed 10\nMouseTo 0,0\nMouseMove 300,400\n", 1000}}) {
        SCOPED_TRACE(c.Script);
        Load(c.Script);
        Playback.SetMouseSpeed(DefaultDemoMouseSpeed);
        ASSERT_TRUE(Playback.Play(0));
        const std::uint32_t start = Platform.Now;
        while (Playback.Tick())
            Platform.Now += 1;
        // The jump and the speed take a tick each; the move ends when its time is up.
        EXPECT_NEAR(static_cast<double>(Platform.Now - start), c.Ms, 4.0);
        EXPECT_EQ(Platform.Cursor, (c.Ms == 2000 ? TVxDemoPoint{500, 0} : TVxDemoPoint{300, 400}));
    }
}

TEST_F(VxDemoPlaybackTest, ZeroMoveFinishesInOneTick)
{
    Load("MouseTo 40, 50\nMouseCurvedMove 40, 50\nMouseMove 40, 50\n");
    Playback.Play(0);
    EXPECT_EQ(RunToEnd(), 3);
    EXPECT_EQ(Platform.Cursor, (TVxDemoPoint{40, 50}));
}

TEST_F(VxDemoPlaybackTest, PauseLengthsAndThePointerComesBack)
{
    struct TCase {
        const char* Line;
        int Ticks;  // 10 ms each, plus the first one that starts the pause
    };
    for (const TCase c : {TCase{"Pause\n", 101}, TCase{"Pause 0.25\n", 26}, TCase{"Pause x\n", 101}}) {
        SCOPED_TRACE(c.Line);
        Load(c.Line);
        Playback.Play(0);
        Playback.Tick();
        Platform.Cursor = {999, 999};  // the user moves the mouse
        Platform.Now += 10;
        Playback.Tick();
        EXPECT_EQ(Platform.Cursor, (TVxDemoPoint{10, 10}));
        EXPECT_EQ(2 + RunToEnd(), c.Ticks + 1);
    }
}

TEST_F(VxDemoPlaybackTest, InactivePauseDoesNotJumpForward)
{
    Load("MouseTo 0, 0\nMouseMove 500, 0\n");
    Playback.Play(0);
    Playback.Tick();
    for (int i = 0; i < 50; ++i, Platform.Now += 10)
        Playback.Tick();
    const TVxDemoPoint before = Platform.Cursor;
    Playback.ApplicationDeactivated();
    Platform.Now += 60000;
    Playback.Tick();
    EXPECT_EQ(Playback.State(), TVxDemoState::dsPaused);
    Playback.ApplicationActivated();
    Playback.Tick();
    EXPECT_LT(Platform.Cursor.X - before.X, 20);
    EXPECT_GT(RunToEnd(), 100);
}

TEST_F(VxDemoPlaybackTest, EscapeThenNoResumes)
{
    Load("Pause 1\n");
    bool allow = false;
    Playback.OnQueryStop = [&](TVxDemoPlayback&, bool& a) { a = allow; };
    Playback.Play(0);
    Playback.Tick();
    EXPECT_TRUE(Playback.KeyDown(27));
    EXPECT_EQ(Playback.State(), TVxDemoState::dsPlaying);
    EXPECT_EQ(Playback.PauseDepth(), 0);
    EXPECT_FALSE(Playback.KeyDown(8));  // backspace does not stop
    EXPECT_FALSE(Playback.KeyDown(33));
    allow = true;
    EXPECT_TRUE(Playback.KeyDown(' '));
    EXPECT_FALSE(Playback.Tick());
    EXPECT_EQ(Finished, 0);
    EXPECT_FALSE(Platform.Ticking);
}

TEST_F(VxDemoPlaybackTest, StopDuringADragReleasesTheButton)
{
    for (const bool swapped : {false, true}) {
        SCOPED_TRACE(swapped);
        Platform.Events.clear();
        Platform.Swapped = swapped;
        Load("MouseTo 0,0\nMouseDrag 400, 0\n");
        Playback.Play(0);
        for (int i = 0; i < 30; ++i, Platform.Now += 10)
            Playback.Tick();
        ASSERT_TRUE(Playback.LeftButtonHeld());
        const TVxDemoPoint at = Playback.PointerPos();
        Platform.Cursor = {700, 700};
        EXPECT_TRUE(Playback.Stop());
        EXPECT_FALSE(Playback.LeftButtonHeld());
        const char* primary = swapped ? "right" : "left";
        ASSERT_EQ(Platform.Events.size(), 2u);
        EXPECT_EQ(Platform.Events[0], std::string(primary) + " down at 0,0");
        EXPECT_EQ(Platform.Events[1], std::string(primary) + " up at " + std::to_string(at.X) + "," + std::to_string(at.Y));
        EXPECT_FALSE(Playback.Tick());
    }
}

TEST_F(VxDemoPlaybackTest, ClicksPressThePrimaryButton)
{
    Platform.Swapped = true;
    Load("MouseClick 5, 5\nMouseRightClick 6, 6\n");
    Playback.Play(0);
    RunToEnd();
    EXPECT_EQ(Platform.Events, (std::vector<std::string>{"right down at 5,5", "right up at 5,5", "left down at 6,6",
                                                         "left up at 6,6"}));
}

TEST_F(VxDemoPlaybackTest, MessagesShowTheirTextForTheirTime)
{
    Load("MouseTo 300, 200\nMessage \"one\\ntwo\", 2\nMessage %Hello, 1, 4\nMessage %Missing\nMessage &392, 0.1\n");
    Playback.Play(0);
    Playback.Tick();
    Playback.Tick();
    EXPECT_TRUE(Platform.BalloonVisible);
    EXPECT_EQ(Platform.CursorHidden, 1);
    EXPECT_FALSE(Platform.HintsEnabled);
    int ticks = 1;
    while (Platform.Events.size() == 1 && Playback.Tick()) {
        Platform.Now += 10;
        ++ticks;
    }
    EXPECT_EQ(ticks, 203);  // the tick at 2 s ends it, the one after shows the next
    RunToEnd();
    EXPECT_EQ(Platform.Events, (std::vector<std::string>{"balloon \"one\ntwo\" at 300,200 position 0",
                                                         "balloon \"Hello there\" at 300,200 position 4",
                                                         "balloon \"string 392\" at 300,200 position 0"}));
    EXPECT_EQ(Platform.CursorHidden, 0);
    EXPECT_TRUE(Platform.HintsEnabled);
    EXPECT_FALSE(Platform.BalloonVisible);
}

TEST_F(VxDemoPlaybackTest, DirectivesRunThroughTheQueue)
{
    std::vector<std::string> commands;
    Playback.OnUserCommand = [&](TVxDemoPlayback&, const std::string& name, bool& handled, TVxDemoScriptMacroAction&,
                                 const TVxDemoScriptParams& params) {
        commands.push_back(name + " " + params.Text(0));
        handled = true;
    };
    Load("#FOR 0 Zoom 1 3\n* skipped\n#DOFOR 2 1\nBrush #FOR\n#OD\nEnd\n");
    Playback.Play(0);
    RunToEnd();
    EXPECT_EQ(commands, (std::vector<std::string>{"ZOOM 1", "ZOOM 2", "ZOOM 3", "BRUSH 2", "BRUSH 1", "END "}));
    EXPECT_EQ(Finished, 1);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(VxDemoPlaybackTest, ErrorsNameTheLineAndStop)
{
    struct TCase {
        const char* Script;
        const char* Error;
    };
    const TCase cases[] = {
        {"Pause 0\nFrobnicate 1\nPause\n", "Unknown command: \"FROBNICATE\" in Frobnicate 1"},
        {"MouseMove Nowhere\n", "Invalid arguments. in MouseMove Nowhere"},
        {"#FOR 1 Zoom 1 3 0\n", "Invalid arguments. in #FOR 1 Zoom 1 3 0"},
        {"#DOFOR 1 200000\nA\n#OD\n", "The line generates more than 100000 lines. in #DOFOR 1 200000"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Script);
        Errors.clear();
        Load(c.Script);
        Playback.Play(0);
        RunToEnd();
        EXPECT_EQ(Errors, (std::vector<std::string>{c.Error}));
        EXPECT_EQ(Finished, 0);
        EXPECT_EQ(Playback.State(), TVxDemoState::dsStopped);
        EXPECT_EQ(Playback.PauseDepth(), 0);
        EXPECT_FALSE(Platform.Ticking);
    }
    // The next lesson is not left paused by the error.
    Load("Pause 0\n");
    Playback.Play(0);
    RunToEnd();
    EXPECT_EQ(Finished, 1);
}

TEST_F(VxDemoPlaybackTest, AnErrorTheHandlerIgnoresContinues)
{
    StopOnError = false;
    Load("Frobnicate\nMouseTo 3, 4\n");
    Playback.Play(0);
    RunToEnd();
    EXPECT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Finished, 1);
    EXPECT_EQ(Platform.Cursor, (TVxDemoPoint{3, 4}));
}

TEST_F(VxDemoPlaybackTest, SpeedsOutOfRangeAreIgnored)
{
    for (const char* line : {"MouseSpeed 65536\n", "MouseSpeed 0.4\n", "MouseSpeed 0\n", "MouseSpeed x\n"}) {
        SCOPED_TRACE(line);
        Load(line);
        Playback.SetMouseSpeed(7);
        Playback.Play(0);
        RunToEnd();
        EXPECT_EQ(Playback.MouseSpeed(), 7);
    }
    Load("MouseSpeed 65535\n");
    Playback.Play(0);
    RunToEnd();
    EXPECT_EQ(Playback.MouseSpeed(), 65535);
}

TEST_F(VxDemoPlaybackTest, PlayIsRefusedWhileActiveAndCanBeCancelled)
{
    Load("Pause\n");
    EXPECT_TRUE(Playback.Play(0));
    EXPECT_FALSE(Playback.Play(0));
    EXPECT_TRUE(Playback.Stop());
    Playback.Tick();
    EXPECT_FALSE(Playback.Stop());
    Playback.OnBeforePlay = [](TVxDemoPlayback&, bool& cancel) { cancel = true; };
    EXPECT_TRUE(Playback.Play(0));
    EXPECT_FALSE(Playback.IsActive());
}

TEST_F(VxDemoPlaybackTest, RecordingInsertsLines)
{
    Load("A\nB\n");
    std::vector<std::string> recorded;
    Playback.OnLineRecorded = [&](TVxDemoPlayback&, int index, const std::string& text) {
        recorded.push_back(std::to_string(index) + " " + text);
    };
    EXPECT_TRUE(Playback.StartRecording(1));
    EXPECT_FALSE(Playback.Play(0));
    Playback.RecordLine("X");
    Playback.RecordLine("Y");
    Playback.StopRecording();
    EXPECT_EQ(Playback.Script().ScriptLines(), (std::vector<std::string>{"A", "X", "Y", "B"}));
    EXPECT_EQ(recorded, (std::vector<std::string>{"1 X", "2 Y"}));
    EXPECT_TRUE(Playback.StartRecording(-1));
    Playback.RecordLine("Z");
    EXPECT_EQ(Playback.Script().ScriptLines().back(), "Z");
}

TEST_F(VxDemoPlaybackTest, DestroyingARunningPlaybackEndsItsTicker)
{
    TFakePlatform platform;
    {
        TVxDemoPlayback playback(platform);
        TVxDemoScript script;
        script.LoadFromBytes("[Script]\nPause 5\n");
        playback.SetScript(script);
        playback.Play(0);
        playback.Tick();
        EXPECT_TRUE(platform.Ticking);
    }
    EXPECT_FALSE(platform.Ticking);
}

}  // namespace
