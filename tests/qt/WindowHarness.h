// The Qt window with the logic attached and started, as the program runs it.
#pragma once

#include <string>

#include "app/GlowdeskDlg.h"
#include "app/qt/GlowdeskWindow.h"
#include "tests/support/SessionRig.h"

struct WindowHarness : SessionRig {
    explicit WindowHarness(const std::string& strArgs = "", ComApi* pApi = nullptr)
        : SessionRig(pApi), dlg(window, session) {
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

    GlowdeskWindow window;
    CGlowdeskDlg dlg;
};
