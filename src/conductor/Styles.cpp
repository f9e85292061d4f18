#include "Styles.h"

#include <cstring>

namespace grum
{

namespace
{

// The style table, kept as five tables of sixteen rows each: names, tempo
// hints, swing, shift, cut chance and neighbours; base patterns; fill masks;
// lengths and weights; timbre targets and note palette. Every number is a
// float literal so that each value is the float nearest the written decimal.

struct Head
{
    const char* name;
    std::int32_t bpm;
    float swing;
    float shiftMax;
    float cutChance;
    std::int32_t neighbours[4];
};

struct LaneTexts
{
    const char* lanes[kNumLanes];   // KICK, HAT, CLICK, PERC, BAS, STAB
};

struct Weights
{
    std::int32_t hatLengths[4];
    std::int32_t clickLengths[4];
    std::int32_t percLengths[4];
    float laneWeights[kNumLanes];   // KICK..STAB
    float kindWeights[6];           // kinds 0..5
};

struct Timbre
{
    float drive;
    float dub;
    float hat;
    float bass;
    std::int8_t notes[8];
};

// name, bpm, swing, shiftMax, cutChance, neighbours
constexpr Head kHeads[kNumStyles] = {
    /*  0 */ { "LESS IS MORE", 126, 0.1f, 0.2f, 0.0f, { 1, 5, 10, 3 } },
    /*  1 */ { "HYPNOS", 128, 0.3f, 0.15f, 0.5f, { 0, 15, 2, 14 } },
    /*  2 */ { "SPASTIK", 127, 0.0f, 0.15f, 0.25f, { 1, 4, 9, 8 } },
    /*  3 */ { "MINIMAL NATION", 132, 0.2f, 0.1f, 0.1f, { 0, 4, 8, 6 } },
    /*  4 */ { "PURPOSE MAKER", 136, 0.0f, 0.05f, 0.15f, { 3, 8, 9, 2 } },
    /*  5 */ { "DUBKANALEN", 125, 0.0f, 0.05f, 0.0f, { 12, 1, 6, 11 } },
    /*  6 */ { "PERLON SKEV", 124, 0.5f, 0.3f, 0.1f, { 5, 0, 3, 7 } },
    /*  7 */ { "FASFÖRSKJUTNING", 130, 0.0f, 0.05f, 0.0f, { 1, 0, 5, 2 } },
    /*  8 */ { "SVENSK LOOP", 133, 0.15f, 0.1f, 0.15f, { 4, 3, 9, 2 } },
    /*  9 */ { "INDUSTRI", 138, 0.0f, 0.08f, 0.2f, { 4, 13, 2, 7 } },
    /* 10 */ { "LOSING CONTROL", 128, 0.1f, 0.1f, 0.05f, { 0, 3, 1, 15 } },
    /* 11 */ { "DIMMA", 122, 0.0f, 0.05f, 0.0f, { 12, 5, 1, 0 } },
    /* 12 */ { "BERGHAIN DUB", 125, 0.3f, 0.12f, 0.05f, { 5, 11, 3, 6 } },
    /* 13 */ { "BIRMINGHAM", 136, 0.0f, 0.06f, 0.25f, { 9, 4, 8, 2 } },
    /* 14 */ { "SKIVSPELARE", 128, 0.0f, 0.2f, 0.1f, { 7, 1, 0, 10 } },
    /* 15 */ { "ACID MINIMAL", 130, 0.15f, 0.08f, 0.1f, { 1, 10, 3, 13 } },
};

// One short Swedish line per row, naming its swing, hats, percussion and bass.
constexpr const char* kDescriptions[kNumStyles] = {
    /*  0 */ "Lätt sväng, luftiga hattar mellan slagen, femstegs perkussion och gles bas",
    /*  1 */ "Djup sväng, spökhattar på offbeat, tolvstegs klick och hypnotisk gles bas",
    /*  2 */ "Ingen sväng, täta sextondelshattar, nervöst klick och en enda basnot",
    /*  3 */ "Måttlig sväng, spökhattar och öppna hattar, sexstegs perkussion och vandrande bas",
    /*  4 */ "Ingen sväng, öppna hattar på offbeat, trestegs perkussion och drivande bas",
    /*  5 */ "Ingen sväng, öppna hattar på offbeat, glesa slag och ekande dubackord",
    /*  6 */ "Kraftig sväng, spökhattar, niostegs melodisk perkussion och skev bas",
    /*  7 */ "Ingen sväng, femtonstegs hattar och perkussion som glider ur fas",
    /*  8 */ "Lätt sväng, täta hattar med öppna slag, trestegs perkussion och studsande oktavbas",
    /*  9 */ "Ingen sväng, betonade hattar på offbeat, tätt klick och bas på offbeat",
    /* 10 */ "Lätt sväng, glesa spökhattar, inget klick, sjustegs perkussion och synkoperad bas",
    /* 11 */ "Ingen sväng, inga hattar, ingen perkussion, bara kick och ackord i dimman",
    /* 12 */ "Djup sväng, hattar på offbeat, gles perkussion och ekande dubackord",
    /* 13 */ "Ingen sväng, betonade hattar, spökklick, tät perkussion och bas på offbeat",
    /* 14 */ "Ingen sväng, släpande klick och sjuttonstegs perkussion",
    /* 15 */ "Lätt sväng, hattar på offbeat, femstegs perkussion och pladdrig acidbas med oktaver",
};

// Base patterns, KICK, HAT, CLICK, PERC, BAS, STAB.
constexpr LaneTexts kPatterns[kNumStyles] = {
    /*  0 */ { "X...x...x...x...", "..x...x...x..xO.", "...x...x..x.....", "x....", ".x....x....x....", "......x........." },
    /*  1 */ { "X...x...x...x...", "..g...g...g...g.", "x....x...x..", "x.x..", "...x......x.....", "..........g....." },
    /*  2 */ { "X...x...x...x...", "xxxlxxxOxxxlxxxO", "x.xx..x.xx.x.xxx", "x..x...", ".......x........", "................" },
    /*  3 */ { "X...x...x...x...", "g.Og.gO.g.Og.gO.", "....x.......x...", "x..x.x", ".x.o..x..5.x..x.", "......g........." },
    /*  4 */ { "X...x...x...x...", "..O...O...O...O.", "..g...g...g...g.", "xx.", ".x...x...x...x..", "................" },
    /*  5 */ { "X...x...x...x...", "..O...O...O...O.", "....x.......x...", ".x.....x.x.....x", "..x.......x.....", "...x......x....." },
    /*  6 */ { "X...x...x...x...", "..g..g.g..g...g.", "...x.....x....x.", "x.3x..5.7", ".x.3...x.5...x..", "...........g...." },
    /*  7 */ { "X...x...x...x...", "..x...x...x...x", "x..x.x..x...", "x..x.x.", ".x.....x..x.....", "......x........." },
    /*  8 */ { "X...x...x...x...", "x.O.x.O.x.O.x.Ox", "....x.......x.x.", "x..", ".xo..xo..xo..xo.", "......x.....x..." },
    /*  9 */ { "X...x...x...x...", "..X...X...X...X.", "x.x.xxx.x.x.xx.x", "x.x", "..x...x...x...x.", "................" },
    /* 10 */ { "X...x...x...x...", "..g.......g.....", "................", "x......", ".......x.x....x.", "................" },
    /* 11 */ { "X...x...x...x...", "................", "................", "................", "................", "x.......x......." },
    /* 12 */ { "X...x...x...x...", "..x...x...x...x.", "......x.......x.", ".x..x.x.", "..x...x...x.....", "...x.......x...." },
    /* 13 */ { "X...x...x...x...", "..X...X...X...X.", "x.gx.gx.x.gx.gx.", "x.xx.x", "..x...x...x...x.", "................" },
    /* 14 */ { "X...x...x...x...", "..x...x.x.x...x.", "..l...l.l.l...l.", "x..x..x..x..x..x.", ".x.....x.x......", "......x........." },
    /* 15 */ { "X...x...x...x...", "..x...x...x...x.", "....x.......x...", "x....", ".xo..xox.ox..xo.", "................" },
};

// Fill masks in lane order. The KICK mask is empty in every row: the kick is
// never mutated.
constexpr LaneTexts kFillMasks[kNumStyles] = {
    /*  0 */ { "", "..x.x.x.x.x.xxx.", "...x...x..x.x..x", "x.x.x.x.x.x.x.x.", ".x.x..x..x.x.x.x", "...x..x...x...x." },
    /*  1 */ { "", "..x...x...x...x.", "x.xx.x.x.xx.x.x.", "xxxxxxxxxxxxxxxx", ".x.x..x..x.x.x.x", "..........x....." },
    /*  2 */ { "", "xxxxxxxxxxxxxxxx", "xxxxxxxxxxxxxxxx", "x.x.x.x.x.x.x.x.", ".x....x....x....", "................" },
    /*  3 */ { "", "xxx.xxx.xxx.xxx.", "....x...x...x..x", "x.x.x.x.x.x.x.x.", ".xxx.xxx.xxx.xxx", "......x.....x..." },
    /*  4 */ { "", "..x...x...x...x.", "x.x.x.x.x.x.x.x.", "xxxxxxxxxxxxxxxx", ".x.x.x.x.x.x.x.x", "................" },
    /*  5 */ { "", "..x...x...x...x.", "....x.......x...", ".x.x.x.x.x.x.x.x", ".xx..xx..xx..xx.", "..xx..x...xx..x." },
    /*  6 */ { "", "xxxxxxxxxxxxxxxx", "x.xx.xx.xx.xx.xx", "xxxxxxxxxxxxxxxx", ".xxx.xxx.xxx.xxx", "...x.......x...x" },
    /*  7 */ { "", "xxxxxxxxxxxxxxxx", "xxxxxxxxxxxxxxxx", "xxxxxxxxxxxxxxxx", ".x.x.x.x.x.x.x.x", "...x..x...x...x." },
    /*  8 */ { "", "xxxxxxxxxxxxxxxx", "....x...x...x.xx", "xxxxxxxxxxxxxxxx", ".xx..xx..xx..xx.", "...x..x...x.x..." },
    /*  9 */ { "", "..x.x.x.x.x.x.x.", "xxxxxxxxxxxxxxxx", "xxxxxxxxxxxxxxxx", ".xx..xx..xx..xx.", "..x.......x....." },
    /* 10 */ { "", "..x...x...x...x.", "....x.......x...", "x.x.x.x.x.x.x.x.", ".x.x..xx.x.x..xx", "......x........." },
    /* 11 */ { "", "..x...x...x...x.", "", "x...x...x...x...", ".x....x....x....", "x...x...x...x..." },
    /* 12 */ { "", "x.xxx.xxx.xxx.xx", "..x...x...x...xx", "xxxxxxxxxxxxxxxx", ".xx..xx..xx..xx.", "..xx..x...xx..x." },
    /* 13 */ { "", "..x...x...x...x.", "xxxxxxxxxxxxxxxx", "xxxxxxxxxxxxxxxx", "..x...x...x...x.", "" },
    /* 14 */ { "", "..x.x.x.x.x.x.x.", "..x.x.x.x.x.x.x.", "xxxxxxxxxxxxxxxx", ".x.x..x..x.x.x.x", "...x..x...x...x." },
    /* 15 */ { "", "..x.x.x.x.x.x.x.", "....x...x...x..x", "x.x.x.x.x.x.x.x.", ".xxx.xxx.xxx.xxx", "" },
};

// HAT, CLICK and PERC lengths, laneWeights KICK..STAB, kindWeights 0..5
constexpr Weights kWeights[kNumStyles] = {
    /*  0 */ { { 16, 15, 0, 0 }, { 16, 12, 0, 0 }, { 5, 7, 3, 9 }, { 0.0f, 3.0f, 2.5f, 2.5f, 1.2f, 0.6f }, { 1.0f, 2.0f, 1.5f, 1.0f, 1.0f, 0.7f } },
    /*  1 */ { { 16, 0, 0, 0 }, { 12, 16, 10, 0 }, { 5, 12, 7, 0 }, { 0.0f, 1.5f, 3.0f, 3.0f, 0.8f, 0.3f }, { 0.6f, 1.2f, 1.5f, 1.2f, 0.8f, 0.6f } },
    /*  2 */ { { 16, 0, 0, 0 }, { 16, 12, 0, 0 }, { 7, 5, 3, 0 }, { 0.0f, 2.0f, 3.5f, 2.0f, 0.4f, 0.0f }, { 0.8f, 2.0f, 1.5f, 0.5f, 1.5f, 0.3f } },
    /*  3 */ { { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 6, 3, 5, 0 }, { 0.0f, 2.5f, 1.5f, 2.0f, 2.0f, 0.4f }, { 0.4f, 1.5f, 1.0f, 0.6f, 1.0f, 1.5f } },
    /*  4 */ { { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 3, 6, 5, 0 }, { 0.0f, 1.0f, 1.5f, 3.5f, 1.0f, 0.0f }, { 1.5f, 1.5f, 0.3f, 1.0f, 1.2f, 0.5f } },
    /*  5 */ { { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 0.0f, 0.5f, 0.5f, 2.0f, 1.0f, 2.5f }, { 0.3f, 1.0f, 0.8f, 0.0f, 0.8f, 2.5f } },
    /*  6 */ { { 16, 15, 0, 0 }, { 16, 10, 12, 0 }, { 9, 7, 11, 13 }, { 0.0f, 2.0f, 2.0f, 3.0f, 1.5f, 0.3f }, { 0.8f, 1.5f, 2.0f, 1.0f, 1.0f, 1.5f } },
    /*  7 */ { { 15, 16, 17, 0 }, { 12, 10, 14, 0 }, { 7, 5, 9, 11 }, { 0.0f, 2.0f, 2.0f, 2.5f, 1.0f, 0.5f }, { 0.5f, 1.0f, 0.5f, 2.5f, 0.5f, 0.5f } },
    /*  8 */ { { 16, 0, 0, 0 }, { 16, 12, 0, 0 }, { 3, 6, 5, 0 }, { 0.0f, 2.0f, 2.0f, 2.5f, 1.5f, 0.8f }, { 1.2f, 1.5f, 0.8f, 0.8f, 1.0f, 1.0f } },
    /*  9 */ { { 16, 0, 0, 0 }, { 16, 12, 0, 0 }, { 3, 5, 7, 0 }, { 0.0f, 1.5f, 3.0f, 3.0f, 1.0f, 0.2f }, { 1.5f, 1.5f, 1.0f, 1.0f, 1.5f, 0.5f } },
    /* 10 */ { { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 7, 5, 9, 0 }, { 0.0f, 1.5f, 1.0f, 1.5f, 2.5f, 0.3f }, { 0.4f, 1.5f, 1.0f, 0.5f, 0.8f, 1.5f } },
    /* 11 */ { { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 16, 0, 0, 0 }, { 0.0f, 0.5f, 0.0f, 0.5f, 0.3f, 3.0f }, { 0.0f, 1.0f, 0.5f, 0.0f, 0.5f, 2.5f } },
    /* 12 */ { { 16, 0, 0, 0 }, { 16, 12, 0, 0 }, { 8, 6, 10, 0 }, { 0.0f, 3.0f, 1.0f, 1.5f, 1.0f, 2.0f }, { 0.4f, 2.0f, 1.0f, 0.6f, 0.8f, 2.0f } },
    /* 13 */ { { 16, 0, 0, 0 }, { 16, 12, 0, 0 }, { 6, 3, 5, 0 }, { 0.0f, 0.8f, 2.5f, 3.0f, 0.6f, 0.0f }, { 1.5f, 1.5f, 0.8f, 1.0f, 1.5f, 0.2f } },
    /* 14 */ { { 16, 15, 0, 0 }, { 16, 17, 15, 0 }, { 17, 15, 16, 0 }, { 0.0f, 1.5f, 2.0f, 2.0f, 1.0f, 0.5f }, { 0.5f, 1.0f, 2.0f, 2.0f, 0.5f, 0.5f } },
    /* 15 */ { { 16, 0, 0, 0 }, { 16, 12, 0, 0 }, { 5, 7, 3, 0 }, { 0.0f, 1.0f, 1.0f, 1.5f, 3.5f, 0.0f }, { 0.2f, 2.0f, 1.0f, 0.5f, 0.5f, 3.0f } },
};

// timbreDrive, timbreDub, timbreHat, timbreBass, notes
constexpr Timbre kTimbres[kNumStyles] = {
    /*  0 */ { 0.35f, 0.5f, 0.5f, 0.4f, { 0, 0, 0, 3, 7, 10, 12, -2 } },
    /*  1 */ { 0.2f, 0.7f, 0.35f, 0.4f, { 0, 0, 0, 7, 12, 3, 0, 10 } },
    /*  2 */ { 0.45f, 0.2f, 0.7f, 0.4f, { 0, 0, 0, 0, 12, 0, 0, 0 } },
    /*  3 */ { 0.4f, 0.3f, 0.55f, 0.4f, { 0, 0, 12, 3, 7, 10, 0, -2 } },
    /*  4 */ { 0.6f, 0.2f, 0.75f, 0.4f, { 0, 0, 0, 0, 12, 7, 0, 0 } },
    /*  5 */ { 0.25f, 0.85f, 0.35f, 0.4f, { 0, 0, 0, 3, 7, 10, 0, 0 } },
    /*  6 */ { 0.15f, 0.5f, 0.4f, 0.4f, { 0, 0, 3, 5, 7, 10, 12, -2 } },
    /*  7 */ { 0.3f, 0.5f, 0.5f, 0.4f, { 0, 0, 0, 7, 3, 12, 0, 0 } },
    /*  8 */ { 0.55f, 0.4f, 0.6f, 0.4f, { 0, 0, 12, 0, 7, 10, 3, 0 } },
    /*  9 */ { 0.95f, 0.3f, 0.8f, 0.4f, { 0, 0, 0, 0, 12, 0, 1, 0 } },
    /* 10 */ { 0.15f, 0.3f, 0.3f, 0.8f, { 0, 0, 0, 3, 7, -2, 12, 0 } },
    /* 11 */ { 0.1f, 0.95f, 0.2f, 0.3f, { 0, 0, 0, 0, 7, 0, 0, 0 } },
    /* 12 */ { 0.2f, 0.75f, 0.45f, 0.4f, { 0, 0, 0, 3, 7, 10, 0, 0 } },
    /* 13 */ { 0.9f, 0.2f, 0.8f, 0.3f, { 0, 0, 0, 0, 12, 1, 0, 0 } },
    /* 14 */ { 0.3f, 0.4f, 0.5f, 0.4f, { 0, 0, 0, 7, 3, 12, 0, 0 } },
    /* 15 */ { 0.55f, 0.2f, 0.5f, 0.9f, { 0, 0, 12, 3, 7, 10, -2, 12 } },
};

constexpr StyleDef makeRow (int i)
{
    StyleDef s {};
    s.name = kHeads[i].name;
    s.description = kDescriptions[i];
    s.bpm = kHeads[i].bpm;
    s.swing = kHeads[i].swing;
    s.shiftMax = kHeads[i].shiftMax;
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        s.patterns[lane] = kPatterns[i].lanes[lane];
        s.fillMasks[lane] = kFillMasks[i].lanes[lane];
        s.laneWeights[lane] = kWeights[i].laneWeights[lane];
    }
    for (int j = 0; j < 4; ++j)
    {
        s.altLengths[0][j] = kWeights[i].hatLengths[j];
        s.altLengths[1][j] = kWeights[i].clickLengths[j];
        s.altLengths[2][j] = kWeights[i].percLengths[j];
        s.neighbours[j] = kHeads[i].neighbours[j];
    }
    for (int k = 0; k < 6; ++k)
        s.kindWeights[k] = kWeights[i].kindWeights[k];
    s.cutChance = kHeads[i].cutChance;
    s.timbreDrive = kTimbres[i].drive;
    s.timbreDub = kTimbres[i].dub;
    s.timbreHat = kTimbres[i].hat;
    s.timbreBass = kTimbres[i].bass;
    for (int k = 0; k < 8; ++k)
        s.notes[k] = kTimbres[i].notes[k];
    return s;
}

} // namespace

