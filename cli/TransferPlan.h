// How many request-reply exchanges a transfer takes, from the sizes the static info
// gives before the first data request. Reads cannot know a program's length before its
// length word has come; until then the most it may hold is counted.
#pragma once

#include <vector>

#include "programs/LightProgram.h"
#include "protocol/StaticInfo.h"

// Writing one program (its info request included).
int WriteProgExchanges(const LightProgram& prog, const StaticInfo& info);
// Reading one program (its info request included); bKnown false: the largest it may be.
int ReadProgExchanges(const LightProgram& prog, bool bKnown, const StaticInfo& info);

// A whole store: the static info, the nine programs, the MIX length.
int WriteAllExchanges(const ProgramStore& store, const StaticInfo& info);
// aKnown lists the programs (1-9) already read into store.
int ReadAllExchanges(const ProgramStore& store, const std::vector<int>& aKnown,
                     const StaticInfo& info);
