// One light program and the table of nine that the program keeps in memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int kProgCount = 9;       // programs 1 to 9
constexpr int kMaxFileSteps = 896;  // most steps read from a file
constexpr int kDataSize = 897;      // room for step bytes in a record
constexpr int kNameSize = 13;       // 12 characters and the terminating NUL
constexpr uint8_t kDefaultRandomLen = 80;

// Program list entries of the program box
constexpr int kEntryRandom = 9;
constexpr int kEntryMix = 10;
constexpr int kEntryCount = 11;

struct LightProgram {
    int32_t MixAllowed = 0;  // 1: takes part in MIX
    uint16_t Steps = 0;      // valid bytes in Data
    char Name[kNameSize] = {};
    uint8_t Data[kDataSize] = {};  // bit 0 = LED 1 ... bit 7 = LED 8
    uint16_t PosProgLen = 0;       // the Handheld's EEPROM addresses
    uint16_t PosProgName = 0;
    uint16_t PosProgData = 0;
};

struct ProgramStore {
    std::array<LightProgram, kProgCount> aProgs{};
    uint8_t RandomLen = kDefaultRandomLen;  // extra Random steps under MIX

    // Every field of every record, the EEPROM addresses too.
    void ClearPrograms() { aProgs.fill(LightProgram{}); }
    // The program box's row for an entry (0-8 a program, 9 Random, 10 MIX); "" for
    // any other number.
    std::string EntryText(int nEntry) const;
};
