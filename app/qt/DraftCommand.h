// One entry of the editor's undo history: one or more draft edits, made in order and
// taken back in reverse. Commands of the same merge group that follow each other
// become one entry (a paint stroke, typing a name).
#pragma once

#include <QUndoCommand>
#include <vector>

#include "programs/ProgramDraft.h"

class StepTableModel;

class DraftCommand : public QUndoCommand {
public:
    static constexpr int kNoMerge = -1;
    static constexpr int kNameGroup = 0;  // stroke numbers count from 1

    DraftCommand(StepTableModel& model, const DraftEdit& edit, const QString& strText,
                 int nMergeGroup = kNoMerge);

    void redo() override;
    void undo() override;
    int id() const override { return nMergeGroup == kNoMerge ? -1 : 1; }
    bool mergeWith(const QUndoCommand* pOther) override;

private:
    StepTableModel& model;
    std::vector<DraftEdit> aEdits;
    std::vector<DraftEdit> aReverse;  // aReverse[i] takes back aEdits[i]
    int nMergeGroup;
};
