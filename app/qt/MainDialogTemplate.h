// Dialog 102, the main window, as a table: every control with its id, kind, text and
// rectangle in dialog units (left, top, width, height), in tab order. The window is
// built from this table; ids of -1 are frames nobody addresses.
#pragma once

#include "app/ControlIds.h"

enum class ControlKind {
    ComboBox,  // drop-down with an editable text field, never sorted
    PushButton,
    Slider,      // horizontal trackbar without tick marks
    IconStatic,  // a picture; nIcon is its icon resource
    GroupBox,
    Edit,       // single line, read-only, scrolls horizontally
    MultiEdit,  // multi-line, read-only, vertical scroll bar
    CheckBox,
};

struct DialogControl {
    int nId;
    ControlKind kind;
    const char* pText;
    int nX, nY, nW, nH;
    int nIcon = 0;
    bool bHidden = false;
};

constexpr int kMainDialogWidth = 327;  // client size in dialog units
constexpr int kMainDialogHeight = 175;
constexpr const char* kMainDialogTitle = "Glowdesk";

constexpr DialogControl kMainDialog[] = {
    {IDC_COMPORT, ControlKind::ComboBox, "", 5, 10, 60, 75},
    {IDC_CONNECT, ControlKind::PushButton, "connect", 70, 10, 50, 14},
    {IDC_SPEED, ControlKind::Slider, "", 130, 10, 155, 15},
    {IDC_RUNICON, ControlKind::IconStatic, "", 295, 8, 20, 20, IDI_RUN_GREEN, true},
    {-1, ControlKind::GroupBox, "ComPort", 0, 0, 325, 30},
    {-1, ControlKind::GroupBox, "LightCtrl", 0, 30, 325, 90},
    {IDC_PROGRAM, ControlKind::ComboBox, "", 5, 40, 180, 115},
    {IDC_START, ControlKind::PushButton, "start", 190, 39, 50, 14},
    {IDC_COMMAND, ControlKind::ComboBox, "", 245, 40, 75, 205},
    {IDC_FILENAME, ControlKind::Edit, "", 5, 57, 315, 14},
    {1029, ControlKind::CheckBox, "8", 10, 105, 20, 10},
    {1028, ControlKind::CheckBox, "7", 40, 105, 20, 10},
    {1027, ControlKind::CheckBox, "6", 70, 105, 20, 10},
    {1026, ControlKind::CheckBox, "5", 100, 105, 20, 10},
    {1025, ControlKind::CheckBox, "4", 130, 105, 20, 10},
    {1024, ControlKind::CheckBox, "3", 160, 105, 20, 10},
    {1023, ControlKind::CheckBox, "2", 190, 105, 20, 10},
    {1022, ControlKind::CheckBox, "1", 215, 105, 20, 10},
    {IDC_RXCOUNT, ControlKind::Edit, "", 250, 80, 50, 15},
    {IDC_TXCOUNT, ControlKind::Edit, "", 250, 100, 50, 15},
    {IDC_CLR, ControlKind::PushButton, "clr", 305, 80, 15, 35},
    {IDC_TRACE, ControlKind::MultiEdit, "", 0, 120, 325, 55},
    // The lamps, LED 8 at the left: two statics per LED at the same place, the off
    // picture visible and the lit one hidden.
    {1021, ControlKind::IconStatic, "", 5, 80, 20, 20, IDI_LED_OFF, false},
    {1014, ControlKind::IconStatic, "", 5, 80, 20, 20, IDI_LED_SMILE, true},
    {1020, ControlKind::IconStatic, "", 35, 80, 20, 20, IDI_LED_OFF, false},
    {1013, ControlKind::IconStatic, "", 35, 80, 20, 20, IDI_LED_SMILE, true},
    {1019, ControlKind::IconStatic, "", 65, 80, 20, 20, IDI_LED_OFF, false},
    {1012, ControlKind::IconStatic, "", 65, 80, 20, 20, IDI_LED_SMILE, true},
    {1018, ControlKind::IconStatic, "", 95, 80, 20, 20, IDI_LED_OFF, false},
    {1011, ControlKind::IconStatic, "", 95, 80, 20, 20, IDI_LED_SMILE, true},
    {1017, ControlKind::IconStatic, "", 125, 80, 20, 20, IDI_LED_OFF, false},
    {1010, ControlKind::IconStatic, "", 125, 80, 20, 20, IDI_LED_SMILE, true},
    {1016, ControlKind::IconStatic, "", 155, 80, 20, 20, IDI_LED_OFF, false},
    {1009, ControlKind::IconStatic, "", 155, 80, 20, 20, IDI_LED_SMILE, true},
    {1015, ControlKind::IconStatic, "", 185, 80, 20, 20, IDI_LED_OFF, false},
    {1008, ControlKind::IconStatic, "", 185, 80, 20, 20, IDI_LED_SMILE, true},
    {1007, ControlKind::IconStatic, "", 215, 80, 20, 20, IDI_LED_OFF, false},
    {1006, ControlKind::IconStatic, "", 215, 80, 20, 20, IDI_LED_SMILE, true},
};
