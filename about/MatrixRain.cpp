#include "about/MatrixRain.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "about/ExtractSubString.h"

CMatrixRain::CMatrixRain(MatrixHost& hostIn, const TextMeasure& rainFontIn,
                         const TextMeasure& displayFontIn, CRand& randIn)
    : host(hostIn), rainFont(rainFontIn), displayFont(displayFontIn), rand(randIn) {}

void CMatrixRain::OnSize(int nClientWidth, int nClientHeight) {
    // Only the size is kept: the columns, the rain surface and the wipe picture stay
    // as they were made.
    nWidth = nClientWidth;
    nHeight = nClientHeight;
}

void CMatrixRain::Start() {
    nRunY = -(nHeight / 3);
    nRunX = -(nWidth / 2);
    InitRain();
    host.SetTimer(kTimerRunH, kPeriodRunH);
    host.SetTimer(kTimerRunV, kPeriodRunV);
    host.SetTimer(kTimerRain, kPeriodRain);
}

void CMatrixRain::InitRain() {
    nColWidth = rainFont.AvgCharWidth() + 10;
    // A font without height would leave no rows to count.
    nLineHeight = std::max(1, rainFont.CharHeight());
    // The table holds kMaxCols columns; a wider window uses the first ones.
    nCols = std::clamp(nWidth / nColWidth, 0, kMaxCols);
    nRows = nHeight / nLineHeight;
    for (int j = 0; j < nCols; ++j) {
        RainColumn& col = aColumns[j];
        col.nLength = rand.Next() % 11 + 5;
        col.pCells = std::make_unique<RainCell[]>(col.nLength);
        col.bActive = 0;
        col.nPos = 0;
        col.nPhase = 0;
        for (int i = 0; i < col.nLength; ++i) {
            col.pCells[i].ch = ' ';
            col.pCells[i].byShade = static_cast<uint8_t>(rand.Next() % 126 + 75);
        }
        RefillColumn(j);
    }
    nActiveCols = 0;
    bSpawnTurn = 1;
    host.CreateRainSurfaces(nWidth, nHeight);
    nZoomWidth = nWidth;
    nZoomHeight = nHeight;
    CenterNextLine();
}

void CMatrixRain::RefillColumn(int j) {
    // Past the end of the list the columns keep their letters; once the list has
    // ended (-1) they are refilled with blanks.
    if (!ExtractSubString(strColumnText, strLines, nRainLine, ',') && nRainLine != -1) {
        return;
    }
    RainColumn& col = aColumns[j];
    const int d = rand.Next() % (nRows / 2 + 1);
    const int nTextLen = static_cast<int>(strColumnText.size());
    for (int i = 0; i < col.nLength; ++i) {
        const int k = i - d;
        col.pCells[i].ch = (k >= 0 && k < nTextLen) ? strColumnText[k] : ' ';
    }
}

void CMatrixRain::CenterNextLine() {
    std::string strLine;
    ExtractSubString(strLine, strLines, nNextLine, ',');
    nTextX = nWidth / 2 - rainFont.TextWidth(strLine) / 2;
}

void CMatrixRain::OnTimer(int nId) {
    switch (nId) {
        case kTimerRunH:
            StepRunH();
            break;
        case kTimerRunV:
            StepRunV();
            break;
        case kTimerRain:
            StepRain();
            break;
        default:
            break;
    }
}

std::string CMatrixRain::NewRun() {
    std::string strRun(kRunLength, ' ');
    for (char& ch : strRun) {
        ch = kGlyphs[rand.Next() % kRunGlyphs];
    }
    return strRun;
}

void CMatrixRain::StepRunH() {
    nRunX += 1;
    strRunH = NewRun();
    if (nRunX == nTextX) {
        if (ExtractSubString(strCenter, strLines, nNextLine, ',')) {
            nNextLine += 1;
        } else {
            nNextLine = 0;
        }
    }
    if (nRunX > nWidth) {
        if (nNextLine != 0) {
            nRainLine += 1;
            CenterNextLine();
        } else {
            nRainLine = -1;
        }
        host.KillTimer(kTimerRunH);
        nRunX = 0;
        strRunH.clear();
        strRunV.clear();
        if (nNextLine != 0) {
            nRunY = -(nHeight / 3);
            nRunX = -(nWidth / 2);
            host.SetTimer(kTimerRunH, kPeriodRunH);
            host.SetTimer(kTimerRunV, kPeriodRunV);
        }
    }
}

