// A session on a machine without ports (unless another ComApi is given), with a
// recording waiter and debug sink and a fixed clock: what the harnesses of the fake
// and of the real window stand on.
#pragma once

#include "app/Session.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/support/NullComApi.h"
#include "tests/support/TestDoubles.h"

struct SessionRig {
    explicit SessionRig(ComApi* pApi = nullptr)
        : api(pApi ? *pApi : nullApi),
          session(SessionServices{&api, &waiter, &clock, &debug}),
          emulator(session.Emulator()),
          serial(session.Serial()) {}

    RecordingWaiter waiter;
    RecordingDebugSink debug;
    FixedClock clock;
    NullComApi nullApi;
    ComApi& api;
    CSession session;
    CComEmulator& emulator;
    CSerialPort& serial;
};
