// The editable combo boxes of the window as assistive technology sees them: named by
// what they choose ("COM port"), with the chosen text as their value. Qt's own
// interface on Linux reports the chosen text as the name and leaves the name to a
// label's relation, which dialogs built from a template do not have.
#pragma once

class QComboBox;

// Gives pCombo the interface above; its accessible name is set by the caller.
void UseNamedComboAccessible(QComboBox* pCombo);
