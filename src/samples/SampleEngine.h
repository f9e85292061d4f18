#pragma once

// The sample player of a track: six voices playing decoded library samples,
// with choke on KICK, HAT and BAS, gates on BAS and STAB, and on the STAB
// track the same tempo-synced ping-pong echo as the STAB synthesiser.

#include "samples/SampleData.h"
#include "sound/Dsp.h"
#include "sound/StabEcho.h"
#include "sound/IEngine.h"

#include <atomic>
#include <vector>

namespace grum
{

class SampleEngine final : public IEngine
{
public:
    static constexpr int kVoices = 6;

    explicit SampleEngine (int trackIndex) noexcept;

    const char* name() const noexcept override { return "SAMPEL"; }

    // On the STAB track allocates the two echo lines (2.5 s each); set-up
    // thread only, never while rendering.
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool flag, int length) noexcept override;   // audio thread
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    // Stores 60 / tempo, the tempo limited to 40..300.
    void setTempo (double bpm) noexcept override;
    void setPitchOffset (float semitones) noexcept override { pitchOffset = semitones; }
    void render (float* left, float* right, int numSamples) noexcept override;          // audio thread

    // Message thread: one pointer store each, read by the audio thread at the
    // next trigger. Voices already playing keep their sample; decoded samples
    // live for the whole process, so the old pointer stays valid.
    void setSamples (const SampleData* main, const SampleData* alternative) noexcept
    {
        mainSample.store (main, std::memory_order_release);
        altSample.store (alternative, std::memory_order_release);
    }
    const SampleData* mainSampleData() const noexcept { return mainSample.load (std::memory_order_acquire); }
    const SampleData* alternativeSampleData() const noexcept { return altSample.load (std::memory_order_acquire); }

    // Written by the processor each block: the beat length in seconds (what
    // setTempo computes) and the four macros.
    void setBeatSeconds (float seconds) noexcept { beatSeconds = seconds; }

    int track() const noexcept { return trackIndex; }
    int activeVoices() const noexcept;
    int lineLength() const noexcept { return echo.lineLength(); }
    // The echo's delay in samples for the current beat length and line length.
    int echoDelay() const noexcept { return echo.delayFor (beatSeconds); }

    // What a voice is doing, for tests and the editor's meters.
    struct VoiceView
    {
        const SampleData* sample;
        double rate;
        float amplitude, envelope;
        int gate, age;
        bool active, releasing;
    };
    VoiceView voice (int index) const noexcept;

private:
    struct Voice
    {
        const SampleData* sample = nullptr;
        double position = 0.0, rate = 1.0;   // in source frames
        float amplitude = 0.0f, envelope = 0.0f;
        float decay = 0.0f, endOfGate = 0.0f, choke = 0.0f;
        int gate = -1, age = 0;
        bool active = false, releasing = false;
    };

    const int trackIndex;
    std::atomic<const SampleData*> mainSample { nullptr }, altSample { nullptr };
    Voice voices[kVoices];
    float sampleRate = 44100.0f;
    Macros macros;
    float beatSeconds = 0.47619048f;
    float pitchOffset = 0.0f;
    dsp::Svf toneL, toneR;
    StabEcho echo;      // prepared on the STAB track only; skipped once it rests
};

} // namespace grum
