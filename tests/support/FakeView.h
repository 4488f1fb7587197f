// In-memory window for the dialog logic: controls by id, timers that tests step by
// hand, and dialogs answered from queues.
#pragma once

#include <list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/DialogView.h"

class FakeView : public DialogView {
public:
    struct Control {
        std::string strText;
        bool bChecked = false;
        bool bShown = true;
        int nIcon = 0;
        int nRedraws = 0;
        int nScrolls = 0;
        std::vector<std::string> aRows;
        std::vector<std::string> aTips;
        int nSel = -1;
        int nMin = 0, nMax = 100, nPos = 0;
    };

    // A view with every control of dialog 102 in its template state.
    FakeView();

    bool HasControl(int nId) const override;
    std::string GetTitle() const override {
        Log("GetTitle", 0);
        return strTitle;
    }
    void SetTitle(const std::string& s) override {
        Log("SetTitle", 0, s);
        strTitle = s;
    }
    void SetWindowIcon(int nIconRes) override {
        Log("SetWindowIcon", nIconRes);
        nWindowIcon = nIconRes;
    }
    std::string GetText(int nId) const override;
    void SetText(int nId, const std::string& s) override;
    void AppendText(int nId, const std::string& s) override;
    void ScrollToEnd(int nId) override;
    void Redraw(int nId) override;
    bool GetCheck(int nId) const override;
    void SetCheck(int nId, bool b) override;
    void Show(int nId, bool b) override;
    bool IsShown(int nId) const override;
    void SetIcon(int nId, int nIconRes) override;
    void ComboReset(int nId) override;
    int ComboCount(int nId) const override;
    int ComboGetSel(int nId) const override;
    void ComboSetSel(int nId, int nRow) override;
    std::string ComboGetRow(int nId, int nRow) const override;
    void ComboInsert(int nId, int nRow, const std::string& s) override;
    void ComboDelete(int nId, int nRow) override;
    void ComboSetRowTip(int nId, int nRow, const std::string& s) override;
    void SliderSetRange(int nId, int nMin, int nMax) override;
    void SliderSetPos(int nId, int nPos) override;
    int SliderGetPos(int nId) const override;
    void SetTimer(int nTimerId, int nPeriodMs) override;
    void KillTimer(int nTimerId) override;
    void WatchPort(int nFd) override;
    void MessageBox(const std::string& s) override {
        Log("MessageBox", 0, s);
        aMessages.push_back(s);
    }
    SaveAnswer AskToSave(const std::string& s) override;
    std::optional<std::string> ChooseOpenFile(const std::string& strFilter) override;
    std::optional<std::string> ChooseSaveFile(const std::string& strFilter) override;
    void ShowAboutBox() override {
        Log("ShowAboutBox", 0);
        nAboutShown++;
    }
    void ShowProgramEditor(int nIndex, const LightProgram& r) override {
        Log("ShowProgramEditor", nIndex);
        aEditorsShown.emplace_back(nIndex, r);
    }
    void ShowPreviewStep(int nStep, uint8_t byLeds) override {
        Log("ShowPreviewStep", nStep);
        aPreviewSteps.emplace_back(nStep, byLeds);
    }

    // Test helpers
    Control& Ctl(int nId) { return controls.at(nId); }
    void Remove(int nId) { controls.erase(nId); }
    // Period of a running timer, or 0 when it is stopped.
    int TimerPeriod(int nTimerId) const;
    // The LED byte the lamps show (bit n-1 for LED n lit).
    int ShownLeds() const;
    // Selects a command row by its label; false if there is none.
    bool SelectCommand(const std::string& strLabel);

    std::string strTitle = "Glowdesk";
    int nWindowIcon = 0;
    std::map<int, Control> controls;
    std::map<int, int> timers;                   // id -> period of running timers
    std::vector<std::pair<int, int>> aTimerLog;  // (id, period) of every SetTimer, 0 = kill
    int nWatchedFd = -1;                         // the descriptor watched for input
    std::vector<int> aWatchLog;                  // every WatchPort argument
    std::vector<std::string> aMessages;
    // Answers for ChooseOpenFile and ChooseSaveFile. Lists: a deque allocates when it is
    // made, and a fuzz target makes a view per input.
    std::list<std::optional<std::string>> qOpenAnswers;
    std::list<std::optional<std::string>> qSaveAnswers;
    // Answers for AskToSave; Cancel when none is left.
    std::list<SaveAnswer> qSaveQuestionAnswers;
    std::vector<std::string> aSaveQuestions;  // the text of every AskToSave
    std::vector<std::string> aFilters;
    int nAboutShown = 0;
    std::vector<std::pair<int, LightProgram>> aEditorsShown;  // program index, record
    std::vector<std::pair<int, uint8_t>> aPreviewSteps;       // step, LEDs
    // Every call the logic made on the view, getters included, one line each, in order
    // ("SetText 1004 Rx: 0"); line ends in texts are written as \r and \n.
    mutable std::vector<std::string> aCalls;
    bool bLogCalls = false;  // on for tests that compare the whole log

private:
    bool Has(int nId) const { return controls.count(nId) != 0; }
    void Log(const char* pCall, int nId, const std::string& strArg = {}) const;
};
