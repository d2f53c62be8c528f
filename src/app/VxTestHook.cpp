#include "app/VxTestHook.h"

// Constant-initialized: set before any dynamic initializer can assign it.
constinit TVxTestHook TestProbeHook = nullptr;

void RunTestProbeHook()
{
    if (TestProbeHook)
        TestProbeHook();
}
