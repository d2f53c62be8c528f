#include "demo/VxDemoRecorder.h"

namespace {

std::string ImagePoint(TVxDemoPoint point)
{
    return "Image, " + std::to_string(point.X) + ", " + std::to_string(point.Y);
}

}  // namespace

std::vector<std::string> TVxDemoImageRecorder::ButtonDown(TVxDemoPoint image, TVxDemoMouseButton button,
                                                          bool showMessages, const std::string& clickMessage)
{
    std::vector<std::string> lines;
    lines.push_back((FPressed ? "MouseMove " : "MouseCurvedMove ") + ImagePoint(image));
    if (showMessages)
        lines.push_back("Message \"" + clickMessage + "\"");
    if (button == TVxDemoMouseButton::dmbLeft)
        lines.push_back("MouseDown " + ImagePoint(image));
    else if (button == TVxDemoMouseButton::dmbRight)
        lines.push_back("MouseRightDown " + ImagePoint(image));
    else
        return lines;
    FPressed = true;
    FLast = image;
    return lines;
}

std::vector<std::string> TVxDemoImageRecorder::MouseMove(TVxDemoPoint image)
{
    if (!FPressed || image == FLast)
        return {};
    FLast = image;
    return {"MouseTo " + ImagePoint(image)};
}

std::vector<std::string> TVxDemoImageRecorder::ButtonUp(TVxDemoPoint image, TVxDemoMouseButton button)
{
    std::vector<std::string> lines;
    if (button == TVxDemoMouseButton::dmbLeft)
        lines.push_back("MouseUp " + ImagePoint(image));
    else if (button == TVxDemoMouseButton::dmbRight)
        lines.push_back("MouseRightUp " + ImagePoint(image));
    if (button != TVxDemoMouseButton::dmbMiddle)
        FPressed = false;
    lines.push_back("Pause 0.5");
    return lines;
}

std::string DemoRecordMoveLine(const std::string& name)
{
    return "MouseCurvedMove " + name;
}

std::vector<std::string> DemoRecordCommandLines(const std::string& name, const std::string& value)
{
    return {DemoRecordMoveLine(name), value.empty() ? name : name + " " + value};
}
