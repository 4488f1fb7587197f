#include "programs/StepPatterns.h"

std::vector<uint8_t> ChaseLeftSteps() {
    std::vector<uint8_t> a;
    for (int nBit = 0; nBit < 8; ++nBit)
        a.push_back(static_cast<uint8_t>(1u << nBit));
    return a;
}

std::vector<uint8_t> ChaseRightSteps() {
    std::vector<uint8_t> a;
    for (int nBit = 7; nBit >= 0; --nBit)
        a.push_back(static_cast<uint8_t>(1u << nBit));
    return a;
}

std::vector<uint8_t> BounceSteps() {
    std::vector<uint8_t> a = ChaseLeftSteps();
    for (int nBit = 6; nBit >= 1; --nBit)
        a.push_back(static_cast<uint8_t>(1u << nBit));
    return a;
}

std::vector<uint8_t> FillSteps() {
    std::vector<uint8_t> a;
    unsigned nLit = 0;
    for (int nBit = 7; nBit >= 0; --nBit) {
        nLit |= 1u << nBit;
        a.push_back(static_cast<uint8_t>(nLit));
    }
    a.push_back(0x00);
    return a;
}

std::vector<uint8_t> BlinkAllSteps() {
    return {0xFF, 0x00};
}

std::vector<uint8_t> BinaryCountSteps() {
    std::vector<uint8_t> a;
    for (int n = 0; n < 256; ++n)
        a.push_back(static_cast<uint8_t>(n));
    return a;
}

const std::array<StepPattern, 6> kStepPatterns = {{
    {"Chase left", ChaseLeftSteps},
    {"Chase right", ChaseRightSteps},
    {"Bounce", BounceSteps},
    {"Fill", FillSteps},
    {"Blink all", BlinkAllSteps},
    {"Binary count", BinaryCountSteps},
}};
