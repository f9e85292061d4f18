// The bar dump and its golden file.
//
// tests/data/reference_bars.jsonl holds bars 0..300 of the reference song
// (the defaults of `grum bars`). A change to it is a change to the music and
// must be a decision. To regenerate it after such a decision:
//
//     grum bars --from 0 --to 300 > tests/data/reference_bars.jsonl
//
// or, from an engine-only build:
//
//     GRUM_REGENERATE_GOLDEN=1 build-engine/tests/grum_engine_tests --gtest_filter='BarDump.GoldenReferenceSong'

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "conductor/BarDump.h"
#include "conductor/Conductor.h"
#include "conductor/LaneText.h"

using namespace grum;

namespace
{
struct CommandRun
{
    int status = -1;
    std::string out, err;
};

CommandRun bars (std::vector<const char*> args)
{
    std::ostringstream out, err;
    CommandRun run;
    run.status = runBarsCommand ((int) args.size(), args.data(), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::vector<std::string> linesOf (const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in (text);
    for (std::string line; std::getline (in, line);)
        lines.push_back (line);
    return lines;
}

std::string tempFile (const char* name, const std::string& content)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream (path, std::ios::binary) << content;
    return path;
}
} // namespace

TEST (BarDump, GoldenReferenceSong)
{
    const std::string path = std::string (GRUM_TEST_DATA_DIR) + "/reference_bars.jsonl";
    const CommandRun run = bars ({ "--from", "0", "--to", "300" });
    ASSERT_EQ (run.status, 0) << run.err;

    if (std::getenv ("GRUM_REGENERATE_GOLDEN") != nullptr)
    {
        std::ofstream (path, std::ios::binary) << run.out;
        GTEST_SKIP() << "regenerated " << path;
    }

    std::ifstream file (path, std::ios::binary);
    ASSERT_TRUE (file) << "missing " << path;
    std::stringstream golden;
    golden << file.rdbuf();

    const std::vector<std::string> want = linesOf (golden.str());
    const std::vector<std::string> got = linesOf (run.out);
    ASSERT_EQ (got.size(), 301u);
    ASSERT_EQ (want.size(), got.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ (got[i], want[i]) << "bar " << i << " differs from the golden file";
}

TEST (BarDump, KeysInOrderAndExactFloats)
{
    const CommandRun run = bars ({ "--to", "1" });
    ASSERT_EQ (run.status, 0);
    const std::vector<std::string> lines = linesOf (run.out);
    ASSERT_EQ (lines.size(), 2u);      // --from defaults to 0

    const std::regex key ("\"([A-Za-z]+)\":");
    std::vector<std::string> keys;
    for (auto it = std::sregex_iterator (lines[0].begin(), lines[0].end(), key); it != std::sregex_iterator(); ++it)
        keys.push_back ((*it)[1]);
    const std::vector<std::string> expected = { "bar", "style", "pendingStyle", "phase", "energy", "arcIndex", "arcStart",
                                                "arcBars", "keyOffset", "cutLane", "cutUntil", "density", "densityTarget",
                                                "stabDelay", "swingBoost", "laneOn", "timbre", "lanes" };
    EXPECT_EQ (keys, expected);

    // 0.15f widened to double, 17 significant digits.
    EXPECT_NE (lines[0].find ("\"energy\":0.15000000596046448,"), std::string::npos);
    EXPECT_NE (lines[0].find ("\"laneOn\":[1,0,0,0,0,1]"), std::string::npos);
    EXPECT_EQ (lines[0].rfind ("{\"bar\":0,\"style\":6,\"pendingStyle\":-1,\"phase\":0,", 0), 0u);
    EXPECT_NE (lines[1].find ("\"energy\":0.171875,"), std::string::npos);
    // The reference song's PERC lane: length 11, the base steps of "x.3x..5.7".
    EXPECT_NE (lines[0].find ("\"11;0,100,0,100,0,0;2,100,0,100,0,3;3,100,0,100,0,0;6,100,0,100,0,7;8,100,0,100,0,10\""), std::string::npos);
}

TEST (BarDump, LaneTextRoundsHalvesToEvenAndReadsBack)
{
    LaneGenome g;
    g.length = 16;
    const float chances[4] = { 0.125f, 0.375f, 0.625f, 0.875f };   // 12.5, 37.5, 62.5, 87.5
    for (int i = 0; i < 4; ++i)
    {
        g.steps[i * 4] = { true, i == 1, (std::uint8_t) (60 + i), chances[i], 0.0f, 0 };
    }
    g.steps[4].shift = -0.15f;
    g.steps[8].shift = 0.0461f;
    g.steps[12].note = -2;
    g.steps[20].on = true;      // beyond the length: not written
    const std::string text = encodeLane (g);
    EXPECT_EQ (text, "16;0,60,0,12,0,0;4,61,1,38,-150,0;8,62,0,62,46,0;12,63,0,88,0,-2");

    LaneGenome back;
    ASSERT_TRUE (decodeLane (text.c_str(), back));
    EXPECT_EQ (back.length, 16);
    EXPECT_EQ (back.steps[4].shift, -0.15f);
    EXPECT_EQ (back.steps[0].chance, 0.12f);
    EXPECT_TRUE (back.steps[4].open);
    EXPECT_FALSE (back.steps[20].on);
    EXPECT_EQ (encodeLane (back), text);

    LaneGenome silent;
    silent.length = 9;
    EXPECT_EQ (encodeLane (silent), "9");

    for (const char* bad : { "", "2", "33", "16;", "16;16,100,0,100,0,0", "16;3,100,0,100,0,0;3,100,0,100,0,0",
                             "16;0,128,0,100,0,0", "16;0,100,2,100,0,0", "16;0,100,0,101,0,0", "16;0,100,0,100,0", "16x" })
        EXPECT_FALSE (decodeLane (bad, back)) << bad;
}

TEST (BarDump, BadArgumentsExitWithStatusTwoAndOneLine)
{
    const std::string missing = testing::TempDir() + "no_such_pins.json";
    const std::string malformed = tempFile ("bad_pins.json", "[{\"bar\": 3, \"lanes\": [\"16\"]}]");
    const std::vector<std::vector<const char*>> cases = {
        { "--seed", "0" }, { "--seed", "12x" }, { "--seed" }, { "--style", "17" }, { "--fras", "5" },
        { "--langd", "100" }, { "--kaos", "1.5" }, { "--kaos", "nan" }, { "--energy", "-0.1" },
        { "--energy-auto", "2" }, { "--locked", "00000" }, { "--locked", "0000a0" }, { "--from", "-1" },
        { "--from", "5", "--to", "4" }, { "--bogus", "1" }, { "stray" }, { "--pins", missing.c_str() },
        { "--pins", malformed.c_str() },
    };
    for (const auto& args : cases)
    {
        const CommandRun run = bars (args);
        std::string shown;
        for (const char* a : args)
            shown += std::string (a) + " ";
        EXPECT_EQ (run.status, 2) << shown;
        EXPECT_TRUE (run.out.empty()) << shown;
        EXPECT_EQ (linesOf (run.err).size(), 1u) << shown << run.err;
    }
}

TEST (BarDump, SettingsAndPinsReachTheConductor)
{
    // Looping instead of endless: bar 144 is back at the end of the intro.
    const CommandRun looping = bars ({ "--endless", "0", "--from", "144", "--to", "144" });
    ASSERT_EQ (looping.status, 0) << looping.err;
    EXPECT_NE (looping.out.find ("\"arcIndex\":0,\"arcStart\":128,"), std::string::npos) << looping.out;

    const CommandRun manual = bars ({ "--energy-auto", "0", "--energy", "0.9", "--seed", "5", "--style", "3", "--to", "0" });
    ASSERT_EQ (manual.status, 0);
    EXPECT_NE (manual.out.find ("\"style\":3,"), std::string::npos);
    EXPECT_NE (manual.out.find ("\"energy\":0.89999997615814209,"), std::string::npos);

    const char* lanes[6] = { "16;0,124,0,100,0,0;8,124,0,100,0,0", "8;1,66,0,50,0,0", "3", "5;0,100,0,100,150,3",
                             "16;2,100,1,100,-20,-2", "16;11,66,0,100,0,0" };
    std::string json = "[ {\"bar\": 5, \"lanes\": [";
    for (int lane = 0; lane < 6; ++lane)
        json += std::string (lane > 0 ? ", \"" : "\"") + lanes[lane] + "\"";
    json += "]} ]\n";
    const std::string path = tempFile ("pins.json", json);

    const CommandRun pinned = bars ({ "--pins", path.c_str(), "--from", "4", "--to", "5", "--locked", "100000" });
    const CommandRun plain = bars ({ "--from", "4", "--to", "5", "--locked", "100000" });
    ASSERT_EQ (pinned.status, 0) << pinned.err;
    const std::vector<std::string> with = linesOf (pinned.out), without = linesOf (plain.out);
    ASSERT_EQ (with.size(), 2u);
    EXPECT_EQ (with[0], without[0]);    // bar 4 is before the pin
    std::string expected = "\"lanes\":[";
    for (int lane = 0; lane < 6; ++lane)
        expected += std::string (lane > 0 ? ",\"" : "\"") + lanes[lane] + "\"";
    EXPECT_NE (with[1].find (expected + "]}"), std::string::npos) << with[1];
}
