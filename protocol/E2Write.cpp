#include "app/GlowdeskDlg.h"

// TODO: the EEPROM write sequence is not built yet.
int CGlowdeskDlg::E2WriteStatemachine(const uint8_t*, int) { return 1; }
