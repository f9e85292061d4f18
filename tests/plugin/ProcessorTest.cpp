#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "PluginEditor.h"
#include "PluginProcessor.h"

#include <cmath>
#include <memory>

namespace
{
// A processor prepared as a host would, with helpers to move its parameters
// and run one block.
struct Fixture : ::testing::Test
{
    std::unique_ptr<GrumProcessor> processor = std::make_unique<GrumProcessor>();
    juce::AudioBuffer<float> buffer { 2, 256 };
    juce::MidiBuffer midi;

    void SetUp() override { processor->prepareToPlay (48000.0, 256); }

    juce::RangedAudioParameter& param (const juce::String& id)
    {
        auto* p = processor->parameters().getParameter (id);
        EXPECT_NE (p, nullptr) << id;
        return *p;
    }

    void set (const juce::String& id, float plain)
    {
        auto& p = param (id);
        p.setValueNotifyingHost (p.convertTo0to1 (plain));
    }

    void block() { processor->processBlock (buffer, midi); }
};

using Processor = Fixture;

TEST_F (Processor, LayoutInHostOrder)
{
    const auto& all = processor->getParameters();
    ASSERT_EQ (all.size(), 107);

    struct Row { int index; const char* id; const char* name; const char* text; };
    const Row rows[] = {
        { 1, "seed", "SEED", "126" },
        { 2, "stil", "STIL", "AUTO (SEED)" },
        { 3, "kaos", "KAOS", "35%" },
        { 5, "langd", "L\xc3\x84NGD", "128" },
        { 10, "rot", "ROT", "G" },
        { 12, "tempo", "TEMPO", "126.0 BPM" },
        { 15, "kanaler", "MIDI-KANALER", "ETT PER SP\xc3\x85R" },
        { 19, "kit", "KIT", "AUTO (f\xc3\xb6ljer stilen)" },
        { 22, "ekoTid", "EKO TID", "1/8." },
        { 25, "ekoNiv", "EKO NIV\xc3\x85", "70%" },
        { 26, "b1mal", "BANA 1 M\xc3\x85L", "Eko-kast" },
        { 31, "b1takt", "BANA 1 TAKT", "1/16" },
        { 32, "b1djup", "BANA 1 DJUP", "80%" },
        { 47, "b3takt", "BANA 3 TAKT", "1/16" },
        { 71, "b6takt", "BANA 6 TAKT", "1/16T" },
        { 87, "b8takt", "BANA 8 TAKT", "5/16" },
        { 89, "b8decay", "BANA 8 DECAY", "30%" },
        { 90, "eko0", "KICK EKO", "0%" },
        { 95, "eko5", "STAB EKO", "15%" },
        { 96, "lvl0", "KICK NIV", "100%" },
        { 107, "las5", "STAB L\xc3\x85S", "Off" },
    };
    for (const auto& r : rows)
    {
        auto* p = dynamic_cast<juce::RangedAudioParameter*> (all[r.index - 1]);
        ASSERT_NE (p, nullptr);
        EXPECT_EQ (p->getParameterID(), juce::String (r.id)) << r.index;
        EXPECT_EQ (p->getName (1024), juce::String::fromUTF8 (r.name)) << r.index;
        EXPECT_EQ (p->getText (p->getDefaultValue(), 1024), juce::String::fromUTF8 (r.text)) << r.index;
        EXPECT_EQ (p->getVersionHint(), 1);
    }

    // Value texts for the shapes hosts show: negative percent, over 100%, tempo.
    auto& djup = param ("b1djup");
    EXPECT_EQ (djup.getText (djup.convertTo0to1 (-0.8f), 64), "-80%");
    auto& lvl = param ("lvl3");
    EXPECT_EQ (lvl.getText (lvl.convertTo0to1 (1.5f), 64), "150%");
    EXPECT_NEAR (lvl.convertFrom0to1 (lvl.getValueForText ("120%")), 1.2f, 1e-6f);
    auto& tempo = param ("tempo");
    EXPECT_NEAR (tempo.convertFrom0to1 (tempo.getValueForText ("133.3 BPM")), 133.3f, 1e-4f);
}

TEST_F (Processor, SettingsSnapshot)
{
    block();
    const auto& s = processor->settings();
    EXPECT_EQ (s.seed, 126);
    EXPECT_EQ (s.style, -1);
    EXPECT_EQ (s.phraseBars, 8);
    EXPECT_EQ (s.songBars, 128);
    EXPECT_FLOAT_EQ (s.chaos, 0.35f);
    EXPECT_TRUE (s.energyAuto && s.endless && s.styleWander && s.keyWander);
    EXPECT_EQ (processor->rootNote(), 43);

    set ("stil", 17);
    block();
    EXPECT_EQ (s.style, 16);        // LÄRD (MIDI)
    set ("stil", 5);
    set ("fras", 3);
    set ("langd", 4);
    set ("las4", 1);
    block();
    EXPECT_EQ (s.style, 4);
    EXPECT_EQ (s.phraseBars, 32);
    EXPECT_EQ (s.songBars, 512);
    EXPECT_TRUE (s.locked[4]);
    EXPECT_FALSE (s.locked[3]);

    set ("ekoTid", 3);
    set ("ekoFb", 0.5f);
    set ("volym", 0.5f);
    block();
    EXPECT_FLOAT_EQ (processor->mixValues().echoBeats, 0.75f);
    EXPECT_FLOAT_EQ (processor->mixValues().echoFeedback, 0.5f * 0.92f);
    EXPECT_FLOAT_EQ (processor->mixValues().masterGain, 0.6f);

    EXPECT_EQ (processor->laneValues (2).target, 6);    // BANA 3: Stutter on PERC, 13 steps
    EXPECT_EQ (processor->laneValues (2).track, 3);
    EXPECT_EQ (processor->laneValues (2).steps, 13);
}

TEST_F (Processor, OutOfRangeStoredValuesAreClamped)
{
    // Only an automation value outside the range can store these.
    processor->parameters().getRawParameterValue ("b1steg")->store (0.0f);
    processor->parameters().getRawParameterValue ("b2takt")->store (99.0f);
    processor->parameters().getRawParameterValue ("seed")->store (-5.0f);
    processor->parameters().getRawParameterValue ("ekoTid")->store (std::nanf (""));
    block();
    EXPECT_EQ (processor->laneValues (0).steps, 1);
    EXPECT_EQ (processor->laneValues (1).rate, 8);
    EXPECT_EQ (processor->settings().seed, 1);
    EXPECT_FLOAT_EQ (processor->mixValues().echoBeats, 0.25f);
}

TEST_F (Processor, OnlyAChangeOfSongInvalidatesTheBarCache)
{
    block();
    const auto first = processor->barCacheInvalidations();
    block();
    EXPECT_EQ (processor->barCacheInvalidations(), first);
    EXPECT_EQ (processor->barCacheKey (0), -2);
    EXPECT_EQ (processor->barCacheKey (1), -2);

    struct Case { const char* id; float value; bool invalidates; };
    const Case cases[] = {
        { "kaos", 0.9f, false }, { "energi", 0.1f, false }, { "energiAuto", 0.0f, false },
        { "svang", 0.7f, false }, { "rot", 2.0f, false }, { "las2", 1.0f, false },
        { "pump", 0.1f, false }, { "b1djup", -0.3f, false },
        { "seed", 500.0f, true }, { "stil", 3.0f, true }, { "fras", 0.0f, true },
        { "langd", 2.0f, true }, { "evighet", 0.0f, true }, { "stilVandring", 0.0f, true },
        { "tonVandring", 0.0f, true },
    };
    for (const auto& c : cases)
    {
        const auto before = processor->barCacheInvalidations();
        set (c.id, c.value);
        block();
        EXPECT_EQ (processor->barCacheInvalidations() - before, c.invalidates ? 1u : 0u) << c.id;
    }
}

TEST_F (Processor, PlayedKeyOverridesRootUntilRotMoves)
{
    midi.addEvent (juce::MidiMessage::noteOn (1, 61, (juce::uint8) 100), 10);
    block();
    EXPECT_EQ (processor->rootNote(), 37);
    EXPECT_TRUE (midi.isEmpty());       // consumed, never passed through

    // A note-on of velocity 0 is a note-off and does not move the key.
    midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 0), 0);
    block();
    for (int i = 0; i < 3; ++i)
        block();
    EXPECT_EQ (processor->rootNote(), 37);

    set ("rot", 2);
    block();
    EXPECT_EQ (processor->rootNote(), 38);

    // The last of several keys in one block wins.
    midi.addEvent (juce::MidiMessage::noteOn (1, 40, (juce::uint8) 90), 0);
    midi.addEvent (juce::MidiMessage::noteOn (2, 71, (juce::uint8) 90), 5);
    block();
    EXPECT_EQ (processor->rootNote(), 36 + 11);
}

