#pragma once
// Turns what the user does while a lesson is being recorded into lesson lines: commands of
// the program, and the mouse in the image, in image coordinates. A drag becomes a chain of
// jumps, one per distinct position, between the button lines.
#include <string>
#include <vector>

#include "demo/VxDemoMotion.h"

enum class TVxDemoMouseButton : std::uint8_t { dmbLeft, dmbRight, dmbMiddle };

class TVxDemoImageRecorder {
public:
    std::vector<std::string> ButtonDown(TVxDemoPoint image, TVxDemoMouseButton button, bool showMessages,
                                        const std::string& clickMessage);
    std::vector<std::string> MouseMove(TVxDemoPoint image);
    std::vector<std::string> ButtonUp(TVxDemoPoint image, TVxDemoMouseButton button);
    bool Pressed() const { return FPressed; }

private:
    bool FPressed = false;
    TVxDemoPoint FLast;
};

std::string DemoRecordMoveLine(const std::string& name);
// The move to the control, then the command with its value (if any).
std::vector<std::string> DemoRecordCommandLines(const std::string& name, const std::string& value);
