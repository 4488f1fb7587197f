#include "app/GlowdeskDlg.h"

// TODO: the EEPROM read sequence is not built yet.
int CGlowdeskDlg::E2ReadStatemachine(const uint8_t*, int) { return 1; }
