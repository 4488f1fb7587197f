#include "app/qt/SliderAccessible.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QSlider>

namespace {

constexpr const char* kStepTimeSlider = "glowdeskStepTimeSlider";

class CSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CSliderAccessible(QSlider* pSlider)
        : QAccessibleWidget(pSlider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QStringLiteral("%1 ms").arg(Slider()->value());
        return QAccessibleWidget::text(t);
    }

    // QAccessibleValueInterface: the numbers in milliseconds.
    QVariant currentValue() const override { return Slider()->value(); }
    void setCurrentValue(const QVariant& value) override { Slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return Slider()->maximum(); }
    QVariant minimumValue() const override { return Slider()->minimum(); }
    QVariant minimumStepSize() const override { return Slider()->singleStep(); }

private:
    QSlider* Slider() const { return static_cast<QSlider*>(widget()); }
};

QAccessibleInterface* SliderFactory(const QString& strClass, QObject* pObject) {
    if (strClass == QLatin1String("QSlider") && pObject->property(kStepTimeSlider).toBool())
        return new CSliderAccessible(static_cast<QSlider*>(pObject));
    return nullptr;
}

}  // namespace

void UseStepTimeAccessible(QSlider* pSlider) {
    static const bool bInstalled = [] {
        QAccessible::installFactory(SliderFactory);
        return true;
    }();
    (void)bInstalled;
    pSlider->setProperty(kStepTimeSlider, true);
}
