#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "conductor/Conductor.h"
#include "conductor/Styles.h"

using namespace grum;

namespace
{
// One letter per cell in use: '.' silent, otherwise the step's grammar letter
// as read back from its fields, so a whole lane reads like its pattern.
std::string readBack (const LaneGenome& g)
{
    std::string text;
    for (int i = 0; i < g.length; ++i)
    {
        const Step& s = g.steps[i];
        EXPECT_EQ (s.chance, 1.0f);
        if (! s.on)                                 text += '.';
        else if (s.open && s.velocity == 96)        text += 'O';
        else if (s.velocity == 124)                 text += 'X';
        else if (s.velocity == 66)                  text += 'g';
        else if (s.shift == 0.15f)                  text += 'l';
        else if (s.note == 12)                      text += 'o';
        else if (s.note == 3)                       text += '3';
        else if (s.note == 7)                       text += '5';
        else if (s.note == 10)                      text += '7';
        else if (s.note == -2)                      text += 'b';
        else if (s.velocity == 100 && s.note == 0)  text += 'x';
        else                                        text += '!';
    }
    return text;
}

// One style row as one line of text, every float with the nine digits that
// tell one float from another.
std::string describeRow (int index)
{
    const StyleDef& s = kStyles[index];
    std::string line;
    const auto add = [&line] (const char* format, auto... values)
    {
        char text[160];
        std::snprintf (text, sizeof (text), format, values...);
        line += text;
    };
    const auto addFloats = [&] (const char* key, const float* values, int n)
    {
        add (" %s=", key);
        for (int i = 0; i < n; ++i)
            add (i > 0 ? ",%.9g" : "%.9g", (double) values[i]);
    };
    const auto addTexts = [&] (const char* key, const char* const* texts)
    {
        add (" %s=[", key);
        for (int lane = 0; lane < kNumLanes; ++lane)
            add (lane > 0 ? ",%s" : "%s", texts[lane]);
        line += ']';
    };

    add ("%d name=\"%s\" bpm=%d swing=%.9g shiftMax=%.9g cutChance=%.9g", index, s.name, s.bpm,
         (double) s.swing, (double) s.shiftMax, (double) s.cutChance);
    add (" neighbours=%d,%d,%d,%d", s.neighbours[0], s.neighbours[1], s.neighbours[2], s.neighbours[3]);
    addTexts ("patterns", s.patterns);
    addTexts ("fillMasks", s.fillMasks);
    line += " altLengths=";
    for (int lane = 0; lane < 3; ++lane)
        add (lane > 0 ? " %d/%d/%d/%d" : "%d/%d/%d/%d", s.altLengths[lane][0], s.altLengths[lane][1],
             s.altLengths[lane][2], s.altLengths[lane][3]);
    addFloats ("laneWeights", s.laneWeights, kNumLanes);
    addFloats ("kindWeights", s.kindWeights, 6);
    add (" timbreDrive=%.9g timbreDub=%.9g timbreHat=%.9g timbreBass=%.9g", (double) s.timbreDrive,
         (double) s.timbreDub, (double) s.timbreHat, (double) s.timbreBass);
    line += " notes=";
    for (int k = 0; k < 8; ++k)
        add (k > 0 ? ",%d" : "%d", (int) s.notes[k]);
    return line;
}
} // namespace

TEST (Grammar, PatternsReadBackCellByCell)
{
    struct Case { const char* pattern; int length; const char* cells; };
    const Case cases[] = {
        { "x.3x..5.7", 9, "x.3x..5.7" },                        // step 3 sounds with note 0
        { "xxxlxxxOxxxlxxxO", 16, "xxxlxxxOxxxlxxxO" },
        { "X.O.g.l.o.3.5.7.b", 17, "X.O.g.l.o.3.5.7.b" },
        { "?x#", 3, "xxx" },                                    // unlisted characters play like "x"
        { "xx.", 3, "xx." },
        { "x", 3, "x.." },
        { "", 3, "..." },
        { nullptr, 3, "..." },
        { "x.......................................", 32, "x..............................." },
        { "....................................xxxx", 32, "................................" },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE (c.pattern != nullptr ? c.pattern : "(null)");
        LaneGenome g;
        g.steps[31].on = true;      // parse resets every cell, used or not
        Conductor::parse (g, c.pattern);
        EXPECT_EQ (g.length, c.length);
        EXPECT_EQ (readBack (g), c.cells);
        for (int i = g.length; i < kMaxSteps; ++i)
            EXPECT_FALSE (g.steps[i].on);
    }

    LaneGenome open;
    Conductor::parse (open, "O");
    EXPECT_TRUE (open.steps[0].open);
    EXPECT_EQ (open.steps[0].velocity, 96);
}

// tests/data/style_table.txt holds every value of the sixteen rows, one line
// per row. Only a song reaching a row hears it, so the reference song's golden
// bars guard only a few rows; this guards them all. After a decision to change
// a row, regenerate it with
//
//     GRUM_REGENERATE_GOLDEN=1 build-d/tests/grum_engine_tests --gtest_filter='Styles.EveryValueAsRecorded'
TEST (Styles, EveryValueAsRecorded)
{
    const std::string path = std::string (GRUM_TEST_DATA_DIR) + "/style_table.txt";
    std::vector<std::string> got;
    for (int row = 0; row < kNumStyles; ++row)
        got.push_back (describeRow (row));

    if (std::getenv ("GRUM_REGENERATE_GOLDEN") != nullptr)
    {
        std::ofstream out (path, std::ios::binary);
        for (const std::string& line : got)
            out << line << '\n';
        GTEST_SKIP() << "regenerated " << path;
    }

    std::ifstream file (path, std::ios::binary);
    ASSERT_TRUE (file) << "missing " << path;
    std::vector<std::string> want;
    for (std::string line; std::getline (file, line);)
        want.push_back (line);
    ASSERT_EQ (want.size(), got.size());
    for (int row = 0; row < kNumStyles; ++row)
        EXPECT_EQ (got[(std::size_t) row], want[(std::size_t) row]) << "row " << row;
}

