#include "programs/ProgramDraft.h"

#include <algorithm>
#include <cstring>

namespace {

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
// clang 14 does not deduce an aggregate's arguments by itself.
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

uint8_t LedBit(int nLed) {
    return static_cast<uint8_t>(1u << (nLed - 1));
}

// Windows-1252 leaves five bytes unassigned; they would come back as control
// characters on the screen.
bool IsNameByte(unsigned char by) {
    if (by < 0x20 || by == 0x7F)
        return false;
    return by != 0x81 && by != 0x8D && by != 0x8F && by != 0x90 && by != 0x9D;
}

}  // namespace

CProgramDraft::CProgramDraft(const LightProgram& r) {
    const int nSteps = std::min<int>(r.Steps, kDataSize);
    aSteps.assign(r.Data, r.Data + nSteps);
    strName.assign(r.Name, strnlen(r.Name, kMaxNameLen));
    bMixAllowed = r.MixAllowed != 0;
    nMaxSteps = std::max(kMaxFileSteps, nSteps);
    aOrigSteps = aSteps;
    strOrigName = strName;
    bOrigMix = bMixAllowed;
}

uint8_t CProgramDraft::Step(int nStep) const {
    return nStep >= 0 && nStep < StepCount() ? aSteps[static_cast<size_t>(nStep)] : 0;
}

bool CProgramDraft::IsLit(int nStep, int nLed) const {
    return nLed >= 1 && nLed <= 8 && (Step(nStep) & LedBit(nLed)) != 0;
}

bool CProgramDraft::IsChanged() const {
    return aSteps != aOrigSteps || strName != strOrigName || bMixAllowed != bOrigMix;
}

bool CProgramDraft::IsValidName(const std::string& strCandidate) {
    return strCandidate.size() <= kMaxNameLen &&
           std::all_of(strCandidate.begin(), strCandidate.end(),
                       [](char c) { return IsNameByte(static_cast<unsigned char>(c)); });
}

bool CProgramDraft::IsAllowedName(const std::string& strCandidate) const {
    // The name the record came with is always allowed back, whatever it holds.
    return IsValidName(strCandidate) || strCandidate == strOrigName;
}

bool CProgramDraft::CanApply(const DraftEdit& edit) const {
    const int n = StepCount();
    return std::visit(
        Overloaded{
            [n](const draft::SetStep& e) { return e.nStep >= 0 && e.nStep < n; },
            [n, this](const draft::InsertStep& e) {
                return e.nStep >= 0 && e.nStep <= n && n < nMaxSteps;
            },
            [n](const draft::RemoveStep& e) { return e.nStep >= 0 && e.nStep < n; },
            [n](const draft::SwapSteps& e) { return e.nStep >= 0 && e.nStep + 1 < n; },
            [this](const draft::SetName& e) { return IsAllowedName(e.strName); },
            [](const draft::SetMix&) { return true; },
            [this](const draft::ReplaceSteps& e) {
                return static_cast<int>(e.aSteps.size()) <= nMaxSteps;
            },
        },
        edit);
}

std::optional<DraftEdit> CProgramDraft::Apply(const DraftEdit& edit) {
    if (!CanApply(edit))
        return std::nullopt;
    return std::visit(Overloaded{
                          [this](const draft::SetStep& e) -> DraftEdit {
                              uint8_t& by = aSteps[static_cast<size_t>(e.nStep)];
                              const uint8_t byOld = by;
                              by = e.byValue;
                              return draft::SetStep{e.nStep, byOld};
                          },
                          [this](const draft::InsertStep& e) -> DraftEdit {
                              aSteps.insert(aSteps.begin() + e.nStep, e.byValue);
                              return draft::RemoveStep{e.nStep};
                          },
                          [this](const draft::RemoveStep& e) -> DraftEdit {
                              const uint8_t byOld = aSteps[static_cast<size_t>(e.nStep)];
                              aSteps.erase(aSteps.begin() + e.nStep);
                              return draft::InsertStep{e.nStep, byOld};
                          },
                          [this](const draft::SwapSteps& e) -> DraftEdit {
                              std::swap(aSteps[static_cast<size_t>(e.nStep)],
                                        aSteps[static_cast<size_t>(e.nStep) + 1]);
                              return e;
                          },
                          [this](const draft::SetName& e) -> DraftEdit {
                              draft::SetName undo{strName};
                              strName = e.strName;
                              return undo;
                          },
                          [this](const draft::SetMix& e) -> DraftEdit {
                              const draft::SetMix undo{bMixAllowed};
                              bMixAllowed = e.bMixAllowed;
                              return undo;
                          },
                          [this](const draft::ReplaceSteps& e) -> DraftEdit {
                              draft::ReplaceSteps undo{aSteps};
                              aSteps = e.aSteps;
                              return undo;
                          },
                      },
                      edit);
}

void CProgramDraft::WriteBack(LightProgram& r) const {
    r.MixAllowed = bMixAllowed ? 1 : 0;
    r.Steps = static_cast<uint16_t>(aSteps.size());
    std::memset(r.Name, 0, sizeof r.Name);
    std::memcpy(r.Name, strName.data(), std::min<size_t>(strName.size(), kMaxNameLen));
    // Bytes past the last step are cleared, as a file load leaves them.
    std::memset(r.Data, 0, sizeof r.Data);
    std::copy(aSteps.begin(), aSteps.end(), r.Data);
}

DraftEdit ToggleLedEdit(const CProgramDraft& d, int nStep, int nLed) {
    return draft::SetStep{nStep, static_cast<uint8_t>(d.Step(nStep) ^ LedBit(nLed))};
}

DraftEdit PaintLedEdit(const CProgramDraft& d, int nStep, int nLed, bool bOn) {
    const uint8_t by = d.Step(nStep);
    return draft::SetStep{nStep,
                          static_cast<uint8_t>(bOn ? (by | LedBit(nLed)) : (by & ~LedBit(nLed)))};
}

DraftEdit InsertAfterEdit(int nStep) {
    return draft::InsertStep{nStep + 1, 0};
}

DraftEdit DuplicateEdit(const CProgramDraft& d, int nStep) {
    if (nStep < 0 || nStep >= d.StepCount())
        return draft::InsertStep{-1, 0};  // no such step: an edit that is refused
    return draft::InsertStep{nStep + 1, d.Step(nStep)};
}

DraftEdit MoveEdit(int nStep, bool bUp) {
    return draft::SwapSteps{bUp ? nStep - 1 : nStep};
}

int EditFocusStep(const DraftEdit& edit) {
    return std::visit(Overloaded{
                          [](const draft::SetStep& e) { return e.nStep; },
                          [](const draft::InsertStep& e) { return e.nStep; },
                          // The step that took the removed one's place, or the one before.
                          [](const draft::RemoveStep& e) { return e.nStep; },
                          [](const draft::SwapSteps& e) { return e.nStep; },
                          [](const draft::SetName&) { return -1; },
                          [](const draft::SetMix&) { return -1; },
                          [](const draft::ReplaceSteps&) { return 0; },
                      },
                      edit);
}