// Constant-initialised from the tables above (makeRow is constexpr), so no
// static initialisation order can ever see a half-filled row.
const StyleDef kStyles[kNumStyles] = {
    makeRow (0),  makeRow (1),  makeRow (2),  makeRow (3),
    makeRow (4),  makeRow (5),  makeRow (6),  makeRow (7),
    makeRow (8),  makeRow (9),  makeRow (10), makeRow (11),
    makeRow (12), makeRow (13), makeRow (14), makeRow (15),
};

const StyleDef& styleRow (int style, const StyleDef* learned) noexcept
{
    if (style == kLearnedStyle)
        return learned != nullptr ? *learned : kStyles[0];
    return kStyles[style & 15];
}

//==============================================================================
namespace
{
void copyText (char* out, int capacity, const char* text) noexcept
{
    int n = 0;
    if (text != nullptr)
        while (n < capacity - 1 && text[n] != '\0')
        {
            out[n] = text[n];
            ++n;
        }
    std::memset (out + n, 0, (std::size_t) (capacity - n));
}
} // namespace

LearnedStyle::LearnedStyle() noexcept
{
    copyText (name, kNameBytes, "L\xc3\x84RD");
    link();
}

LearnedStyle::LearnedStyle (const LearnedStyle& other) noexcept
{
    *this = other;
}

LearnedStyle& LearnedStyle::operator= (const LearnedStyle& other) noexcept
{
    std::memcpy (patternText, other.patternText, sizeof (patternText));
    std::memcpy (fillMaskText, other.fillMaskText, sizeof (fillMaskText));
    std::memcpy (name, other.name, sizeof (name));
    std::memcpy (origin, other.origin, sizeof (origin));
    def = other.def;
    link();
    return *this;
}

void LearnedStyle::setPattern (int lane, const char* text) noexcept
{
    if (lane >= 0 && lane < kNumLanes)
        copyText (patternText[lane], kTextBytes, text);
}

void LearnedStyle::setFillMask (int lane, const char* text) noexcept
{
    if (lane >= 0 && lane < kNumLanes)
        copyText (fillMaskText[lane], kTextBytes, text);
}

void LearnedStyle::setName (const char* text) noexcept { copyText (name, kNameBytes, text); }
void LearnedStyle::setOrigin (const char* text) noexcept { copyText (origin, kOriginBytes, text); }

void LearnedStyle::link() noexcept
{
    def.name = name;
    def.description = origin;
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        def.patterns[lane] = patternText[lane];
        def.fillMasks[lane] = fillMaskText[lane];
    }
}

} // namespace grum
