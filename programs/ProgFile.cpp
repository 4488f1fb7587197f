#include "app/GlowdeskDlg.h"

// TODO: program files are not read or written yet.
void CGlowdeskDlg::LoadProgFile(const std::string&) {}
void CGlowdeskDlg::StoreProgFile(const std::string&) {}
int CGlowdeskDlg::ReadProgFromIni(int, const std::string&) { return 0; }
int CGlowdeskDlg::WriteProgToIni(int, const std::string&) { return 0; }
void CGlowdeskDlg::ListProgEntry(int) {}
