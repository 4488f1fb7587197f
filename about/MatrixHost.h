// What the text-rain animation needs from the window it runs in: timers, the rain
// surface it draws into, and the measures of its fonts. The window implements these;
// tests implement them with fixed measures and recorders.
#pragma once

#include <cstdint>
#include <string_view>

struct RainColor {
    uint8_t byRed = 0;
    uint8_t byGreen = 0;
    uint8_t byBlue = 0;
    bool operator==(const RainColor&) const = default;
};

// Text measures of one font, in pixels. Texts are narrow Windows-1252 bytes.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int AvgCharWidth() const = 0;
    virtual int CharHeight() const = 0;
    virtual int TextWidth(std::string_view str) const = 0;
};

class MatrixHost {
public:
    virtual ~MatrixHost() = default;
    // Starting a running timer again restarts its period.
    virtual void SetTimer(int nId, int nMilliseconds) = 0;
    virtual void KillTimer(int nId) = 0;
    // A black rain surface and a blank wipe picture, both of the given size.
    virtual void CreateRainSurfaces(int nWidth, int nHeight) = 0;
    // One character on the rain surface in the rain font, its cell's top left at
    // (nX, nY), transparent background (a space therefore leaves no mark).
    virtual void DrawRainChar(int nX, int nY, char ch, RainColor cr) = 0;
    // The wipe picture stretched onto the rain surface into the given rectangle.
    virtual void StretchZoom(int nX, int nY, int nWidth, int nHeight) = 0;
};
