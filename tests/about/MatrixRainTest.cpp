#include "about/MatrixRain.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "about/AboutTexts.h"

namespace {

class FixedMeasure : public TextMeasure {
public:
    FixedMeasure(int nAvgIn, int nHeightIn, int nPerCharIn)
        : nAvg(nAvgIn), nHeight(nHeightIn), nPerChar(nPerCharIn) {}
    int AvgCharWidth() const override { return nAvg; }
    int CharHeight() const override { return nHeight; }
    int TextWidth(std::string_view str) const override {
        return static_cast<int>(str.size()) * nPerChar;
    }
    int nAvg, nHeight, nPerChar;
};

struct Draw {
    int nX, nY;
    char ch;
    RainColor cr;
    int nActiveCols;  // as counted while the character was drawn
};

struct Rect {
    int nX, nY, nW, nH;
};

// The window around the animation: timers on a hand-stepped clock, the rain surface
// as a list of drawn characters. Columns are 8 + 10 = 18 pixels wide, rows 16 high.
class RainRig : public MatrixHost {
public:
    explicit RainRig(int nPerChar = 8) : rainFont(8, 16, nPerChar) {}

    void Create(int nWidth, int nHeight, const char* szText = nullptr) {
        if (szText != nullptr) {
            rain.SetText(szText);
        }
        rain.OnSize(nWidth, nHeight);
        rain.Start();
    }

    void SetTimer(int nId, int nMilliseconds) override {
        mapTimers[nId] = {nMilliseconds, nNow + nMilliseconds};
    }
    void KillTimer(int nId) override { mapTimers.erase(nId); }
    void CreateRainSurfaces(int nWidth, int nHeight) override {
        rcSurface = {0, 0, nWidth, nHeight};
    }
    void DrawRainChar(int nX, int nY, char ch, RainColor cr) override {
        aDraws.push_back({nX, nY, ch, cr, rain.ActiveCols()});
    }
    void StretchZoom(int nX, int nY, int nWidth, int nHeight) override {
        aZooms.push_back({nX, nY, nWidth, nHeight});
    }

    bool Running(int nId) const { return mapTimers.count(nId) != 0; }

    // Advances the clock one millisecond at a time until bDone says stop (checked after
    // every tick) or nLimitMs has passed. Returns whether bDone stopped it.
    bool RunUntil(const std::function<bool(int nId)>& bDone, int nLimitMs = 200000) {
        for (int nEnd = nNow + nLimitMs; nNow < nEnd;) {
            ++nNow;
            for (int nId : {100, 200, 300}) {
                auto it = mapTimers.find(nId);
                if (it == mapTimers.end() || it->second.nDue > nNow) {
                    continue;
                }
                it->second.nDue = nNow + it->second.nPeriod;
                rain.OnTimer(nId);
                if (nId == 300) {
                    ++nRainSteps;
                }
                if (bDone(nId)) {
                    return true;
                }
            }
        }
        return false;
    }

    void StepRain(int nSteps) {
        for (int i = 0; i < nSteps; ++i) {
            rain.OnTimer(300);
        }
    }

