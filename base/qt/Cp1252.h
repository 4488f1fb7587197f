// The program's texts are Windows-1252 bytes; the widgets speak Unicode.
#pragma once

#include <QString>
#include <string>

QString FromCp1252(const std::string& strBytes);
// Characters that Windows-1252 cannot hold become '?', as the Windows conversion does.
std::string ToCp1252(const QString& str);
