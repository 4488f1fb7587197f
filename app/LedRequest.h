// What the LED requests to the Handheld still owe: while a device operation runs, its
// requests have the line to themselves (one request, one reply), so an LED change
// made meanwhile is held, only the newest one, and sent when the operation ends.
#pragma once

#include <cstdint>
#include <optional>

class CLedRequestHold {
public:
    void Hold(uint8_t byLeds) { byHeld = byLeds; }
    // The newest held value, once.
    std::optional<uint8_t> Take() {
        std::optional<uint8_t> by = byHeld;
        byHeld.reset();
        return by;
    }
    void Drop() { byHeld.reset(); }
    bool IsHeld() const { return byHeld.has_value(); }

    // A run of LED frames the port would not take is reported once, not per frame.
    bool bStalled = false;

private:
    std::optional<uint8_t> byHeld;
};
