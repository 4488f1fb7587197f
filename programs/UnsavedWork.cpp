#include "programs/UnsavedWork.h"

namespace {

bool IsOneProgram(int nIndex) {
    return nIndex >= 0 && nIndex < kProgCount;
}

}  // namespace

void CUnsavedWork::Note(StoreEvent event, int nIndex) {
    // An edit is the only thing that makes work; everything else puts the program in
    // memory and somewhere else alike.
    const bool bEdited = event == StoreEvent::Edited;
    if (IsOneProgram(nIndex))
        edited[static_cast<size_t>(nIndex)] = bEdited;
    else if (bEdited)
        edited.set();
    else
        edited.reset();
}

bool CUnsavedWork::WouldLose(int nIndex) const {
    return IsOneProgram(nIndex) ? edited[static_cast<size_t>(nIndex)] : edited.any();
}
