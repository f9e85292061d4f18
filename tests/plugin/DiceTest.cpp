// The lanes tab's dice, through the processor's parameters.

#include <gtest/gtest.h>

#include "PluginProcessor.h"

#include <memory>
#include <set>
#include <vector>

namespace
{
std::vector<float> laneParameters (GrumProcessor& p, int lane)
{
    std::vector<float> values;
    for (int which = 0; which < params::kNumLaneParams; ++which)
    {
        auto* param = p.parameters().getParameter (params::laneParamId (lane, which));
        values.push_back (param->convertFrom0to1 (param->getValue()));
    }
    return values;
}
} // namespace

TEST (Dice, NewLanesSwitchThreeToFiveOnAndOnlyTurnTheRestOff)
{
    auto processor = std::make_unique<GrumProcessor>();
    // Make every lane recognisable, so a change to any parameter shows.
    for (int lane = 0; lane < 8; ++lane)
    {
        auto* mal = processor->parameters().getParameter (params::laneParamId (lane, params::mal));
        mal->setValueNotifyingHost (mal->convertTo0to1 (1.0f));
        auto* djup = processor->parameters().getParameter (params::laneParamId (lane, params::djup));
        djup->setValueNotifyingHost (djup->convertTo0to1 (-0.123f));
    }

    std::set<int> counts;
    for (int round = 0; round < 40; ++round)
    {
        std::vector<std::vector<float>> before;
        for (int lane = 0; lane < 8; ++lane)
            before.push_back (laneParameters (*processor, lane));

        const auto status = processor->randomizeBanor();
        int on = 0;
        for (int lane = 0; lane < 8; ++lane)
        {
            const auto after = laneParameters (*processor, lane);
            if (after[params::mal] != 0.0f)
            {
                EXPECT_EQ (lane, on) << "the lanes switched on come first";
                ++on;
                EXPECT_NE (after[params::takt], 3.0f);               // never "1/4"
                EXPECT_GE (after[params::decay], 0.1f);
                EXPECT_LE (after[params::decay], 0.6f);
                continue;
            }
            for (int which = 1; which < params::kNumLaneParams; ++which)
                EXPECT_EQ (after[(size_t) which], before[(size_t) lane][(size_t) which]) << "lane " << lane << " param " << which;
        }
        EXPECT_GE (on, 3);
        EXPECT_LE (on, 5);
        counts.insert (on);
        EXPECT_EQ (status, "Nya banor: " + juce::String (on) + juce::String::fromUTF8 (" igång."));
    }
    EXPECT_EQ (counts.size(), 3u);     // 40 rounds see 3, 4 and 5

    // One lane's dice changes that lane only.
    const auto other = laneParameters (*processor, 7);
    processor->randomizeBana (6);
    EXPECT_NE (laneParameters (*processor, 6)[params::mal], 0.0f);
    EXPECT_EQ (laneParameters (*processor, 7), other);
    processor->randomizeBana (8);        // no such lane: nothing happens
    EXPECT_EQ (laneParameters (*processor, 7), other);
}
