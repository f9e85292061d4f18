// The built VST3 and LV2 bundles, loaded in-process through the framework's
// own hosting the way a DAW loads them: this proves the wrappers, not only
// the processor class.

#include <gtest/gtest.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include "PluginProcessor.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace
{
constexpr const char* kLv2Uri = "https://dovhammar.se/plugins/grum";

struct Loaded
{
    std::unique_ptr<juce::AudioPluginFormat> format;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    juce::String error;
};

// The LV2 world also reads the user's ~/.lv2; point HOME at an empty folder
// so that an installed copy cannot stand in for the bundle under test.
struct IsolatedHome
{
    juce::TemporaryFile folder;
    juce::String previous { std::getenv ("HOME") };

    IsolatedHome()
    {
        folder.getFile().createDirectory();
        setenv ("HOME", folder.getFile().getFullPathName().toRawUTF8(), 1);
    }
    ~IsolatedHome()
    {
        setenv ("HOME", previous.toRawUTF8(), 1);
        folder.getFile().deleteRecursively();
    }
};

Loaded load (const juce::String& kind)
{
    Loaded result;
    juce::OwnedArray<juce::PluginDescription> found;

    if (kind == "VST3")
    {
        result.format = std::make_unique<juce::VST3PluginFormat>();
        // The binary sits in GRUM.vst3/Contents/<arch>-linux; hosts are given the bundle.
        const auto bundle = juce::File (GRUM_VST3_BINARY_DIR).getParentDirectory().getParentDirectory();
        result.format->findAllTypesForFile (found, bundle.getFullPathName());
    }
    else
    {
        IsolatedHome home;
        result.format = std::make_unique<juce::LV2PluginFormat>();
        const juce::File bundle (GRUM_LV2_BUNDLE);
        result.format->searchPathsForPlugins (juce::FileSearchPath (bundle.getParentDirectory().getFullPathName()), false, false);
        result.format->findAllTypesForFile (found, kLv2Uri);
    }

    if (found.isEmpty())
    {
        result.error = "no plug-in found in the bundle";
        return result;
    }
    result.instance = result.format->createInstanceFromDescription (*found[0], 48000.0, 512, result.error);
    return result;
}

juce::AudioProcessorParameter* named (juce::AudioPluginInstance& plugin, const char* name)
{
    for (auto* p : plugin.getParameters())
        if (p->getName (64) == name)
            return p;
    return nullptr;
}

class Wrapper : public ::testing::TestWithParam<const char*> {};

TEST_P (Wrapper, LooksToAHostLikeTheProcessor)
{
    auto loaded = load (GetParam());
    ASSERT_NE (loaded.instance, nullptr) << loaded.error;
    auto& plugin = *loaded.instance;

    EXPECT_EQ (plugin.getName(), "GRUM");
    EXPECT_EQ (plugin.getPluginDescription().manufacturerName, "Dovhammar");
    EXPECT_TRUE (plugin.getPluginDescription().isInstrument);
    EXPECT_TRUE (plugin.acceptsMidi());
    EXPECT_TRUE (plugin.producesMidi());
    EXPECT_EQ (plugin.getTotalNumOutputChannels(), 2);
    EXPECT_EQ (plugin.getTotalNumInputChannels(), 0);

    // The host sees the class's own parameters with their names and defaults.
    // A wrapper adds its bypass switch, which is not one of ours.
    GrumProcessor reference;
    const auto& expected = reference.getParameters();
    juce::Array<juce::AudioProcessorParameter*> actual;
    for (auto* p : plugin.getParameters())
        if (p != plugin.getBypassParameter() && p->getName (64) != "Bypass" && p->getName (64) != "enabled")
            actual.add (p);
    ASSERT_EQ (actual.size(), 107);
    ASSERT_EQ (expected.size(), 107);

    if (juce::String (GetParam()) == "VST3")
    {
        // In host order, with the texts the plug-in gives for them.
        for (int i = 0; i < actual.size(); ++i)
        {
            EXPECT_EQ (actual[i]->getName (1024), expected[i]->getName (1024)) << i;
            EXPECT_EQ (actual[i]->getText (actual[i]->getDefaultValue(), 1024),
                       expected[i]->getText (expected[i]->getDefaultValue(), 1024)) << i;
        }
    }
    else
    {
        // LV2 has no parameter order of its own (hosts sort as they like) and
        // no value-to-text call, so each parameter is found by name and its
        // default compared as a value.
        for (auto* e : expected)
        {
            auto* match = std::find_if (actual.begin(), actual.end(),
                                        [e] (auto* a) { return a->getName (1024) == e->getName (1024); });
            ASSERT_NE (match, actual.end()) << e->getName (1024);
            EXPECT_NEAR ((*match)->getDefaultValue(), e->getDefaultValue(), 1e-5f) << e->getName (1024);
        }
    }

    // It plays a block: silence for now, finite and stereo.
    plugin.prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 61, (juce::uint8) 100), 0);
    plugin.processBlock (buffer, midi);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i)));
    plugin.releaseResources();
}

TEST_P (Wrapper, ParameterChangeSurvivesSaveAndReload)
{
    auto first = load (GetParam());
    ASSERT_NE (first.instance, nullptr) << first.error;

    auto* kaos = named (*first.instance, "KAOS");
    auto* seed = named (*first.instance, "SEED");
    ASSERT_TRUE (kaos != nullptr && seed != nullptr);
    kaos->setValueNotifyingHost (0.8f);
    seed->setValueNotifyingHost (4241.0f / 9998.0f);

    // LV2 hands parameter changes to the plug-in with the next block it plays
    // and reports values back the same way, so both instances play blocks
    // around the save and the restore, as they would in a host.
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    auto play = [&] (juce::AudioPluginInstance& plugin)
    {
        for (int i = 0; i < 2; ++i)
            plugin.processBlock (buffer, midi);
    };
    first.instance->prepareToPlay (48000.0, 512);
    play (*first.instance);

    juce::MemoryBlock saved;
    first.instance->getStateInformation (saved);
    ASSERT_GT (saved.getSize(), 0u);

    auto second = load (GetParam());
    ASSERT_NE (second.instance, nullptr) << second.error;
    auto* kaos2 = named (*second.instance, "KAOS");
    auto* seed2 = named (*second.instance, "SEED");
    ASSERT_TRUE (kaos2 != nullptr && seed2 != nullptr);
    ASSERT_NEAR (kaos2->getValue(), 0.35f, 1e-5f);
    second.instance->setStateInformation (saved.getData(), (int) saved.getSize());
    second.instance->prepareToPlay (48000.0, 512);
    play (*second.instance);
    EXPECT_NEAR (kaos2->getValue(), 0.8f, 1e-5f);
    EXPECT_NEAR (seed2->getValue() * 9998.0f + 1.0f, 4242.0f, 1e-2f);
}

INSTANTIATE_TEST_SUITE_P (Formats, Wrapper, ::testing::Values ("VST3", "LV2"));
} // namespace
