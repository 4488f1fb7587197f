#include "app/qt/ComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

constexpr const char* kNamedCombo = "glowdeskNamedCombo";

class CComboAccessible : public QAccessibleWidget {
public:
    explicit CComboAccessible(QComboBox* pCombo)
        : QAccessibleWidget(pCombo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    // The list first, then the text field, as Qt's own interface orders them.
    int childCount() const override { return Combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int nIndex) const override {
        if (nIndex == 0)
            return QAccessible::queryAccessibleInterface(Combo()->view());
        if (nIndex == 1 && Combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(Combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override {
        if (!pChild)
            return -1;
        if (pChild->object() == Combo()->view())
            return 0;
        if (Combo()->lineEdit() && pChild->object() == Combo()->lineEdit())
            return 1;
        return -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& strAction) override {
        if (strAction == showMenuAction() || strAction == pressAction())
            Combo()->showPopup();
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ComboFactory(const QString& strClass, QObject* pObject) {
    if (strClass == QLatin1String("QComboBox") && pObject->property(kNamedCombo).toBool())
        return new CComboAccessible(static_cast<QComboBox*>(pObject));
    return nullptr;
}

}  // namespace

void UseNamedComboAccessible(QComboBox* pCombo) {
    static const bool bInstalled = [] {
        QAccessible::installFactory(ComboFactory);
        return true;
    }();
    (void)bInstalled;
    pCombo->setProperty(kNamedCombo, true);
}
