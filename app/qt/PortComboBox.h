// The COM port box: says when its list is about to open, so that the list can first be
// brought up to date with the ports of the machine.
#pragma once

#include <QComboBox>

class PortComboBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override {
        emit aboutToShowPopup();
        QComboBox::showPopup();
    }

signals:
    void aboutToShowPopup();
};
