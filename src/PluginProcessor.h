#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "Parameters.h"
#include "conductor/Types.h"
#include "lanes/LaneValues.h"
#include "sound/MixValues.h"

#include <atomic>
#include <cstdint>

// The object the host talks to: a stereo instrument with MIDI in and out that
// owns the whole running system.
class GrumProcessor : public juce::AudioProcessor,
                      private juce::Timer
{
public:
    static constexpr int kChunk = 512;      // internal render chunk, whatever the host block

    GrumProcessor();
    ~GrumProcessor() override;

    const juce::String getName() const override { return "GRUM"; }

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override {}
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    // audio thread only
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override { return std::numeric_limits<double>::infinity(); }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }
    bool isMidiEffect() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    // One program. VST3 hosts expect it to carry a name, so it is the product's.
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return "GRUM"; }
    void changeProgramName (int, const juce::String&) override {}

    // any thread the host chooses, normally the message thread
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    juce::AudioProcessorValueTreeState& parameters() noexcept { return tree; }

    // What the audio thread last built from the parameters. Read these only
    // while no block is running (tests, the offline renderer).
    const grum::Settings& settings() const noexcept { return current; }
    const grum::MixValues& mixValues() const noexcept { return mix; }
    const grum::LaneValues& laneValues (int lane) const noexcept { return lanes[(size_t) lane]; }
    int rootNote() const noexcept { return root; }
    float swingAmount() const noexcept { return swing; }
    double sampleRate() const noexcept { return rate; }

    // How often the bar cache has been invalidated since construction: it
    // happens exactly when the song itself changes.
    std::uint64_t barCacheInvalidations() const noexcept { return cacheInvalidations; }
    std::int64_t barCacheKey (int slot) const noexcept { return barCache[slot & 1].bar; }

private:
    void timerCallback() override;          // message thread, every 100 ms

    void takeRootFromMidi (const juce::MidiBuffer& midi) noexcept;     // audio thread
    void servePinRequests() noexcept;                                  // audio thread, tries the pin lock
    void snapshotParameters() noexcept;                                // audio thread
    void invalidateBarCache() noexcept;                                // audio thread

    juce::AudioProcessorValueTreeState tree;
    params::Pointers ptr;

    // The settings snapshot and the last one, to detect a change of song.
    grum::Settings current;
    grum::Settings last;
    bool lastValid = false;

    int root = 43;                  // MIDI note of the key, G by default
    float swing = 0.0f;
    int playedRoot = -1;            // set by a played key, until ROT moves
    int lastRootIndex = -1;

    grum::MixValues mix;
    std::array<grum::LaneValues, grum::kNumBanor> lanes {};

    // Two-slot bar cache, bar b in slot (b & 1), and the bar the editor shows.
    grum::BarState barCache[2] {};
    grum::BarState currentBar {};
    std::uint64_t cacheInvalidations = 0;

    // Pin requests from the editor; served by the audio thread when it gets the lock.
    std::atomic<bool> pinRequested { false }, unpinRequested { false }, clearPinsRequested { false };
    std::atomic<int> pinLock { 0 };

    double rate = 44100.0;
    double secondsPerBeat = 60.0 / 126.0;
    double lastBpm = -1.0;
    juce::AudioProcessLoadMeasurer loadMeasurer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GrumProcessor)
};