    struct Timer {
        int nPeriod;
        int nDue;
    };
    FixedMeasure rainFont;
    FixedMeasure displayFont{10, 14, 10};
    CRand rand;
    CMatrixRain rain{*this, rainFont, displayFont, rand};
    std::map<int, Timer> mapTimers;
    int nNow = 0;
    int nRainSteps = 0;
    Rect rcSurface{};
    std::vector<Draw> aDraws;
    std::vector<Rect> aZooms;
};

struct Centring {
    int nRainLine;
    std::string strLine;
    bool operator==(const Centring&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Centring& c) {
    return os << "{" << c.nRainLine << ", \"" << c.strLine << "\"}";
}

// Every change of the centred line, with the line the rain spelled at that moment,
// until the list has ended.
std::vector<Centring> PlayList(RainRig& rig) {
    std::vector<Centring> aSeen;
    std::string strLast = rig.rain.Center();
    rig.RunUntil([&](int) {
        if (rig.rain.Center() != strLast) {
            strLast = rig.rain.Center();
            aSeen.push_back({rig.rain.RainLine(), strLast});
        }
        return rig.rain.RainLine() == -1;
    });
    return aSeen;
}

TEST(MatrixRain, PlaysTheSixLinesThenWipesAndStartsAgain) {
    RainRig rig;
    rig.Create(300, 180, kAboutLines);
    EXPECT_TRUE(rig.Running(100) && rig.Running(200) && rig.Running(300));

    const std::vector<Centring> aExpected = {
        {0, "What is Glowdesk?"},
        {1, "Its the GUI-frontend..."},
        {2, "programming the Handheld..."},
        {3, "controlling the light effects..."},
        {4, "Made with care by the Glowdesk team"},
        {5, "glowdesk.example.org"},
        {6, ""},
    };
    EXPECT_EQ(PlayList(rig), aExpected);
    // Seven passes, each from -(W / 2) to W + 1 at one pixel per 10 ms.
    EXPECT_EQ(rig.nNow, 7 * (150 + 301) * 10);

    // The list has ended: the runs stop, the wipe grows from the centre by a fifth
    // every rain step and covers the field once it passes 100 %.
    EXPECT_FALSE(rig.Running(100));
    EXPECT_FALSE(rig.Running(200));
    const int nStepsAtEnd = rig.nRainSteps;
    ASSERT_TRUE(rig.RunUntil([&](int) { return rig.rain.RainLine() == 0; }));
    EXPECT_EQ(rig.nRainSteps - nStepsAtEnd, 51);
    ASSERT_EQ(rig.aZooms.size(), 50u);
    EXPECT_EQ(rig.aZooms[0].nW, 3);  // 300 * 1.2 / 100
    EXPECT_EQ(rig.aZooms[0].nH, 2);
    for (size_t i = 1; i < rig.aZooms.size(); ++i) {
        const Rect& rc = rig.aZooms[i];
        EXPECT_GE(rc.nW, rig.aZooms[i - 1].nW);
        EXPECT_EQ(rc.nX, 150 - rc.nW / 2);
        EXPECT_EQ(rc.nY, 90 - rc.nH / 2);
    }
    EXPECT_GE(rig.aZooms.back().nW, 300);
    EXPECT_GE(rig.aZooms.back().nH, 180);

    // The restart: all three timers again, the runs show the glyph string until their
    // next tick, and the first line comes back.
    EXPECT_TRUE(rig.Running(100) && rig.Running(200) && rig.Running(300));
    EXPECT_EQ(rig.rain.Frame().strRunH, CMatrixRain::kGlyphs);
    EXPECT_EQ(rig.rain.Zoom(), 1.0);
    EXPECT_EQ(rig.rain.Center(), "");
    ASSERT_TRUE(rig.RunUntil([&](int) { return !rig.rain.Center().empty(); }));
    EXPECT_EQ(rig.rain.Center(), "What is Glowdesk?");
    EXPECT_EQ(rig.rain.RainLine(), 0);
}

TEST(MatrixRain, WithoutATextPlaysTheDefaultLine) {
    RainRig rig;
    rig.Create(300, 180);
    const std::string strLine = "What is the Matrix?";

    // Every column spells the line downwards from some row.
    ASSERT_EQ(rig.rain.Cols(), 16);
    for (int j = 0; j < rig.rain.Cols(); ++j) {
        const RainColumn& col = rig.rain.Column(j);
        std::string strCells;
        for (int i = 0; i < col.nLength; ++i) {
            strCells += col.pCells[i].ch;
        }
        const size_t d = strCells.find_first_not_of(' ');
        if (d != std::string::npos) {
            EXPECT_EQ(strCells.substr(d), strLine.substr(0, col.nLength - d)) << j;
            EXPECT_LE(d, size_t(rig.rain.Rows() / 2)) << j;
        }
    }

    const std::vector<Centring> aExpected = {{0, strLine}, {1, ""}};
    EXPECT_EQ(PlayList(rig), aExpected);
}

TEST(MatrixRain, ALineTooWideIsNeverCentred) {
    // Centring measures with the rain font, here 2 pixels a character in a window 300
    // wide: a 300-character line puts its place at -150, where the run already starts.
    struct WideCase {
        int nChars;
        bool bCentred;
    };
    for (const WideCase& c : {WideCase{300, false}, WideCase{299, true}}) {
        RainRig rig(2);
        const std::string strLine(c.nChars, 'x');
        rig.Create(300, 180, strLine.c_str());
        rig.RunUntil([](int nId) { return nId == 100; });
        EXPECT_EQ(rig.rain.Center() == strLine, c.bCentred) << c.nChars;
        rig.RunUntil([&](int) { return rig.rain.RainLine() != 0; });
        EXPECT_EQ(rig.rain.RainLine(), c.bCentred ? 1 : -1) << c.nChars;
    }

    // In the middle of a list the old line stays and the same line is tried again.
    RainRig rig(2);
    const std::string strList = "ok," + std::string(300, 'x');
    rig.Create(300, 180, strList.c_str());
    rig.RunUntil([&](int) { return rig.rain.RainLine() == 3; });
    EXPECT_EQ(rig.rain.Center(), "ok");
    EXPECT_EQ(rig.rain.NextLine(), 1);
}

TEST(MatrixRain, BandHidesTheOldLineUntilTheNewOneShows) {
    RainRig rig;
    rig.Create(300, 180, "aaaaaaaaaa,bb");
    rig.RunUntil([&](int) { return rig.rain.RainLine() == 1; });
    // Place of "bb": 150 - 16 / 2 = 142. The old line is 100 wide in the display font:
    // the band shows for 142 >= nRunX > 150 + 50 - 100.
    std::vector<int> aBandAt;
    rig.RunUntil([&](int nId) {
        const MatrixFrame frame = rig.rain.Frame();
        if (nId == 100 && frame.bHideBand) {
            aBandAt.push_back(frame.nRunX);
            EXPECT_EQ(frame.nBandRight, 300 - 142);
            EXPECT_EQ(frame.nBandTop, 90 - 8);
            EXPECT_EQ(frame.nBandBottom, 90 + 8);
        }
        return rig.rain.Center() == "bb";
    });
    ASSERT_FALSE(aBandAt.empty());
    EXPECT_EQ(aBandAt.front(), 101);
    EXPECT_EQ(aBandAt.back(), 142);
    EXPECT_EQ(aBandAt.size(), 42u);
    // The new, narrower line still meets the rule on the tick it appears; the band
    // is gone from the next one.
    rig.RunUntil([](int nId) { return nId == 100; });
    EXPECT_EQ(rig.rain.RunX(), 143);
    EXPECT_FALSE(rig.rain.Frame().bHideBand);
}

bool IsErase(const Draw& d) {
    return d.ch != ' ' && d.cr == CMatrixRain::kBlack;
}

TEST(MatrixRain, ErasesFinishedColumnsOnlyWithMoreThanTenActive) {
    // Nine columns: never more than ten counted, so fallen columns stay.
    RainRig rigFew;
    rigFew.Create(170, 180);
    ASSERT_EQ(rigFew.rain.Cols(), 9);
    rigFew.StepRain(200);
    for (const Draw& d : rigFew.aDraws) {
        EXPECT_FALSE(IsErase(d));
    }
    // Ten starts (the last on a running column), and no column ever finished.
    int nStarts = 0;
    for (const Draw& d : rigFew.aDraws) {
        nStarts += d.cr == CMatrixRain::kStartColor;
    }
    EXPECT_EQ(nStarts, 10);
    EXPECT_EQ(rigFew.rain.ActiveCols(), 10);

    // Sixteen columns: the field fills beyond ten and finished columns are erased,
    // refilled and started again.
    RainRig rigMany;
    rigMany.Create(300, 180);
    rigMany.StepRain(400);
    int nErased = 0;
    for (const Draw& d : rigMany.aDraws) {
        if (IsErase(d)) {
            ++nErased;
            EXPECT_GT(d.nActiveCols, 10);
        }
    }
    EXPECT_GT(nErased, 0);
    EXPECT_GE(rigMany.rain.ActiveCols(), 10);
    EXPECT_LE(rigMany.rain.ActiveCols(), 17);
}

TEST(MatrixRain, StartsOnceMoreWhenEveryColumnRuns) {
    bool bSawWaiting = false;
    for (uint32_t nSeed = 1; nSeed <= 30; ++nSeed) {
        RainRig rig;
        rig.rand.Seed(nSeed);
        rig.Create(60, 180);
        ASSERT_EQ(rig.rain.Cols(), 3);
        std::vector<Draw> aStarts;
        for (int nStep = 0; nStep < 200; ++nStep) {
            const bool bAllActive = rig.rain.ActiveCols() == 3;
            RainColumn before[3];
            for (int j = 0; j < 3; ++j) {
                before[j].nPhase = rig.rain.Column(j).nPhase;
                before[j].nPos = rig.rain.Column(j).nPos;
            }
            const size_t nFirst = rig.aDraws.size();
            rig.StepRain(1);
            for (size_t i = nFirst; i < rig.aDraws.size(); ++i) {
                const Draw& d = rig.aDraws[i];
                if (!(d.cr == CMatrixRain::kStartColor)) {
                    continue;
                }
                aStarts.push_back(d);
                EXPECT_EQ(d.nY, 0);
                if (bAllActive) {
                    // A waiting column moves one row on and is not erased.
                    const int j = d.nX / 18;
                    if (before[j].nPhase == 1) {
                        bSawWaiting = true;
                        EXPECT_EQ(rig.rain.Column(j).nPos, before[j].nPos + 1) << nSeed;
                    }
                }
            }
        }
        EXPECT_EQ(aStarts.size(), 4u) << nSeed;
        EXPECT_EQ(rig.rain.ActiveCols(), 4) << nSeed;
    }
    EXPECT_TRUE(bSawWaiting);
}

TEST(MatrixRain, UsesAtMostOneHundredFiftyColumns) {
    for (int nWidth : {150 * 18 - 1, 150 * 18, 151 * 18, 5000}) {
        RainRig rig;
        rig.Create(nWidth, 180);
        EXPECT_EQ(rig.rain.Cols(), nWidth < 150 * 18 ? 149 : 150) << nWidth;
        rig.StepRain(600);
        for (const Draw& d : rig.aDraws) {
            ASSERT_LT(d.nX, 150 * 18) << nWidth;
        }
    }
}

TEST(MatrixRain, ResizeKeepsTheRainAndTheWipeSizes) {
    RainRig rig;
    rig.Create(300, 180, "x");
    rig.rain.OnSize(600, 360);
    EXPECT_EQ(rig.rain.Cols(), 16);
    EXPECT_EQ(rig.rcSurface.nW, 300);
    rig.RunUntil([&](int) { return !rig.aZooms.empty(); });
    // The wipe picture keeps its first size and is centred in the new one.
    EXPECT_EQ(rig.aZooms[0].nW, 3);
    EXPECT_EQ(rig.aZooms[0].nH, 2);
    EXPECT_EQ(rig.aZooms[0].nX, 300 - 1);
    EXPECT_EQ(rig.aZooms[0].nY, 180 - 1);
}

TEST(MatrixRain, NarrowWindowsDoNotFail) {
    for (int nWidth : {0, 1, 17}) {
        RainRig rig;
        rig.Create(nWidth, 10);
        EXPECT_EQ(rig.rain.Cols(), 0);
        rig.RunUntil([&](int) { return rig.rain.RainLine() == 0 && rig.nRainSteps > 100; });
        EXPECT_TRUE(rig.aDraws.empty());
    }
}

}  // namespace