TEST_F (Processor, BlockIsSilentAndAllocatesNothing)
{
    buffer.setSize (2, 512);
    for (int ch = 0; ch < 2; ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), 0.5f, buffer.getNumSamples());
    midi.ensureSize (1024);

    block();     // the first block takes the first snapshot
    size_t allocations = 0;
    for (int i = 0; i < 50; ++i)
    {
        midi.addEvent (juce::MidiMessage::noteOn (1, 60 + i % 12, (juce::uint8) 100), i);
        set ("seed", (float) (1 + i));
        grum::test::AllocationScope scope;
        block();
        allocations += scope.count();
    }
    EXPECT_EQ (allocations, 0u);
    EXPECT_EQ (buffer.getMagnitude (0, buffer.getNumSamples()), 0.0f);

    juce::AudioBuffer<float> empty (2, 0);
    processor->processBlock (empty, midi);  // an empty block does nothing, and survives
}

TEST_F (Processor, BusLayouts)
{
    using Set = juce::AudioChannelSet;
    auto layout = [] (Set in, Set out)
    {
        juce::AudioProcessor::BusesLayout l;
        if (! in.isDisabled())
            l.inputBuses.add (in);
        l.outputBuses.add (out);
        return l;
    };
    EXPECT_TRUE (processor->isBusesLayoutSupported (layout (Set::disabled(), Set::stereo())));
    EXPECT_TRUE (processor->isBusesLayoutSupported (layout (Set::mono(), Set::stereo())));
    EXPECT_FALSE (processor->isBusesLayoutSupported (layout (Set::disabled(), Set::mono())));
    EXPECT_FALSE (processor->isBusesLayoutSupported (layout (Set::disabled(), Set::create5point1())));

    EXPECT_EQ (processor->getTotalNumOutputChannels(), 2);
    EXPECT_EQ (processor->getTotalNumInputChannels(), 0);
    EXPECT_EQ (processor->getBus (false, 0)->getName(), "Output");
    EXPECT_TRUE (std::isinf (processor->getTailLengthSeconds()));
    EXPECT_EQ (processor->getNumPrograms(), 1);
    EXPECT_EQ (processor->getProgramName (0), "GRUM");
}

