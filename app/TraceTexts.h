// Trace-log texts shared by more than one part of the dialog.
#pragma once

// A frame the port did not take whole within the write bound (a stopped line, a
// device gone): it was given up.
inline constexpr char kTextFrameNotTaken[] = " --> frame not taken by the port !!!";
