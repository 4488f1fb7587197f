// The about box (dialog 100), run modally from the main window.
#pragma once

class QWidget;

void RunAboutDialog(QWidget* pParent);
