// Which programs in memory hold work that exists nowhere else: changed by an edit and
// neither stored to a file nor written to the Handheld since. Front ends ask before
// anything would replace such a program.
#pragma once

#include <bitset>

#include "programs/LightProgram.h"

enum class StoreEvent {
    Edited,           // the user changed the program
    StoredToFile,     // the store went into a file
    WrittenToDevice,  // the program went to the Handheld
    LoadedFromFile,   // a file replaced the store
    ReadFromDevice,   // the Handheld's program replaced the one in memory
};

class CUnsavedWork {
public:
    static constexpr int kWholeStore = -1;

    // nIndex 0..8 names one program; kWholeStore (or any other number) all of them.
    void Note(StoreEvent event, int nIndex = kWholeStore);
    bool Any() const { return edited.any(); }
    // Whether replacing program nIndex (kWholeStore: every program) loses unsaved work.
    bool WouldLose(int nIndex = kWholeStore) const;

private:
    std::bitset<kProgCount> edited;
};
