#pragma once

// The processor's 107 host parameters: their layout in host order, and the raw
// atomic pointers the audio thread reads them through.

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>

namespace params
{

constexpr int kNumGlobal = 25;
constexpr int kNumBanor = 8;            // modulation lanes, shown as BANA 1-8
constexpr int kNumLaneParams = 8;
constexpr int kNumTracks = 6;
constexpr int kTotal = kNumGlobal + kNumBanor * kNumLaneParams + 3 * kNumTracks;
static_assert (kTotal == 107);

// Global parameters in host order.
enum Global
{
    seed, stil, kaos, fras, langd, energiAuto, energi, svang, pump, rot, volym, tempo,
    spela, midiUt, kanaler, evighet, stilVandring, tonVandring, kit, kross, skev,
    ekoTid, ekoFb, ekoTon, ekoNiv
};

// Lane parameters, in the order they follow each other for one lane.
enum LaneParam { mal, spar, steg, slag, laneRot, takt, djup, decay };

extern const char* const kGlobalIds[kNumGlobal];
extern const char* const kLaneSuffixes[kNumLaneParams];

juce::String laneParamId (int lane, int which);   // lane 0-7: "b1mal" ... "b8decay"
juce::String trackParamId (const char* prefix, int track);

// Texts a host shows for percent and tempo parameters.
juce::String percentText (float value);
juce::String tempoText (float value);

juce::AudioProcessorValueTreeState::ParameterLayout createLayout();

// One raw pointer per parameter, looked up once; the audio thread reads only these.
struct Pointers
{
    std::array<std::atomic<float>*, kNumGlobal> global {};
    std::array<std::array<std::atomic<float>*, kNumLaneParams>, kNumBanor> lane {};
    std::array<std::atomic<float>*, kNumTracks> lvl {}, las {}, eko {};

    // Every pointer must exist: a missing ID is a programming error caught at start-up.
    void lookUp (juce::AudioProcessorValueTreeState& tree);

    float get (Global g) const noexcept { return global[(size_t) g]->load (std::memory_order_relaxed); }
};

} // namespace params
