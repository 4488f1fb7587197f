#include "tests/support/FakeView.h"

#include "app/ControlIds.h"

FakeView::FakeView() {
    for (int nId : {IDC_COMPORT, IDC_PROGRAM, IDC_COMMAND})
        controls[nId] = Control{};
    controls[IDC_CONNECT].strText = "connect";
    controls[IDC_START].strText = "start";
    controls[IDC_CLR].strText = "clr";
    controls[IDC_SPEED] = Control{};
    controls[IDC_FILENAME] = Control{};
    controls[IDC_TRACE] = Control{};
    controls[IDC_RXCOUNT] = Control{};
    controls[IDC_TXCOUNT] = Control{};
    for (int n = 0; n < 8; ++n) {
        controls[IDC_LED_CHECK_1 + n].strText = std::to_string(n + 1);
        controls[kLedStatics[n].nOff].nIcon = IDI_LED_OFF;
        controls[kLedStatics[n].nOn].nIcon = 130;
        controls[kLedStatics[n].nOn].bShown = false;
    }
    controls[IDC_RUNICON].nIcon = IDI_RUN_GREEN;
    controls[IDC_RUNICON].bShown = false;
}

void FakeView::Log(const char* pCall, int nId, const std::string& strArg) const {
    if (!bLogCalls)
        return;
    std::string strLine = std::string(pCall) + " " + std::to_string(nId);
    if (!strArg.empty()) {
        strLine += " ";
        // One call per line: line ends and backslashes are written as escapes.
        for (char ch : strArg) {
            if (ch == '\\')
                strLine += "\\\\";
            else if (ch == '\r')
                strLine += "\\r";
            else if (ch == '\n')
                strLine += "\\n";
            else
                strLine += ch;
        }
    }
    aCalls.push_back(strLine);
}

bool FakeView::HasControl(int nId) const {
    Log("HasControl", nId);
    return controls.count(nId) != 0;
}

