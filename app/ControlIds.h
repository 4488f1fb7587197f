// Resource ids of the main dialog (102), the about dialog (100), the icons and the
// system menu entry. The logic reaches every control through these numbers.
#pragma once

// Dialogs
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_GLOWDESK_DIALOG = 102;

// String table
constexpr int IDS_ABOUTBOX = 101;
constexpr const char* kAboutMenuText = "&About Glowdesk...";

// System menu
constexpr int IDM_ABOUTBOX = 16;

// Icons
constexpr int IDR_MAINFRAME = 128;  // smiling face: the application icon
constexpr int IDI_LED_OFF = 129;    // black circle outline
constexpr int IDI_LED_SMILE = 130;  // lit LED, alternative set
constexpr int IDI_RUN_SMILE = 131;  // run indicator, alternative set
constexpr int IDI_LED_ON = 133;     // lit LED, default set
constexpr int IDI_RUN_GREEN = 137;  // run indicator, default set

// Controls of dialog 102
constexpr int IDC_COMPORT = 1000;
constexpr int IDC_CONNECT = 1001;
constexpr int IDC_SPEED = 1002;
constexpr int IDC_PROGRAM = 1003;
constexpr int IDC_START = 1004;
constexpr int IDC_LED_STATIC_FIRST = 1006;  // 1006 ... 1021: the lamp statics
constexpr int IDC_LED_STATIC_LAST = 1021;
constexpr int IDC_LED_CHECK_1 = 1022;  // 1022 ... 1029: check boxes "1" ... "8"
constexpr int IDC_LED_CHECK_8 = 1029;
constexpr int IDC_RUNICON = 1030;
constexpr int IDC_TRACE = 1031;
constexpr int IDC_FILENAME = 1032;
constexpr int IDC_COMMAND = 1033;
constexpr int IDC_RXCOUNT = 1034;
constexpr int IDC_TXCOUNT = 1035;
constexpr int IDC_CLR = 1036;

// Timers of the main dialog
constexpr int kTimerPlay = 1;
constexpr int kTimerCom = 2;

// Lamp statics per LED (LED 1 first): the picture shown while off, and while on.
struct LedStatics {
    int nOff;
    int nOn;
};
constexpr LedStatics kLedStatics[8] = {
    {1007, 1006}, {1015, 1008}, {1016, 1009}, {1017, 1010},
    {1018, 1011}, {1019, 1012}, {1020, 1013}, {1021, 1014},
};
