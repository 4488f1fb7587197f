#include "app/qt/DraftCommand.h"

#include "app/qt/StepTableModel.h"

DraftCommand::DraftCommand(StepTableModel& model, const DraftEdit& edit, const QString& strText,
                           int nMergeGroup)
    : QUndoCommand(strText), model(model), aEdits{edit}, nMergeGroup(nMergeGroup) {}

void DraftCommand::redo() {
    aReverse.clear();
    for (const DraftEdit& edit : aEdits) {
        std::optional<DraftEdit> reverse = model.Apply(edit);
        if (!reverse) {
            // Refused: the stack drops a command that did nothing.
            setObsolete(true);
            return;
        }
        aReverse.push_back(std::move(*reverse));
    }
}

void DraftCommand::undo() {
    for (auto it = aReverse.rbegin(); it != aReverse.rend(); ++it)
        model.Apply(*it);
}

bool DraftCommand::mergeWith(const QUndoCommand* pOther) {
    const auto* pNext = dynamic_cast<const DraftCommand*>(pOther);
    if (!pNext || pNext->nMergeGroup != nMergeGroup || pNext->isObsolete())
        return false;
    aEdits.insert(aEdits.end(), pNext->aEdits.begin(), pNext->aEdits.end());
    aReverse.insert(aReverse.end(), pNext->aReverse.begin(), pNext->aReverse.end());
    return true;
}
