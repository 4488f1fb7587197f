// A working copy of one light program that the editor changes step by step. Every
// change is a DraftEdit value; applying one gives back the edit that takes it back
// exactly, so an undo history needs nothing but pairs of edits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "programs/LightProgram.h"

namespace draft {

// Step k (0-based) gets the byte byValue.
struct SetStep {
    int nStep;
    uint8_t byValue;
};
// A new step with byValue at index nStep; the steps from there on move down.
struct InsertStep {
    int nStep;
    uint8_t byValue;
};
struct RemoveStep {
    int nStep;
};
// Steps nStep and nStep + 1 change places.
struct SwapSteps {
    int nStep;
};
struct SetName {
    std::string strName;  // Windows-1252 bytes
};
struct SetMix {
    bool bMixAllowed;
};
// All steps at once, as a pattern gives them.
struct ReplaceSteps {
    std::vector<uint8_t> aSteps;
};

}  // namespace draft

using DraftEdit =
    std::variant<draft::SetStep, draft::InsertStep, draft::RemoveStep, draft::SwapSteps,
                 draft::SetName, draft::SetMix, draft::ReplaceSteps>;

constexpr int kMaxNameLen = kNameSize - 1;  // 12 characters

class CProgramDraft {
public:
    explicit CProgramDraft(const LightProgram& r);

    int StepCount() const { return static_cast<int>(aSteps.size()); }
    const std::vector<uint8_t>& Steps() const { return aSteps; }
    uint8_t Step(int nStep) const;  // 0 for a step that does not exist
    // nLed 1..8: LED 1 is bit 0.
    bool IsLit(int nStep, int nLed) const;
    const std::string& Name() const { return strName; }
    bool MixAllowed() const { return bMixAllowed; }

    // The most steps this draft may have: the store's limit, or more when the record
    // already had more, so that undo can always go back to where the draft started.
    int MaxSteps() const { return nMaxSteps; }
    bool CanAddStep() const { return StepCount() < nMaxSteps; }
    // Differs from the record the draft was made from.
    bool IsChanged() const;

    bool CanApply(const DraftEdit& edit) const;
    // Makes the change and returns the edit that reverses it; a change that the limits
    // refuse changes nothing and gives nothing.
    std::optional<DraftEdit> Apply(const DraftEdit& edit);

    // Puts the draft into a record; the record's EEPROM addresses stay.
    void WriteBack(LightProgram& r) const;

    // At most 12 characters, each one that Windows-1252 assigns and no control
    // character (a line break would split the program file's line).
    static bool IsValidName(const std::string& strName);

private:
    bool IsAllowedName(const std::string& strCandidate) const;

    std::vector<uint8_t> aSteps;
    std::string strName;
    bool bMixAllowed = false;
    int nMaxSteps = kMaxFileSteps;

    // As made, to tell whether anything changed.
    std::vector<uint8_t> aOrigSteps;
    std::string strOrigName;
    bool bOrigMix = false;
};

// Edits as the editor's commands phrase them. nLed 1..8.
DraftEdit ToggleLedEdit(const CProgramDraft& d, int nStep, int nLed);
DraftEdit PaintLedEdit(const CProgramDraft& d, int nStep, int nLed, bool bOn);
// A dark step after nStep (-1: at the start).
DraftEdit InsertAfterEdit(int nStep);
DraftEdit DuplicateEdit(const CProgramDraft& d, int nStep);
// Up towards step 1 (bUp) or down towards the end.
DraftEdit MoveEdit(int nStep, bool bUp);
// The step an edit is about, for putting the cursor there; -1 when none.
int EditFocusStep(const DraftEdit& edit);
