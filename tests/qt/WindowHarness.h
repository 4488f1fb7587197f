// The Qt window over the real dialog logic, started as the program starts it.
#pragma once

#include <string>

#include "app/GlowdeskDlg.h"
#include "app/qt/GlowdeskWindow.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/support/NullComApi.h"
#include "tests/support/TestDoubles.h"

// The window with the logic attached and started, as the program runs it.
struct WindowHarness {
    explicit WindowHarness(const std::string& strArgs = "", ComApi* pApi = nullptr)
        : api(pApi ? *pApi : nullApi),
          emulator(waiter, debug),
          serial(api, emulator),
          dlg(window, serial, waiter, clock) {
        window.Attach(&dlg);
        dlg.OnInitDialog(strArgs, "/nonexistent-dir");
        window.show();
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
    CComEmulator emulator;
    CSerialPort serial;
    GlowdeskWindow window;
    CGlowdeskDlg dlg;
};