void CMatrixRain::StepRunV() {
    // The vertical run crosses the window while the horizontal one reaches the middle.
    const double dY = nHeight * (static_cast<double>(nRunX) / (nWidth / 2));
    // A window narrower than two pixels makes the ratio infinite or undefined.
    if (std::isnan(dY)) {
        nRunY = 0;
    } else {
        nRunY = static_cast<int32_t>(std::clamp(dY, double(INT_MIN), double(INT_MAX)));
    }
    strRunV = NewRun();
    if (nRunY > nHeight) {
        host.KillTimer(kTimerRunV);
        strRunV.clear();
    }
}

void CMatrixRain::DrawCell(int j, int nRow, char ch, RainColor cr) {
    host.DrawRainChar(j * nColWidth, nRow * nLineHeight, ch, cr);
}

void CMatrixRain::StepRain() {
    if (nCols == -1) {
        return;
    }
    // Start a column at most on every second step. With every column running, one
    // more start still happens, on a column that is already running.
    if (nActiveCols <= nCols && bSpawnTurn == 1 && nCols > 0) {
        int b = rand.Next() % nCols;
        for (int nPicks = 1; aColumns[b].bActive && nPicks < nCols + 1; ++nPicks) {
            b = rand.Next() % nCols;
        }
        RainColumn& col = aColumns[b];
        col.bActive = 1;
        DrawCell(b, 0, col.pCells[0].ch, kStartColor);
        col.nPos += 1;
        nActiveCols += 1;
        bSpawnTurn = 0;
    } else {
        bSpawnTurn = 1;
    }

    for (int j = 0; j < nCols; ++j) {
        RainColumn& col = aColumns[j];
        if (!col.bActive || col.nPos >= col.nLength) {
            continue;
        }
        if (col.nPhase == 0) {
            const RainCell& cellPrev = col.pCells[col.nPos - 1];
            DrawCell(j, col.nPos, col.pCells[col.nPos].ch, kHeadColor);
            DrawCell(j, col.nPos - 1, ' ', kBlack);
            DrawCell(j, col.nPos - 1, cellPrev.ch, RainColor{0, cellPrev.byShade, 0});
            col.nPos += 1;
        } else if (col.nPhase == 1 && nActiveCols > 10) {
            // Finished columns are erased only while the field is busy.
            DrawCell(j, col.nPos, col.pCells[col.nPos].ch, kBlack);
            col.nPos += 1;
            if (col.nPos == col.nLength) {
                RefillColumn(j);
                col.bActive = 0;
                col.nPhase = 0;
                nActiveCols -= 1;
                col.nPos = 0;
            }
        }
        if (col.nPos == col.nLength) {
            const RainCell& cellLast = col.pCells[col.nLength - 1];
            DrawCell(j, col.nLength - 1, cellLast.ch, RainColor{0, cellLast.byShade, 0});
            col.nPhase = 1;
            col.nPos = 0;
        }
    }

    if (nRainLine == -1) {
        StepWipe();
    }
}

void CMatrixRain::StepWipe() {
    dZoom *= 1.2;
    const int a = static_cast<int>(nZoomWidth * dZoom) / 100;
    const int b = static_cast<int>(nZoomHeight * dZoom) / 100;
    if (dZoom >= 10000) {
        Restart();
        return;
    }
    host.StretchZoom(nWidth / 2 - a / 2, nHeight / 2 - b / 2, a, b);
}

void CMatrixRain::Restart() {
    // The columns keep their state and the rain surface is not cleared.
    host.KillTimer(kTimerRunH);
    host.KillTimer(kTimerRunV);
    host.KillTimer(kTimerRain);
    nRunY = -(nHeight / 3);
    nRunX = -(nWidth / 2);
    nNextLine = 0;
    nRainLine = 0;
    strRunV = kGlyphs;
    strRunH = kGlyphs;
    strCenter.clear();
    dZoom = 1.0;
    nActiveCols = 0;
    bSpawnTurn = 1;
    host.SetTimer(kTimerRunH, kPeriodRunH);
    host.SetTimer(kTimerRunV, kPeriodRunV);
    host.SetTimer(kTimerRain, kPeriodRain);
}

MatrixFrame CMatrixRain::Frame() const {
    MatrixFrame frame;
    frame.strCenter = strCenter;
    // Between the old line's left edge and the new line's place the old line is
    // hidden, up to the right end of the new line's place.
    const int w = displayFont.TextWidth(strCenter);
    if (nRunX <= nTextX && nRunX + w > nWidth / 2 + w / 2) {
        frame.bHideBand = true;
        frame.nBandRight = nWidth - nTextX;
        frame.nBandTop = nHeight / 2 - nLineHeight / 2;
        frame.nBandBottom = nHeight / 2 + nLineHeight / 2;
    }
    frame.strRunV = strRunV;
    frame.nRunY = nRunY;
    frame.strRunH = strRunH;
    frame.nRunX = nRunX;
    return frame;
}
