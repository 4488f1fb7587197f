#include "about/qt/AboutAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// The version text is drawn by hand: tell assistive technology it is static text and
// what it says. The rain is an animation.
QAccessibleInterface* AboutFactory(const QString& strClass, QObject* pObject) {
    if (strClass == QLatin1String("CStaticText")) {
        return new QAccessibleWidget(static_cast<QWidget*>(pObject), QAccessible::StaticText);
    }
    if (strClass == QLatin1String("CMatrixWnd"))
        return new QAccessibleWidget(static_cast<QWidget*>(pObject), QAccessible::Animation);
    return nullptr;
}

}  // namespace

void InstallAboutAccessibility() {
    static const bool bInstalled = [] {
        QAccessible::installFactory(AboutFactory);
        return true;
    }();
    (void)bInstalled;
}
