#include "app/qt/StepTableModel.h"

StepTableModel::StepTableModel(const CProgramDraft& draft, QObject* pParent)
    : QAbstractTableModel(pParent), draft(draft) {}

std::optional<DraftEdit> StepTableModel::Apply(const DraftEdit& edit) {
    if (!draft.CanApply(edit))
        return std::nullopt;
    std::optional<DraftEdit> undo;
    if (const auto* pInsert = std::get_if<draft::InsertStep>(&edit)) {
        beginInsertRows(QModelIndex(), pInsert->nStep, pInsert->nStep);
        undo = draft.Apply(edit);
        endInsertRows();
    } else if (const auto* pRemove = std::get_if<draft::RemoveStep>(&edit)) {
        beginRemoveRows(QModelIndex(), pRemove->nStep, pRemove->nStep);
        undo = draft.Apply(edit);
        endRemoveRows();
    } else if (std::holds_alternative<draft::ReplaceSteps>(edit)) {
        beginResetModel();
        undo = draft.Apply(edit);
        endResetModel();
    } else {
        undo = draft.Apply(edit);
        int nFirst = -1, nLast = -1;
        if (const auto* pSet = std::get_if<draft::SetStep>(&edit))
            nFirst = nLast = pSet->nStep;
        if (const auto* pSwap = std::get_if<draft::SwapSteps>(&edit)) {
            nFirst = pSwap->nStep;
            nLast = pSwap->nStep + 1;
        }
        if (nFirst >= 0)
            emit dataChanged(index(nFirst, 0), index(nLast, 7));
    }
    // Row numbers after an inserted or removed step change too.
    if (draft.StepCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, draft.StepCount() - 1);
    emit edited(EditFocusStep(edit));
    return undo;
}

void StepTableModel::SetPlayingStep(int nStep) {
    if (nStep == nPlaying)
        return;
    const int nOld = nPlaying;
    nPlaying = nStep;
    for (const int n : {nOld, nStep})
        if (n >= 0 && n < rowCount())
            emit headerDataChanged(Qt::Vertical, n, n);
}

int StepTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : draft.StepCount();
}

int StepTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 8;
}

QVariant StepTableModel::data(const QModelIndex& index, int nRole) const {
    if (!index.isValid())
        return {};
    const int nStep = index.row();
    const int nLed = LedOfColumn(index.column());
    const bool bLit = draft.IsLit(nStep, nLed);
    switch (nRole) {
        case kLitRole:
            return bLit;
        case Qt::AccessibleTextRole:
            return QStringLiteral("step %1 LED %2").arg(nStep + 1).arg(nLed);
        case Qt::AccessibleDescriptionRole:
            return bLit ? QStringLiteral("on") : QStringLiteral("off");
        case Qt::ToolTipRole:
            return QStringLiteral("step %1 LED %2: %3")
                .arg(nStep + 1)
                .arg(nLed)
                .arg(bLit ? QStringLiteral("on") : QStringLiteral("off"));
        default:
            return {};
    }
}

QVariant StepTableModel::headerData(int nSection, Qt::Orientation orientation, int nRole) const {
    if (orientation == Qt::Horizontal) {
        // Labelled like the panel's check boxes.
        if (nRole == Qt::DisplayRole)
            return QString::number(LedOfColumn(nSection));
        if (nRole == Qt::AccessibleTextRole || nRole == Qt::ToolTipRole)
            return QStringLiteral("LED %1").arg(LedOfColumn(nSection));
    } else {
        const bool bPlaying = nSection == nPlaying;
        if (nRole == Qt::DisplayRole)
            return (bPlaying ? kPlayingMark : QString()) + QString::number(nSection + 1);
        if (nRole == Qt::AccessibleTextRole)
            return (bPlaying ? QStringLiteral("step %1, playing") : QStringLiteral("step %1"))
                .arg(nSection + 1);
    }
    return {};
}

Qt::ItemFlags StepTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
