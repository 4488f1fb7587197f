#include "app/GlowdeskDlg.h"

// TODO: the start button does nothing yet.
void CGlowdeskDlg::OnStart() {}
