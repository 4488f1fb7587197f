// The Qt window with the logic attached and started, as the program runs it.
#pragma once

#include <string>

#include "app/GlowdeskDlg.h"
#include "app/Session.h"
#include "app/qt/GlowdeskWindow.h"
#include "serial/ComEmulator.h"
#include "tests/support/NullComApi.h"
#include "tests/support/TestDoubles.h"

struct WindowHarness {
    explicit WindowHarness(const std::string& strArgs = "", ComApi* pApi = nullptr)
        : api(pApi ? *pApi : nullApi),
          session(SessionServices{&api, &waiter, &clock, &debug}),
          emulator(session.Emulator()),
          dlg(window, session) {
        window.Attach(&dlg);
        dlg.OnInitDialog(strArgs, "/nonexistent-dir");
        window.show();
        window.FlushDisplay();  // as the first frame shows it
    }
    ~WindowHarness() { window.Attach(nullptr); }

    template <class T>
    T* Ctl(int nId) {
        return qobject_cast<T*>(window.Control(nId));
    }

    RecordingWaiter waiter;
    RecordingDebugSink debug;
    FixedClock clock;
    NullComApi nullApi;
    ComApi& api;
    CSession session;
    CComEmulator& emulator;
    GlowdeskWindow window;
    CGlowdeskDlg dlg;
};
