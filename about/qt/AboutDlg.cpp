#include "about/qt/AboutDlg.h"

// TODO: the about box is not built yet.
void RunAboutDialog(QWidget*) {}
