#include "app/PortList.h"

#include <algorithm>

#include "serial/SerialPort.h"

bool CPortList::Update(const std::vector<unsigned>& aFound, bool bComEmu) {
    std::vector<unsigned> aNew;
    std::copy_if(aFound.begin(), aFound.end(), std::back_inserter(aNew),
                 [](unsigned nPort) { return nPort >= 1 && nPort <= kMaxOpenPort; });
    const bool bNewEmulatedOnly = bComEmu && aNew.empty();
    if (bNewEmulatedOnly)
        aNew.push_back(1);
    if (aNew == aRows && bNewEmulatedOnly == bEmulatedOnly)
        return false;
    aRows = std::move(aNew);
    bEmulatedOnly = bNewEmulatedOnly;
    return true;
}

unsigned CPortList::PortOfRow(int nRow) const {
    return nRow >= 0 && static_cast<size_t>(nRow) < aRows.size() ? aRows[nRow] : 0;
}

int CPortList::RowToSelect(unsigned nSelectedBefore) const {
    const auto it = std::find(aRows.begin(), aRows.end(), nSelectedBefore);
    return nSelectedBefore != 0 && it != aRows.end() ? static_cast<int>(it - aRows.begin()) : 0;
}
