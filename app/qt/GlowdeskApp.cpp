#include "app/qt/GlowdeskApp.h"

#include <QApplication>
#include <filesystem>
#include <system_error>

#include "app/CommandLine.h"
#include "app/GlowdeskDlg.h"
#include "app/Session.h"
#include "app/qt/GlowdeskWindow.h"
#include "app/qt/QtDebugSink.h"
#ifdef _WIN32
#include "app/qt/OutputDebugSink.h"
#endif

int RunGlowdeskApp(int argc, char* argv[], const std::function<void(GlowdeskWindow&)>& onShown) {
    // Taken before Qt sees argv, so the logic gets the arguments exactly as given.
    const std::string strArgs = JoinArguments(argc, argv);
    std::error_code error;
    const std::string strCurrentDir = std::filesystem::current_path(error).string();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glowdesk"));
    // Lets the desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glowdesk.Glowdesk"));

    SleepWaiter waiter;
    SystemClock clock;
#ifdef _WIN32
    OutputDebugSink debugSink;  // the LED lines go to the system debugger's output
#else
    QtDebugSink debugSink;
#endif
    CSession session(SessionServices{nullptr, &waiter, &clock, &debugSink});

    GlowdeskWindow window;
    CGlowdeskDlg dlg(window, session);
    window.Attach(&dlg);
    dlg.OnInitDialog(strArgs, strCurrentDir);
    if (onShown)
        onShown(window);
    window.exec();
    window.Attach(nullptr);
    return 0;
}
