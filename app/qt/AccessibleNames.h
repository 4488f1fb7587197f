// What a screen reader calls the controls of the main window whose visible text is
// empty or a picture. Buttons, check boxes and frames are called by their texts.
#pragma once

#include "app/ControlIds.h"

struct AccessibleName {
    int nId;
    const char* pName;
    const char* pDescription;
};

constexpr AccessibleName kAccessibleNames[] = {
    {IDC_COMPORT, "COM port", ""},
    {IDC_SPEED, "step time", "milliseconds per playback step, 32 to 5000"},
    {IDC_RUNICON, "running", "off"},
    {IDC_PROGRAM, "program", ""},
    {IDC_COMMAND, "command", "what start does"},
    {IDC_FILENAME, "program file", ""},
    {IDC_RXCOUNT, "Rx", "frames received"},
    {IDC_TXCOUNT, "Tx", "frames sent"},
    {IDC_TRACE, "trace log", ""},
};

// A lamp that is lit, or a run indicator that shows, is "on".
constexpr const char* kLitDescription = "on";
constexpr const char* kDarkDescription = "off";
