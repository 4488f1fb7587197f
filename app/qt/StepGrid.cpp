#include "app/qt/StepGrid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/ControlIds.h"
#include "app/qt/StepTableModel.h"
#include "base/qt/IconRes.h"

namespace {

constexpr int kCellSize = 22;
constexpr int kLampSize = 18;

// The cell's selection background, then the lamp in the middle.
class LampDelegate : public QStyledItemDelegate {
public:
    LampDelegate(int nLitIcon, QObject* pParent)
        : QStyledItemDelegate(pParent), nLitIcon(nLitIcon) {}

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(pPainter, option, index);
        const bool bLit = index.data(StepTableModel::kLitRole).toBool();
        const QPixmap pixmap = IconPixmap(bLit ? nLitIcon : IDI_LED_OFF, kLampSize,
                                          pPainter->device()->devicePixelRatioF());
        QRect rc(QPoint(0, 0), QSize(kLampSize, kLampSize));
        rc.moveCenter(option.rect.center());
        pPainter->drawPixmap(rc, pixmap);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {kCellSize, kCellSize};
    }

private:
    int nLitIcon;
};

}  // namespace

StepGrid::StepGrid(int nLitIcon, QWidget* pParent) : QTableView(pParent) {
    setItemDelegate(new LampDelegate(nLitIcon, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setShowGrid(true);
    // One cell at a time: the corner has nothing to select; it only heads the two
    // headers.
    setCornerButtonEnabled(false);
    if (auto* pCorner = findChild<QAbstractButton*>())
        pCorner->setAccessibleName(QStringLiteral("step and LED"));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(kCellSize);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kCellSize);
    verticalHeader()->setHighlightSections(false);
}

int StepGrid::CurrentStep() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void StepGrid::SetCurrentStep(int nStep) {
    if (!model())
        return;
    const int nRows = model()->rowCount();
    if (nRows == 0)
        return;
    nStep = std::clamp(nStep, 0, nRows - 1);
    const int nColumn = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = model()->index(nStep, nColumn);
    setCurrentIndex(index);
    scrollTo(index);
}

bool StepGrid::IsLit(const QModelIndex& index) const {
    return index.data(StepTableModel::kLitRole).toBool();
}

void StepGrid::mousePressEvent(QMouseEvent* pEvent) {
    QTableView::mousePressEvent(pEvent);
    const QModelIndex index = indexAt(pEvent->position().toPoint());
    if (pEvent->button() != Qt::LeftButton || !index.isValid())
        return;
    ++nStroke;
    emit toggleRequested(index.row(), StepTableModel::LedOfColumn(index.column()), nStroke);
    // The rest of the stroke paints what this cell became.
    bPainting = true;
    bPaintOn = IsLit(index);
    lastPainted = index;
}

void StepGrid::mouseMoveEvent(QMouseEvent* pEvent) {
    QTableView::mouseMoveEvent(pEvent);
    if (!bPainting || !(pEvent->buttons() & Qt::LeftButton))
        return;
    const QModelIndex index = indexAt(pEvent->position().toPoint());
    if (!index.isValid() || index == lastPainted)
        return;
    lastPainted = index;
    if (IsLit(index) != bPaintOn)
        emit paintRequested(index.row(), StepTableModel::LedOfColumn(index.column()), bPaintOn,
                            nStroke);
}

void StepGrid::mouseReleaseEvent(QMouseEvent* pEvent) {
    QTableView::mouseReleaseEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton)
        bPainting = false;
}

void StepGrid::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    // The second of two quick clicks toggles again, as any click does. Where the
    // platform sends its press as well, that press has done it already.
    if (bPainting)
        QTableView::mouseDoubleClickEvent(pEvent);
    else
        mousePressEvent(pEvent);
}

void StepGrid::keyPressEvent(QKeyEvent* pEvent) {
    const QModelIndex current = currentIndex();
    if (pEvent->key() == Qt::Key_Space && pEvent->modifiers() == Qt::NoModifier &&
        current.isValid()) {
        emit toggleRequested(current.row(), StepTableModel::LedOfColumn(current.column()), 0);
        return;
    }
    QTableView::keyPressEvent(pEvent);
}
