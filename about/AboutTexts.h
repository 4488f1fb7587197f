// The texts of the about box.
#pragma once

// Version and command-line switches, beside the icon.
inline constexpr const char* kAboutVersionText =
    "Glowdesk Version 1.01\narguments:\n    -p 0/1\tprogramming mode\n    -e 0/1\tCOM "
    "emulation\n    -t 1\t\tTrace on\n    -s 0/1 \ticon selection\n    -f filename \tloading on "
    "startup";

// The one line at the bottom of the dialog.
inline constexpr const char* kAboutFooterText = "Light programs for the Handheld";

// The lines the animation plays, one after the other, separated by commas.
inline constexpr const char* kAboutLines =
    "What is Glowdesk?,Its the GUI-frontend...,programming the Handheld...,controlling the "
    "light effects...,Made with care by the Glowdesk team,glowdesk.example.org";
