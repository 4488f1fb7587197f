// The editor's draft as a table for a view: one row per step, eight columns LED 8 to
// LED 1 as on the panel. Every change goes through Apply, which tells the views.
#pragma once

#include <QAbstractTableModel>
#include <optional>

#include "programs/ProgramDraft.h"

class StepTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kLitRole = Qt::UserRole + 1;  // bool: the cell's LED is on
    // Before the number of the step a preview plays.
    static inline const QString kPlayingMark = QStringLiteral("\u25B6 ");

    explicit StepTableModel(const CProgramDraft& draft, QObject* pParent = nullptr);

    const CProgramDraft& Draft() const { return draft; }
    // Column 0 is LED 8, column 7 LED 1.
    static int LedOfColumn(int nColumn) { return 8 - nColumn; }
    static int ColumnOfLed(int nLed) { return 8 - nLed; }

    // The step a preview plays, marked in the row header; -1: none.
    void SetPlayingStep(int nStep);
    int PlayingStep() const { return nPlaying; }

    // As CProgramDraft::Apply; the views follow.
    std::optional<DraftEdit> Apply(const DraftEdit& edit);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole) const override;
    QVariant headerData(int nSection, Qt::Orientation orientation, int nRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // After every change; nFocusStep is the step it concerned, or -1.
    void edited(int nFocusStep);

private:
    CProgramDraft draft;
    int nPlaying = -1;
};
