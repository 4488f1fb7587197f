// A session and its presenter over a fake window, a machine without ports (unless
// another ComApi is given), a recording waiter and a fixed clock.
#pragma once

#include <string>

#include "app/GlowdeskDlg.h"
#include "tests/support/FakeView.h"
#include "tests/support/SessionRig.h"

struct DialogHarness : SessionRig {
    explicit DialogHarness(ComApi* pApi = nullptr) : SessionRig(pApi), dlg(view, session) {}

    // Runs the start-up with the given arguments in a start-up directory.
    void Start(const std::string& strArgs, const std::string& strDir = "/nonexistent-dir") {
        dlg.OnInitDialog(strArgs, strDir);
    }

    FakeView view;
    CGlowdeskDlg dlg;
};