TEST (Styles, EveryRowIsPlayable)
{
    for (int row = 0; row < kNumStyles; ++row)
    {
        SCOPED_TRACE (row);
        const StyleDef& s = kStyles[row];
        ASSERT_NE (s.name, nullptr);
        EXPECT_GT (std::strlen (s.description), 10u);
        EXPECT_STREQ (s.fillMasks[KICK], "");
        EXPECT_EQ (s.laneWeights[KICK], 0.0f);

        for (int lane = 0; lane < kNumLanes; ++lane)
        {
            const std::string pattern = s.patterns[lane];
            EXPECT_GE (pattern.size(), 3u);
            EXPECT_LE (pattern.size(), 32u);
            EXPECT_EQ (pattern.find_first_not_of (".xXOglo357b"), std::string::npos) << laneName (lane);

            const std::string mask = s.fillMasks[lane];
            EXPECT_TRUE (mask.empty() || mask.size() == 16) << laneName (lane);
            EXPECT_EQ (mask.find_first_not_of (".x"), std::string::npos) << laneName (lane);
        }
        for (int k = 0; k < 4; ++k)
        {
            EXPECT_GE (s.neighbours[k], 0);
            EXPECT_LT (s.neighbours[k], kNumStyles);
            EXPECT_NE (s.neighbours[k], row);
        }
        for (int lane = 0; lane < 3; ++lane)
            for (int k = 0; k < 4; ++k)
                EXPECT_TRUE (s.altLengths[lane][k] == 0 || (s.altLengths[lane][k] >= 3 && s.altLengths[lane][k] <= 32));
        for (float w : s.kindWeights)
            EXPECT_GE (w, 0.0f);
    }

    // Rows whose masks forbid every added note.
    EXPECT_STREQ (kStyles[11].fillMasks[CLICK], "");
    EXPECT_STREQ (kStyles[13].fillMasks[STAB], "");
    EXPECT_STREQ (kStyles[15].fillMasks[STAB], "");
}

TEST (Styles, GlobalStyleSetsTheTimbreTargets)
{
    auto c = std::make_unique<Conductor>();
    Settings s;
    s.style = 9;
    c->stateForBar (0, s);
    EXPECT_EQ (c->governing, &kStyles[9]);

    const StyleDef& row = kStyles[9];
    for (int lane = 0; lane < kNumLanes; ++lane)
        EXPECT_EQ (c->targets[lane][0], 0.5f);
    EXPECT_EQ (c->targets[KICK][3], row.timbreDrive);
    EXPECT_EQ (c->targets[BAS][2], row.timbreDrive);
    EXPECT_EQ (c->targets[STAB][1], row.timbreDub);
    EXPECT_EQ (c->targets[STAB][2], row.timbreDub);
    EXPECT_EQ (c->targets[HAT][1], row.timbreHat);
    EXPECT_EQ (c->targets[BAS][1], row.timbreBass);
    EXPECT_EQ (c->targets[CLICK][3], row.timbreDrive * 0.5f + 0.3f);
    EXPECT_EQ (c->targets[HAT][3], 0.5f);

    // The learned style without a learned record plays row 0 but is still named 16.
    c->setGlobalStyle (kLearnedStyle);
    EXPECT_EQ (c->state.style, kLearnedStyle);
    EXPECT_EQ (c->governing, &kStyles[0]);
    EXPECT_EQ (c->targets[KICK][3], kStyles[0].timbreDrive);
}

TEST (Styles, LearnedStyleDrivesTheSongAndCopiesSafely)
{
    LearnedStyle learned;
    EXPECT_STREQ (learned.def.name, "L\xc3\x84RD");
    learned.setPattern (KICK, "X.x.X.x.X.x.X.x.");
    learned.setPattern (HAT, std::string (40, 'x').c_str());   // truncated to 33 characters
    EXPECT_EQ (std::strlen (learned.def.patterns[HAT]), 33u);
    learned.def.laneWeights[HAT] = 1.0f;

    LearnedStyle copy = learned;
    learned.setPattern (KICK, "x...");
    EXPECT_STREQ (copy.def.patterns[KICK], "X.x.X.x.X.x.X.x.");   // the copy has its own texts
    EXPECT_EQ (copy.def.patterns[KICK], copy.patternText[KICK]);

    auto c = std::make_unique<Conductor>();
    Settings s;
    s.style = kLearnedStyle;
    s.learned = &copy.def;
    const BarState& bar0 = c->stateForBar (0, s);
    EXPECT_EQ (bar0.style, kLearnedStyle);
    EXPECT_EQ (c->governing, &copy.def);
    EXPECT_EQ (bar0.lanes[KICK].steps[2].on, true);
    EXPECT_EQ (bar0.lanes[HAT].length, 32);

    // Without a learned record the start style is row 0.
    s.learned = nullptr;
    EXPECT_EQ (c->stateForBar (0, s).style, 0);
}
