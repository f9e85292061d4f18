#pragma once

// The mixer and effect rack, with the eighteen engines it plays: per track the
// classic synthesiser, a sample-engine slot and a GRUM synth. One call renders
// one chunk of at most 512 samples from the chunk's events:
//
//   engines (sample-accurate between events) or hosted instrument
//   -> lane inserts "Filter", "Kross", "Hacka" -> hosted effect (insert hook)
//   -> kick bus / rest bus / echo send -> KROSS, SKEV, dub echo on the rest
//   -> pump, master gain, soft clip -> output.
//
// Threads: construction, prepare() and the set-up calls on the set-up thread
// before processing; setSource() and the GRUM synths' recipes on the message
// thread (atomic); takeActivity() on the editor's timer; everything else on
// the audio thread. After prepare() nothing allocates.

#include <atomic>

#include "conductor/Types.h"
#include "sound/AcidEngine.h"
#include "sound/DrumEngines.h"
#include "sound/Effects.h"
#include "sound/LaneSource.h"
#include "sound/MixValues.h"
#include "sound/TonalEngines.h"

namespace grum
{

class Rack
{
public:
    static constexpr int kChunk = 512;

    // Which engine of a track receives its notes.
    enum Source : int { Synth = 0, Sampler = 1, Grum = 2 };

    // A hosted effect on a track: processes the two buffers in place.
    using InsertHook = void (*) (void* context, int track, float* left, float* right, int n);

    // A hosted instrument on a track: gets every event of the chunk (it picks
    // the track's own), the track's four macros and two zeroed buffers; returns
    // true when it played the track, which then replaces the built-in engines.
    using InstrumentHook = bool (*) (void* context, int track, const Event* events, int count,
                                     const float* macros, float* outL, float* outR, int n);

    Rack() noexcept;

    //==========================================================================
    // Set-up thread (prepareToPlay), never while a chunk renders.

    // Prepares and resets all engines, sizes the delay lines, clears every
    // buffer, filter, echo and the pump. A rate of 0 or less means 44100.
    void prepare (double sampleRate);

    void setLanes (const LaneSource* lanes) noexcept { laneSource = lanes; }
    void setInsertHook (InsertHook hook, void* context) noexcept { insertHook = hook; insertContext = context; }
    void setInstrumentHook (InstrumentHook hook, void* context) noexcept { instrumentHook = hook; instrumentContext = context; }

    // The track's sample engine (owned elsewhere, may be null). Until one is
    // installed, a track set to the sampler plays its classic synthesiser.
    // The rack prepares, resets and renders it like its own engines.
    void setSampleEngine (int track, IEngine* engine) noexcept;

    //==========================================================================
    // Message thread.
    void setSource (int track, int source) noexcept;
    int sourceOf (int track) const noexcept;

    // Editor timer: the track's activity since the last call (1 after a note).
    float takeActivity (int track) noexcept;

    //==========================================================================
    // Audio thread.

    // Once per block, from the parameters.
    void setMix (const MixValues& values) noexcept { mix = values; }
    const MixValues& mixValues() const noexcept { return mix; }

    // When the tempo (already limited to 20..400 BPM) changes by more than
    // 0.001: the classic engines' tempo, the echo's beat length and the
    // pump's release (about half a beat).
    void setTempo (double bpm) noexcept;

    // Once per chunk, before render: macro m (0..3) of all three engines of
    // the track (also passed on to a hosted instrument), and the pitch offset.
    void setMacro (int track, int index, float value) noexcept;
    void setPitchOffset (int track, float semitones) noexcept;

    // Renders one chunk: n (<= 512) samples from `count` events sorted by
    // offset, written (not added) to outL and outR. outR may be null for a
    // mono output. Before prepare() the chunk is silent. firstSample is the
    // chunk's place on a continuous sample count (the song's, from its
    // anchor): the inserts' 16-sample control updates fall on its multiples
    // of 16, so the same samples come out however the chunks are cut.
    void render (const Event* events, int count, float* outL, float* outR, int n,
                 std::int64_t firstSample = 0) noexcept;

    //==========================================================================
    // The engines, for the processor's set-up and the tests.
    IEngine& synth (int track) noexcept { return *synths[track]; }
    AcidEngine& grum (int track) noexcept { return acids[track]; }
    IEngine* sampleEngine (int track) noexcept { return samplers[track]; }

    // The stages of render(), public so each can be driven on its own.
    void inserts (int track, int n, std::int64_t firstSample = 0) noexcept;
    float* trackLeft (int track) noexcept { return tracks[track][0]; }
    float* trackRight (int track) noexcept { return tracks[track][1]; }
    const float* pumpEnvelope() const noexcept { return pumpEnv; }
    float pumpCoefficient() const noexcept { return pumpCoeff; }
    bool hosted (int track) const noexcept { return hostedFlag[track]; }
    bool prepared() const noexcept { return isPrepared; }

private:
    struct TrackInserts
    {
        dsp::Svf filterL, filterR;
        float holdCounter = 0.0f, heldL = 0.0f, heldR = 0.0f;
        bool filterSet = false;         // the filter's coefficients were set while it ran
        void clear() noexcept { filterL.clear(); filterR.clear(); holdCounter = heldL = heldR = 0.0f; filterSet = false; }
    };

    void renderTrack (int track, const Event* events, int count, int n) noexcept;
    void fillPump (const Event* events, int count, int n) noexcept;
    void mixTracks (int n) noexcept;

    // Engines
    KickEngine kick;
    HatEngine hat;
    ClickEngine click;
    PercEngine perc;
    BassEngine bass;
    StabEngine stab;
    IEngine* synths[kNumLanes] {};
    IEngine* samplers[kNumLanes] {};
    AcidEngine acids[kNumLanes];
    std::atomic<int> sources[kNumLanes] {};
    float macros[kNumLanes][4] {};

    // Work buffers: fixed, so a chunk never allocates.
    alignas (32) float tracks[kNumLanes][2][kChunk] {};
    alignas (32) float hostedOut[2][kChunk] {};
    alignas (32) float kickBus[2][kChunk] {};
    alignas (32) float restBus[2][kChunk] {};
    alignas (32) float echoBus[kChunk] {};
    alignas (32) float pumpEnv[kChunk] {};
    alignas (32) float laneValues[kChunk] {};
    bool hostedFlag[kNumLanes] {};
    std::atomic<float> activity[kNumLanes] {};

    // Effects
    TrackInserts trackInserts[kNumLanes];
    BusCrusher crusher;
    Skew skew;
    DubEcho echo;
    MixValues mix;
    float sampleRate = 44100.0f;
    float pumpLevel = 0.0f;
    float pumpCoeff = 0.999f;
    bool pumpRestart = false;
    bool isPrepared = false;

    const LaneSource* laneSource = nullptr;
    InsertHook insertHook = nullptr;
    void* insertContext = nullptr;
    InstrumentHook instrumentHook = nullptr;
    void* instrumentContext = nullptr;
};

} // namespace grum
