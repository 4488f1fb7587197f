#include "app/GlowdeskDlg.h"

// TODO: the command engine is not built yet.
void CGlowdeskDlg::StartCmd(int, int, const std::string*) {}
bool CGlowdeskDlg::SendCmd(std::string) { return false; }
bool CGlowdeskDlg::BuildFrame(std::string*) { return false; }
int CGlowdeskDlg::WriteFrame(PortHandle&, const uint8_t*, int) { return 0; }
bool CGlowdeskDlg::StartSubE2Cmd(int, int, const std::string&) { return false; }
bool CGlowdeskDlg::GoOnSubE2Cmd(int) { return false; }
int CGlowdeskDlg::CheckStatus(const uint8_t*, bool) { return 0; }
bool CGlowdeskDlg::PushRxByte(uint8_t) { return false; }
void CGlowdeskDlg::HandleResponse(uint8_t*, int) {}
bool CGlowdeskDlg::TimeoutTick() { return false; }
void CGlowdeskDlg::EndCmd() {}
void CGlowdeskDlg::ClearCmdState() {}
void CGlowdeskDlg::OnComTimer() {}
void CGlowdeskDlg::OnVersionReply(uint8_t*, int) {}