std::string FakeView::GetText(int nId) const {
    Log("GetText", nId);
    auto it = controls.find(nId);
    return it == controls.end() ? std::string() : it->second.strText;
}
void FakeView::SetText(int nId, const std::string& s) {
    Log("SetText", nId, s);
    if (Has(nId))
        controls[nId].strText = s;
}
void FakeView::AppendText(int nId, const std::string& s) {
    Log("AppendText", nId, s);
    if (Has(nId))
        controls[nId].strText += s;
}
void FakeView::ScrollToEnd(int nId) {
    Log("ScrollToEnd", nId);
    if (Has(nId))
        controls[nId].nScrolls++;
}
void FakeView::Redraw(int nId) {
    Log("Redraw", nId);
    if (Has(nId))
        controls[nId].nRedraws++;
}
bool FakeView::GetCheck(int nId) const {
    Log("GetCheck", nId);
    auto it = controls.find(nId);
    return it != controls.end() && it->second.bChecked;
}
void FakeView::SetCheck(int nId, bool b) {
    Log("SetCheck", nId, b ? "1" : "0");
    if (Has(nId))
        controls[nId].bChecked = b;
}
void FakeView::Show(int nId, bool b) {
    Log("Show", nId, b ? "1" : "0");
    if (Has(nId))
        controls[nId].bShown = b;
}
bool FakeView::IsShown(int nId) const {
    Log("IsShown", nId);
    auto it = controls.find(nId);
    return it != controls.end() && it->second.bShown;
}
void FakeView::SetIcon(int nId, int nIconRes) {
    if (bLogCalls)
        Log("SetIcon", nId, std::to_string(nIconRes));
    if (Has(nId))
        controls[nId].nIcon = nIconRes;
}
void FakeView::ComboReset(int nId) {
    Log("ComboReset", nId);
    if (!Has(nId))
        return;
    controls[nId].aRows.clear();
    controls[nId].aTips.clear();
    controls[nId].nSel = -1;
}
int FakeView::ComboCount(int nId) const {
    Log("ComboCount", nId);
    auto it = controls.find(nId);
    return it == controls.end() ? -1 : static_cast<int>(it->second.aRows.size());
}
int FakeView::ComboGetSel(int nId) const {
    Log("ComboGetSel", nId);
    auto it = controls.find(nId);
    return it == controls.end() ? -1 : it->second.nSel;
}
void FakeView::ComboSetSel(int nId, int nRow) {
    if (bLogCalls)
        Log("ComboSetSel", nId, std::to_string(nRow));
    if (!Has(nId))
        return;
    Control& c = controls[nId];
    c.nSel = (nRow >= 0 && nRow < static_cast<int>(c.aRows.size())) ? nRow : -1;
    // Like an editable combo box, selecting a row puts its text into the text field.
    if (c.nSel >= 0)
        c.strText = c.aRows[c.nSel];
}
std::string FakeView::ComboGetRow(int nId, int nRow) const {
    if (bLogCalls)
        Log("ComboGetRow", nId, std::to_string(nRow));
    auto it = controls.find(nId);
    if (it == controls.end() || nRow < 0 || nRow >= static_cast<int>(it->second.aRows.size()))
        return {};
    return it->second.aRows[nRow];
}
void FakeView::ComboInsert(int nId, int nRow, const std::string& s) {
    if (bLogCalls)  // the text is built only for the log
        Log("ComboInsert", nId, std::to_string(nRow) + "," + s);
    if (!Has(nId))
        return;
    Control& c = controls[nId];
    if (nRow < 0 || nRow > static_cast<int>(c.aRows.size()))
        nRow = static_cast<int>(c.aRows.size());
    c.aRows.insert(c.aRows.begin() + nRow, s);
    c.aTips.insert(c.aTips.begin() + nRow, std::string());
    if (c.nSel >= nRow)
        c.nSel++;
}
void FakeView::ComboDelete(int nId, int nRow) {
    if (bLogCalls)
        Log("ComboDelete", nId, std::to_string(nRow));
    if (!Has(nId))
        return;
    Control& c = controls[nId];
    if (nRow < 0 || nRow >= static_cast<int>(c.aRows.size()))
        return;
    c.aRows.erase(c.aRows.begin() + nRow);
    c.aTips.erase(c.aTips.begin() + nRow);
    if (c.nSel == nRow)
        c.nSel = -1;
    else if (c.nSel > nRow)
        c.nSel--;
}
void FakeView::ComboSetRowTip(int nId, int nRow, const std::string& s) {
    if (bLogCalls)
        Log("ComboSetRowTip", nId, std::to_string(nRow) + "," + s);
    if (!Has(nId))
        return;
    Control& c = controls[nId];
    if (nRow >= 0 && nRow < static_cast<int>(c.aTips.size()))
        c.aTips[nRow] = s;
}
void FakeView::SliderSetRange(int nId, int nMin, int nMax) {
    if (bLogCalls)
        Log("SliderSetRange", nId, std::to_string(nMin) + "," + std::to_string(nMax));
    if (!Has(nId))
        return;
    controls[nId].nMin = nMin;
    controls[nId].nMax = nMax;
}
void FakeView::SliderSetPos(int nId, int nPos) {
    if (bLogCalls)
        Log("SliderSetPos", nId, std::to_string(nPos));
    if (!Has(nId))
        return;
    Control& c = controls[nId];
    c.nPos = nPos < c.nMin ? c.nMin : (nPos > c.nMax ? c.nMax : nPos);
}
int FakeView::SliderGetPos(int nId) const {
    Log("SliderGetPos", nId);
    auto it = controls.find(nId);
    return it == controls.end() ? 0 : it->second.nPos;
}
void FakeView::SetTimer(int nTimerId, int nPeriodMs) {
    if (bLogCalls)
        Log("SetTimer", nTimerId, std::to_string(nPeriodMs));
    timers[nTimerId] = nPeriodMs;
    aTimerLog.emplace_back(nTimerId, nPeriodMs);
}
void FakeView::KillTimer(int nTimerId) {
    Log("KillTimer", nTimerId);
    timers.erase(nTimerId);
    aTimerLog.emplace_back(nTimerId, 0);
}
void FakeView::WatchPort(int nFd) {
    Log("WatchPort", nFd);
    nWatchedFd = nFd;
    aWatchLog.push_back(nFd);
}
SaveAnswer FakeView::AskToSave(const std::string& s) {
    Log("AskToSave", 0, s);
    aSaveQuestions.push_back(s);
    if (qSaveQuestionAnswers.empty())
        return SaveAnswer::Cancel;
    const SaveAnswer answer = qSaveQuestionAnswers.front();
    qSaveQuestionAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeView::ChooseOpenFile(const std::string& strFilter) {
    Log("ChooseOpenFile", 0, strFilter);
    aFilters.push_back(strFilter);
    if (qOpenAnswers.empty())
        return std::nullopt;
    auto a = qOpenAnswers.front();
    qOpenAnswers.pop_front();
    return a;
}
std::optional<std::string> FakeView::ChooseSaveFile(const std::string& strFilter) {
    Log("ChooseSaveFile", 0, strFilter);
    aFilters.push_back(strFilter);
    if (qSaveAnswers.empty())
        return std::nullopt;
    auto a = qSaveAnswers.front();
    qSaveAnswers.pop_front();
    return a;
}
int FakeView::TimerPeriod(int nTimerId) const {
    auto it = timers.find(nTimerId);
    return it == timers.end() ? 0 : it->second;
}
int FakeView::ShownLeds() const {
    int n = 0;
    for (int i = 0; i < 8; ++i)
        if (controls.at(kLedStatics[i].nOn).bShown && !controls.at(kLedStatics[i].nOff).bShown)
            n |= 1 << i;
    return n;
}
bool FakeView::SelectCommand(const std::string& strLabel) {
    Control& c = controls[IDC_COMMAND];
    for (size_t i = 0; i < c.aRows.size(); ++i) {
        if (c.aRows[i] == strLabel) {
            c.nSel = static_cast<int>(i);
            c.strText = strLabel;
            return true;
        }
    }
    return false;
}
