#include "app/GlowdeskDlg.h"

// TODO: connect and the device commands are not built yet.
void CGlowdeskDlg::OnConnect() {}
void CGlowdeskDlg::DeviceCommand(int32_t, int, const std::string&) {}
