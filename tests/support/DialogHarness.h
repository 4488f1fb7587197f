// A session and its presenter over a fake window, a machine without ports (unless
// another ComApi is given), a recording waiter and a fixed clock.
#pragma once

#include <memory>
#include <string>

#include "app/GlowdeskDlg.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/support/FakeView.h"
#include "tests/support/NullComApi.h"
#include "tests/support/TestDoubles.h"

struct DialogHarness {
    explicit DialogHarness(ComApi* pApi = nullptr)
        : api(pApi ? *pApi : nullApi),
          session(SessionServices{&api, &waiter, &clock, &debug}),
          emulator(session.Emulator()),
          serial(session.Serial()),
          dlg(view, session) {}

    // Runs the start-up with the given arguments in a start-up directory.
    void Start(const std::string& strArgs, const std::string& strDir = "/nonexistent-dir") {
        dlg.OnInitDialog(strArgs, strDir);
    }

    FakeView view;
    RecordingWaiter waiter;
    RecordingDebugSink debug;
    FixedClock clock;
    NullComApi nullApi;
    ComApi& api;
    CSession session;
    CComEmulator& emulator;
    CSerialPort& serial;
    CGlowdeskDlg dlg;
};
