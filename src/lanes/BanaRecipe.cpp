#include "lanes/BanaRecipe.h"

namespace grum
{

namespace
{
struct Weighted
{
    int weight;
    int value;
};

// Walks the cumulative weights: the value whose range holds x.
template <int N>
int pick (const Weighted (&table)[N], int x)
{
    for (const auto& w : table)
    {
        if (x < w.weight)
            return w.value;
        x -= w.weight;
    }
    return table[N - 1].value;
}

// Targets by weight, out of 96.
const Weighted kTargets[] = {
    { 18, Banor::EchoThrow },
    { 18, Banor::Filter },
    { 12, Banor::Stutter },
    { 10, Banor::Pitch },
    { 10, Banor::Crush },
    { 10, Banor::Chop },
    { 6, Banor::M1 },
    { 3, Banor::M2 },
    { 2, Banor::M3 },
    { 2, Banor::M4 },
    { 5, Banor::RotateNext },
};

// Tracks per target, by weight; each table's total is its draw's range.
const Weighted kEchoThrowTracks[] = { { 5, STAB }, { 4, PERC }, { 4, CLICK }, { 2, HAT }, { 1, BAS } };
const Weighted kFilterTracks[] = { { 3, HAT }, { 3, STAB }, { 3, BAS }, { 2, PERC }, { 1, Banor::kAllTracks } };
const Weighted kStutterTracks[] = { { 4, PERC }, { 3, HAT }, { 3, CLICK }, { 2, STAB }, { 1, BAS } };
const Weighted kPitchTracks[] = { { 5, PERC }, { 3, STAB }, { 2, BAS }, { 2, CLICK }, { 1, HAT } };
const Weighted kCrushTracks[] = { { 3, PERC }, { 3, CLICK }, { 2, HAT }, { 2, STAB }, { 1, Banor::kAllTracks } };
const Weighted kChopTracks[] = { { 3, STAB }, { 3, BAS }, { 2, HAT }, { 2, Banor::kAllTracks } };
const Weighted kMacroTracks[] = { { 4, BAS }, { 3, STAB }, { 2, PERC }, { 1, HAT } };     // M1-M4, Rotera nästa

// Rates by weight, out of 102; "1/4" is never chosen.
const Weighted kRates[] = {
    { 40, 1 },      // "1/16"
    { 15, 2 },      // "1/8"
    { 12, 4 },      // "1/16T"
    { 10, 6 },      // "3/16"
    { 8, 7 },       // "5/16"
    { 8, 0 },       // "1/32"
    { 5, 5 },       // "1/8T"
    { 4, 8 },       // "5-del"
};

constexpr int kStepChoices[10] = { 5, 7, 8, 9, 11, 12, 13, 16, 16, 16 };

template <int N>
int total (const Weighted (&table)[N])
{
    int sum = 0;
    for (const auto& w : table)
        sum += w.weight;
    return sum;
}

template <int N>
int draw (RandomSource& random, const Weighted (&table)[N])
{
    return pick (table, random.nextInt (total (table)));
}
} // namespace

BanaRecipe drawBanaRecipe (RandomSource& random)
{
    BanaRecipe r;
    r.target = draw (random, kTargets);
    switch (r.target)
    {
        case Banor::EchoThrow: r.track = draw (random, kEchoThrowTracks); break;
        case Banor::Filter:    r.track = draw (random, kFilterTracks); break;
        case Banor::Stutter:   r.track = draw (random, kStutterTracks); break;
        case Banor::Pitch:     r.track = draw (random, kPitchTracks); break;
        case Banor::Crush:     r.track = draw (random, kCrushTracks); break;
        case Banor::Chop:      r.track = draw (random, kChopTracks); break;
        default:               r.track = draw (random, kMacroTracks); break;
    }
    r.steps = kStepChoices[random.nextInt (10)];
    r.hits = 1 + random.nextInt (r.steps / 2 > 1 ? r.steps / 2 : 1);
    r.rate = draw (random, kRates);
    r.depth = 0.35f + 0.55f * random.nextFloat();
    if ((r.target == Banor::Filter || r.target == Banor::Pitch) && random.nextFloat() < 0.35f)
        r.depth = -r.depth;
    r.rotation = random.nextInt (r.steps);
    r.decay = 0.1f + 0.5f * random.nextFloat();
    return r;
}

int drawBanaCount (RandomSource& random)
{
    return 3 + random.nextInt (3);
}

} // namespace grum
