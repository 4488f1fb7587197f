#include "app/GlowdeskDlg.h"

// TODO: the info replies are not handled yet.
void CGlowdeskDlg::HandleInfoReply(const uint8_t*, int) {}
bool CGlowdeskDlg::PrepareSubE2Cmd(int, int) { return false; }
