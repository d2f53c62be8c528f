#pragma once
// Where the test build of the program (VelloriaTest.exe) adds its test probe. The probe's
// unit sets the hook while the program's statics are initialized; it is linked only into
// the test build, so in the shipped program the hook stays empty and nothing of the probe
// (nor its environment variables) exists there.
using TVxTestHook = void (*)();

extern TVxTestHook TestProbeHook;

// Runs the hook, if the program has one.
void RunTestProbeHook();
