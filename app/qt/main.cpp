// CGlowdeskApp: the process runs one window and ends when it closes.
#include "app/qt/GlowdeskApp.h"

int main(int argc, char* argv[]) { return RunGlowdeskApp(argc, argv); }
