#include "app/GlowdeskDlg.h"

// TODO: playback is not built yet.
void CGlowdeskDlg::StartPlayback(int, int) {}
void CGlowdeskDlg::StopPlayback() {}
void CGlowdeskDlg::SelectProg(uint8_t) {}
void CGlowdeskDlg::MixNextProg(bool) {}
void CGlowdeskDlg::OnPlayTick() {}
void CGlowdeskDlg::BlinkRunIcon(bool, int) {}
