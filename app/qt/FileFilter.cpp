#include "app/qt/FileFilter.h"

#include <QRegularExpression>

QStringList NameFiltersFromWindows(const QString& strFilter) {
    QStringList aFilters;
    const QStringList aParts = strFilter.split(QLatin1Char('|'));
    // Pairs of name and patterns; a trailing name without patterns is dropped.
    for (qsizetype n = 0; n + 1 < aParts.size(); n += 2) {
        QString strName = aParts[n];
        strName.remove(QRegularExpression(QStringLiteral("\\([^)]*\\)")));
        strName = strName.simplified();
        QStringList aPatterns;
        for (const QString& strPattern : aParts[n + 1].split(QLatin1Char(';'))) {
            const QString strTrimmed = strPattern.trimmed();
            if (strTrimmed.isEmpty())
                continue;
#ifndef Q_OS_WIN
            aPatterns << (strTrimmed == QLatin1String("*.*") ? QStringLiteral("*") : strTrimmed);
#else
            aPatterns << strTrimmed;
#endif
        }
        if (strName.isEmpty() && aPatterns.isEmpty())
            continue;
        if (aPatterns.isEmpty())
            aPatterns << QStringLiteral("*");
        aFilters << QStringLiteral("%1 (%2)").arg(strName, aPatterns.join(QLatin1Char(' ')));
    }
    return aFilters;
}