TEST_F (Processor, StateRoundTripAndBadBytes)
{
    set ("kaos", 0.8f);
    set ("seed", 4242);
    set ("b5mal", 4);
    juce::MemoryBlock saved;
    processor->getStateInformation (saved);

    GrumProcessor other;
    other.setStateInformation (saved.getData(), (int) saved.getSize());
    EXPECT_NEAR (other.parameters().getRawParameterValue ("kaos")->load(), 0.8f, 1e-6f);
    EXPECT_EQ (other.parameters().getRawParameterValue ("seed")->load(), 4242.0f);
    EXPECT_EQ (other.parameters().getRawParameterValue ("b5mal")->load(), 4.0f);

    // Garbage, truncated bytes and a foreign document leave the state as it was.
    const char garbage[] = "not a GRUM state at all";
    other.setStateInformation (garbage, sizeof (garbage));
    other.setStateInformation (saved.getData(), (int) saved.getSize() / 2);
    juce::MemoryBlock foreign;
    juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("OTHER"), foreign);
    other.setStateInformation (foreign.getData(), (int) foreign.getSize());
    other.setStateInformation (nullptr, 0);
    EXPECT_EQ (other.parameters().getRawParameterValue ("seed")->load(), 4242.0f);

    // A document without some parameters gives them their defaults.
    juce::XmlElement partial ("GRUM");
    auto* p = partial.createNewChildElement ("PARAM");
    p->setAttribute ("id", "seed");
    p->setAttribute ("value", 77);
    juce::MemoryBlock partialBytes;
    juce::AudioProcessor::copyXmlToBinary (partial, partialBytes);
    other.setStateInformation (partialBytes.getData(), (int) partialBytes.getSize());
    EXPECT_EQ (other.parameters().getRawParameterValue ("seed")->load(), 77.0f);
    EXPECT_NEAR (other.parameters().getRawParameterValue ("kaos")->load(), 0.35f, 1e-6f);
    EXPECT_EQ (other.parameters().getRawParameterValue ("b5mal")->load(), 0.0f);
}

TEST_F (Processor, EditorHasItsFixedSize)
{
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor->createEditor());
    ASSERT_NE (dynamic_cast<GrumEditor*> (editor.get()), nullptr);
    EXPECT_EQ (editor->getWidth(), 1260);
    EXPECT_EQ (editor->getHeight(), 820);
    EXPECT_FALSE (editor->isResizable());
}
} // namespace
