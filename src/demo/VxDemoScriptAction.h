#pragma once
// One action per executed lesson line: a pointer move, a jump, a pause, a balloon, a
// button event, a speed change, or a command of the program (a macro of sub-actions).
// The playback steps the current action each tick until it reports finished.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "demo/VxDemoMotion.h"
#include "demo/VxDemoPlatform.h"
#include "demo/VxDemoScriptParams.h"

class TVxDemoPlayback;

class TVxDemoScriptAction {
public:
    TVxDemoScriptAction(TVxDemoPlayback& playback, const TVxDemoScriptParams& params);
    virtual ~TVxDemoScriptAction() = default;
    TVxDemoScriptAction(const TVxDemoScriptAction&) = delete;
    TVxDemoScriptAction& operator=(const TVxDemoScriptAction&) = delete;

    virtual void Perform() {}
    virtual bool IsFinished() { return true; }
    virtual void Step();
    virtual void Pause() {}
    virtual void Resume() {}
    virtual void Stop() {}

    const TVxDemoScriptParams& Params() const { return FParams; }

protected:
    TVxDemoPlayback& FPlayback;
    TVxDemoScriptParams FParams;
    bool FPerformed = false;
};

class TVxDemoScriptMacroAction : public TVxDemoScriptAction {
public:
    using TVxDemoScriptAction::TVxDemoScriptAction;
    void Add(std::unique_ptr<TVxDemoScriptAction> action) { FActions.push_back(std::move(action)); }
    std::size_t Count() const { return FActions.size(); }
    bool IsFinished() override { return FIndex >= FActions.size(); }
    void Step() override;
    void Resume() override;

private:
    std::vector<std::unique_ptr<TVxDemoScriptAction>> FActions;
    std::size_t FIndex = 0;
};

class TVxDemoScriptUserAction : public TVxDemoScriptMacroAction {
public:
    TVxDemoScriptUserAction(TVxDemoPlayback& playback, const TVxDemoScriptParams& params, std::string name);
    void Perform() override;
    const std::string& Name() const { return FName; }

private:
    std::string FName;
};

class TVxDemoScriptMouseMoveAction : public TVxDemoScriptAction {
public:
    using TVxDemoScriptAction::TVxDemoScriptAction;
    void Perform() override;
    bool IsFinished() override { return FPerformed && FMotion.IsFinished(); }
    void Step() override;
    void Resume() override;

protected:
    double FCurveFactor = 0;

private:
    TVxDemoMoveMotion FMotion;
};

class TVxDemoScriptMouseCurvedMoveAction : public TVxDemoScriptMouseMoveAction {
public:
    TVxDemoScriptMouseCurvedMoveAction(TVxDemoPlayback& playback, const TVxDemoScriptParams& params);
};

class TVxDemoScriptMouseToAction : public TVxDemoScriptAction {
public:
    using TVxDemoScriptAction::TVxDemoScriptAction;
    void Perform() override;
    void Step() override;

private:
    TVxDemoPoint FTarget;
};

class TVxDemoScriptPauseAction : public TVxDemoScriptAction {
public:
    using TVxDemoScriptAction::TVxDemoScriptAction;
    void Perform() override;
    bool IsFinished() override { return FPerformed && FTimer.IsFinished(); }
    void Step() override;
    void Resume() override;

protected:
    TVxDemoPauseTimer FTimer;
};

class TVxDemoScriptBalloonAction : public TVxDemoScriptPauseAction {
public:
    using TVxDemoScriptPauseAction::TVxDemoScriptPauseAction;
    ~TVxDemoScriptBalloonAction() override;
    void Perform() override;
    void Pause() override;
    void Resume() override;

private:
    std::string ResolveText() const;
    void Show(bool show);

    std::string FText;
    TVxDemoPoint FAnchor;
    int FPosition = 0;
    bool FShown = false;
};

class TVxDemoScriptMouseButtonAction : public TVxDemoScriptAction {
public:
    TVxDemoScriptMouseButtonAction(TVxDemoPlayback& playback, const TVxDemoScriptParams& params, bool primary,
                                   bool down);
    void Perform() override;

private:
    bool FPrimary;
    bool FDown;
};

class TVxDemoScriptMouseSpeedAction : public TVxDemoScriptAction {
public:
    using TVxDemoScriptAction::TVxDemoScriptAction;
    void Perform() override;
};

// Nothing for a comment line.
std::unique_ptr<TVxDemoScriptAction> CreateDemoAction(TVxDemoPlayback& playback, std::string_view line);
