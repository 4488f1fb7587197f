// What differs between two program stores, as a user reads it: one line per program
// that differs ("program 3: steps differ from step 17"), then the MIX length.
#pragma once

#include <string>
#include <vector>

#include "programs/LightProgram.h"

// Empty when the programs (name, MIX flag, steps) and the MIX length are equal; the
// EEPROM addresses are not compared.
std::vector<std::string> StoreDifferences(const ProgramStore& expected, const ProgramStore& actual);
