// Windows-style file filters ("name|pattern|name|pattern|") as Qt name filters.
#pragma once

#include <QStringList>

// "ini-files |*.ini|All Files (*.*) |*.*|" gives "ini-files (*.ini)" and "All Files (*)":
// the name without its own bracketed patterns, then the patterns. "*.*" means every
// file on Windows, so it becomes "*" where a name need not contain a dot.
QStringList NameFiltersFromWindows(const QString& strFilter);
