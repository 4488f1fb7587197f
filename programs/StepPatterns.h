// Whole programs made from a rule, to start an effect from. LED 8 is the leftmost
// lamp (bit 7), LED 1 the rightmost (bit 0).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One lit LED runs from the right end (LED 1) to the left end (LED 8).
std::vector<uint8_t> ChaseLeftSteps();
// One lit LED runs from the left end (LED 8) to the right end (LED 1).
std::vector<uint8_t> ChaseRightSteps();
// One lit LED runs from the right end to the left and back, without showing either
// end twice, so that it loops smoothly.
std::vector<uint8_t> BounceSteps();
// The LEDs light one after another from the left until all are on, then all go out.
std::vector<uint8_t> FillSteps();
// All LEDs on, then all off.
std::vector<uint8_t> BlinkAllSteps();
// The step number in binary: 0 to 255.
std::vector<uint8_t> BinaryCountSteps();

struct StepPattern {
    const char* pName;
    std::vector<uint8_t> (*pMake)();
};
extern const std::array<StepPattern, 6> kStepPatterns;
