// The rows of the COM port box: which port numbers it lists, which number a row stands
// for, and which row a refresh selects.
#pragma once

#include <vector>

class CPortList {
public:
    // Takes the numbers an enumeration found; true when the rows changed. The box lists
    // only numbers that the port's open takes (1-99), in the order found. On a machine
    // without such ports, emulation still offers COM1, so that connect has a row.
    bool Update(const std::vector<unsigned>& aFound, bool bComEmu);

    const std::vector<unsigned>& Rows() const { return aRows; }
    // The one COM1 row stands for the emulated Handheld, not for a port.
    bool IsEmulatedOnly() const { return bEmulatedOnly; }
    // The number row nRow stands for; 0 for no row.
    unsigned PortOfRow(int nRow) const;
    // The row to select after the rows changed: the one with the number selected before
    // when it is still there, otherwise row 0, as at start-up.
    int RowToSelect(unsigned nSelectedBefore) const;

private:
    std::vector<unsigned> aRows;
    bool bEmulatedOnly = false;
};
