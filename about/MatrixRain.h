// The text-rain animation of the about box, without a display: the letters of the
// current line fall in columns, two runs of random glyphs sweep the window, and the
// line shows in the middle when the horizontal run reaches its place. After the last
// line the rain dies out, a black rectangle grows from the centre and all starts again.
//
// The window forwards its size and timer ticks here and draws what Frame() describes
// over the rain surface after every tick.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "about/MatrixHost.h"
#include "base/Rand.h"

struct RainCell {
    uint8_t byShade = 75;  // green level once the head has passed
    char ch = ' ';
};

struct RainColumn {
    std::unique_ptr<RainCell[]> pCells;
    int32_t nLength = 0;  // 5 to 15 cells
    int32_t bActive = 0;  // started and not yet finished
    int32_t nPhase = 0;   // 0 falling, 1 erasing
    int32_t nPos = 0;     // the row the column works on next
};

// What composing draws over a copy of the rain surface, in this order.
struct MatrixFrame {
    std::string strCenter;   // centred in the window, display font
    bool bHideBand = false;  // a black band hides the old line until the new one shows
    int nBandRight = 0;      // the band runs from x = 0 to here
    int nBandTop = 0;
    int nBandBottom = 0;
    std::string strRunV;  // horizontally centred, top at nRunY
    int nRunY = 0;
    std::string strRunH;  // vertically centred, left edge at nRunX
    int nRunX = 0;
};

class CMatrixRain {
public:
    static constexpr int kMaxCols = 150;
    static constexpr int kRunLength = 18;
    static constexpr int kRunGlyphs = 14;  // runs draw from the first 14 glyphs
    static constexpr std::string_view kGlyphs =
        "\xBF\x50\x41\xA9\xA2\xAA\xA3\xA5\xA7\xA9\x42\xFE\xA7\xBF\xDE\x4C\xE7\x4F\xAA";
    static constexpr int kTimerRunH = 100;
    static constexpr int kTimerRunV = 200;
    static constexpr int kTimerRain = 300;
    static constexpr int kPeriodRunH = 10;
    static constexpr int kPeriodRunV = 15;
    static constexpr int kPeriodRain = 120;
    static constexpr RainColor kHeadColor{0, 255, 0};
    static constexpr RainColor kStartColor{255, 255, 255};
    static constexpr RainColor kBlack{0, 0, 0};

    // rainFont measures the window's default font (rain and centring), displayFont
    // the font of the centred line and the runs.
    CMatrixRain(MatrixHost& host, const TextMeasure& rainFont, const TextMeasure& displayFont,
                CRand& rand);

    // Replaces the comma-separated list of lines; call before Start.
    void SetText(std::string_view strText) { strLines = strText; }
    // The client size changed (also called once before Start).
    void OnSize(int nClientWidth, int nClientHeight);
    // Sets the runs to their starting places, sets up the rain and starts the timers.
    void Start();
    void OnTimer(int nId);
    MatrixFrame Frame() const;

    int Width() const { return nWidth; }
    int Height() const { return nHeight; }
    int Cols() const { return nCols; }
    int Rows() const { return nRows; }
    int ColWidth() const { return nColWidth; }
    int LineHeight() const { return nLineHeight; }
    const RainColumn& Column(int j) const { return aColumns[j]; }
    int ActiveCols() const { return nActiveCols; }
    int RainLine() const { return nRainLine; }
    int NextLine() const { return nNextLine; }
    int TextX() const { return nTextX; }
    int RunX() const { return nRunX; }
    int RunY() const { return nRunY; }
    double Zoom() const { return dZoom; }
    const std::string& Center() const { return strCenter; }
    const std::string& ColumnText() const { return strColumnText; }

private:
    void InitRain();
    void RefillColumn(int j);
    void CenterNextLine();
    void StepRain();
    void StepRunH();
    void StepRunV();
    void StepWipe();
    void Restart();
    std::string NewRun();
    void DrawCell(int j, int nRow, char ch, RainColor cr);

    MatrixHost& host;
    const TextMeasure& rainFont;
    const TextMeasure& displayFont;
    CRand& rand;

    int32_t nRows = 0;
    int32_t nCols = -1;
    int32_t nLineHeight = 0;
    int32_t nColWidth = 0;
    RainColumn aColumns[kMaxCols];
    int32_t nActiveCols = 0;
    int32_t bSpawnTurn = 1;
    std::string strColumnText;
    int32_t nTextX = 0;
    double dZoom = 1.0;
    int32_t nZoomWidth = 0;  // the wipe picture keeps the size it was made with
    int32_t nZoomHeight = 0;
    int32_t nRainLine = 0;
    int32_t nNextLine = 0;
    std::string strLines = "What is the Matrix?";
    std::string strRunV{kGlyphs};
    std::string strRunH{kGlyphs};
    std::string strCenter;
    int32_t nRunY = 0;
    int32_t nRunX = 0;
    int32_t nHeight = 0;
    int32_t nWidth = 0;
};
