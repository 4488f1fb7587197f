// The editor's grid of steps: lamps drawn as on the panel, a click toggles a cell,
// dragging with the button held paints the cells passed over with the value the first
// cell got, Space toggles the current cell.
#pragma once

#include <QTableView>

class StepGrid : public QTableView {
    Q_OBJECT

public:
    // nLitIcon: the icon resource the panel shows for a lit LED.
    explicit StepGrid(int nLitIcon, QWidget* pParent = nullptr);

    // The step of the current cell, or -1.
    int CurrentStep() const;
    // Makes nStep current (limited to the steps there are), keeping the column.
    void SetCurrentStep(int nStep);

signals:
    // nStroke numbers the press that started it (from 1), or 0 for the keyboard.
    void toggleRequested(int nStep, int nLed, int nStroke);
    void paintRequested(int nStep, int nLed, bool bOn, int nStroke);

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    bool IsLit(const QModelIndex& index) const;

    int nStroke = 0;
    bool bPainting = false;
    bool bPaintOn = false;
    QPersistentModelIndex lastPainted;
};
