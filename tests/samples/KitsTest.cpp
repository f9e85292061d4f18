// Kits and track sources: which kit is in force, how a source string becomes
// engine settings, display names and the shuffle pools.

#include "ExpectedSamples.h"
#include "conductor/Types.h"
#include "samples/Kits.h"
#include "samples/SampleData.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace grum
{
namespace
{
std::vector<std::string> namesIn (const std::string& category)
{
    std::vector<std::string> out;
    for (const char* n : test::kExpectedSamples)
        if (std::string (n).rfind ("Lp", 0) != 0 && std::string (n, 1) == category)
            out.push_back (n);
    return out;
}

TEST (Kits, EveryKitAndStyleNamesRealThings)
{
    std::set<std::string> library (std::begin (test::kExpectedSamples), std::end (test::kExpectedSamples));
    std::set<std::string> kitNames;
    for (const auto& kit : kKits)
    {
        EXPECT_TRUE (kitNames.insert (kit.name).second) << kit.name;
        for (const char* s : { kit.kick, kit.hatClosed, kit.hatOpen, kit.click, kit.perc, kit.percAlt, kit.bas, kit.stab })
            EXPECT_EQ (library.count (s), 1u) << kit.name << ": " << s;
    }
    for (const auto& row : kStyleKits)
    {
        int filled = 0;
        for (const char* k : row.kits)
            if (k != nullptr)
            {
                ++filled;
                EXPECT_GE (kitIndexOf (k), 0) << k;
            }
        EXPECT_EQ (filled, row.count);
    }
}

TEST (Kits, WantedKitFollowsParameterStyleAndPlayback)
{
    auto choice = [] (float kit, float seed, float style) { KitChoice c; c.kitParam = kit; c.seedParam = seed; c.styleParam = style; return c; };
    const int autoStyle = (int) (derive (126, 87, 0) & 15u);
    const struct { const char* what; KitChoice c; const char* expected; } cases[] = {
        { "kit 1", choice (1, 126, 0), "Smedjan" },
        { "kit 44", choice (44, 126, 0), "Stålpressen" },
        { "kit 45 and above: the last kit", choice (45, 126, 0), "Stålpressen" },
        { "style 10 seed 7: slot 7 mod 5", choice (0, 7, 10), "Dorvanbunker" },
        { "style 1 seed 126: slot 2", choice (0, 126, 1), "Kall Härdning" },
        { "learned style, nothing learned: style 1's list", choice (0, 126, 17), "Kall Härdning" },
        { "seed limited to 1..9999", choice (0, 20000, 10), kStyleKits[9].kits[9999 % 5] },
        { "AUTO style: the conductor's choice", choice (0, 126, 0), kStyleKits[autoStyle].kits[126 % kStyleKits[autoStyle].count] },
    };
    for (const auto& c : cases)
        EXPECT_EQ (wantedKit (c.c), kitIndexOf (c.expected)) << c.what;

    KitChoice learned = choice (0, 126, 17);
    learned.learned = true;
    EXPECT_EQ (wantedKit (learned), kitIndexOf ("Dorvan Grund"));

    // While this song plays, the wandering bar style decides.
    KitChoice playing = choice (0, 126, 1);
    playing.playing = true;
    playing.songId = 126 * 64 + 1;
    playing.barStyle = 5;   // DUBKANALEN
    EXPECT_EQ (wantedKit (playing), kitIndexOf (kStyleKits[5].kits[126 % 4]));
    playing.barStyle = 16;  // the learned style
    EXPECT_EQ (wantedKit (playing), kitIndexOf ("Dorvan Grund"));
    playing.songId = 7 * 64 + 1;   // a different song was published: the parameters decide
    EXPECT_EQ (wantedKit (playing), kitIndexOf ("Kall Härdning"));
}

// A library of names only; decoding is the library's business.
struct FakeLibrary
{
    std::map<std::string, SampleData> data;
    FakeLibrary()
    {
        for (const char* n : test::kExpectedSamples)
            data[n].left = { 0.1f, 0.2f, 0.0f };
    }
    SampleLoader loader()
    {
        return [this] (const std::string& n) -> const SampleData* { auto it = data.find (n); return it == data.end() ? nullptr : &it->second; };
    }
};

TEST (TrackSources, SourceStringsBecomeEngineSettings)
{
    FakeLibrary lib;
    const auto load = lib.loader();
    const int smedjan = 0;

    auto plan = planTrackSound (smedjan, KICK, "", load);
    EXPECT_EQ (plan.selector, kSelectSample);
    EXPECT_EQ (plan.main, load ("K29_Stad_Kick_F"));
    EXPECT_EQ (plan.alternative, nullptr);
    EXPECT_EQ (plan.shown, "K29_Stad_Kick_F");

    plan = planTrackSound (smedjan, PERC, "", load);
    EXPECT_EQ (plan.alternative, load ("F02_Stad_Ab"));
    plan = planTrackSound (smedjan, PERC, "P14_Clave", load);   // a chosen sample has no alternative
    EXPECT_EQ (plan.main, load ("P14_Clave"));
    EXPECT_EQ (plan.alternative, nullptr);

    // The HAT always gets the kit's open hat, even with a sample of its own.
    plan = planTrackSound (smedjan, HAT, "H01_Closed", load);
    EXPECT_EQ (plan.main, load ("H01_Closed"));
    EXPECT_EQ (plan.alternative, load ("H24_Smide_Open"));

    // A missing sample falls back to the kit's, then to the classic synthesiser.
    plan = planTrackSound (smedjan, BAS, "B99_Gone", load);
    EXPECT_EQ (plan.shown, "B21_Techno_Bas_F");
    EXPECT_EQ (plan.selector, kSelectSample);
    lib.data.erase ("B21_Techno_Bas_F");
    plan = planTrackSound (smedjan, BAS, "B99_Gone", load);
    EXPECT_EQ (plan.selector, kSelectSynth);
    EXPECT_EQ (plan.main, nullptr);
    EXPECT_EQ (plan.shown, "");
    EXPECT_EQ (laneSoundName (plan.shown), "SYNT");

    plan = planTrackSound (smedjan, STAB, "synt", load);
    EXPECT_TRUE (plan.setSamples);
    EXPECT_EQ (plan.main, nullptr);
    EXPECT_EQ (plan.selector, kSelectSynth);

    plan = planTrackSound (smedjan, STAB, "grum:12:345", load);
    EXPECT_FALSE (plan.setSamples);   // the sample engine keeps what it had
    EXPECT_TRUE (plan.setRecipe);
    EXPECT_EQ (plan.recipe, 9);
    EXPECT_EQ (plan.variant, 345);
    EXPECT_EQ (plan.selector, kSelectGrum);
    plan = planTrackSound (smedjan, STAB, "grum:abc", load);
    EXPECT_EQ (plan.recipe, 0);
    EXPECT_EQ (plan.variant, 0);

    // An out-of-range kit index is clamped, never read past the table.
    EXPECT_EQ (planTrackSound (-1, KICK, "", load).shown, "K29_Stad_Kick_F");
    EXPECT_EQ (planTrackSound (99, KICK, "", load).shown, kKits[kNumKits - 1].kick);
}

TEST (TrackSources, DisplayNames)
{
    const struct { const char* shown; const char* text; } cases[] = {
        { "", "SYNT" },
        { "K29_Stad_Kick_F", "Stad Kick F" },
        { "grum:12:345", "GRUM KNAS 45" },
        { "grum:4:7", "GRUM ACID 7" },
        { "grum:x:y", "GRUM HYPNOS 0" },
        { "grum:3:-7", "GRUM MÖRKER 0" },   // the variant played is never negative
    };
    for (const auto& c : cases)
        EXPECT_EQ (laneSoundName (c.shown), c.text) << c.shown;
}

TEST (Shuffle, PoolsHoldTheRightKindAndNeverTheCurrentSound)
{
    const auto hats = shufflePool (HAT, "H01_Closed", namesIn);
    EXPECT_FALSE (hats.empty());
    for (const auto& n : hats)
    {
        EXPECT_EQ (n[0], 'H');
        EXPECT_EQ (n.find ("Open"), std::string::npos) << n;
        EXPECT_EQ (n.find ("Ride"), std::string::npos) << n;
        EXPECT_NE (n, "H01_Closed");
    }
    const auto clicks = shufflePool (CLICK, "", namesIn);
    EXPECT_EQ (clicks.front(), "C01_Clap_909ish");
    EXPECT_NE (std::find (clicks.begin(), clicks.end(), "P22_Rim_Crack"), clicks.end());
    EXPECT_NE (std::find (clicks.begin(), clicks.end(), "P41_Woodblock_Tribal"), clicks.end());
    EXPECT_EQ (std::find (clicks.begin(), clicks.end(), "P11_Conga_Low"), clicks.end());
    EXPECT_EQ (shufflePool (PERC, "", namesIn).size(), 48u + 16u);
    EXPECT_EQ (shufflePool (KICK, "K01_909_Punch", namesIn).size(), 28u);
    EXPECT_TRUE (shufflePool (7, "", namesIn).empty());

    std::mt19937_64 rng (42);
    std::uniform_real_distribution<double> unit (0.0, 1.0);
    const std::function<double()> draw = [&] { return unit (rng); };
    for (int i = 0; i < 200; ++i)
    {
        const std::string next = shuffledSource (HAT, "", "H18_Closed_Tight", namesIn, draw);
        EXPECT_NE (next, "H18_Closed_Tight");
        EXPECT_EQ (next.find ("Open"), std::string::npos);
        EXPECT_EQ (next.find ("Ride"), std::string::npos);
    }
    const auto emptyPool = [] (const std::string&) { return std::vector<std::string>(); };
    EXPECT_EQ (shuffledSource (BAS, "B01_Sub_Roll_F", "B01_Sub_Roll_F", emptyPool, draw), "B01_Sub_Roll_F");
}

TEST (Shuffle, GrumSourceKeepsItsRecipeAboutSeventyThreePercent)
{
    std::mt19937_64 rng (7);
    std::uniform_real_distribution<double> unit (0.0, 1.0);
    const std::function<double()> draw = [&] { return unit (rng); };
    int kept = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i)
    {
        const std::string next = shuffledSource (STAB, "grum:4:1", "grum:4:1", namesIn, draw);
        int recipe = -1, variant = -1;
        parseGrumSource (next, recipe, variant);
        ASSERT_GE (variant, 1);
        ASSERT_LE (variant, 999);
        ASSERT_GE (recipe, 0);
        ASSERT_LE (recipe, 9);
        kept += recipe == 4 ? 1 : 0;
    }
    EXPECT_NEAR ((double) kept / n, 0.73, 0.015);
}

} // namespace
} // namespace grum
