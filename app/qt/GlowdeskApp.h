// The program's window as it starts and runs: the session with real time and the
// system's ports, the presenter, the window, until the window closes.
#pragma once

#include <functional>

class GlowdeskWindow;

// Runs the window for the given arguments until it closes; returns the process's
// exit status.
// onShown, when given, is called once the window is up and before its event loop
// runs, so a self-check can drive the real window.
int RunGlowdeskApp(int argc, char* argv[],
                   const std::function<void(GlowdeskWindow&)>& onShown = nullptr);
