#pragma once

// The mix effects after the track buses: KROSS (a bit-and-rate crusher) and
// SKEV (a pitch wobble) on the rest bus, the tempo-synced ping-pong dub echo,
// and the output stage with the kick-driven pump and the soft clip. Delay lines
// are sized in prepare (set-up thread); process() runs on the audio thread and
// never allocates.

#include <vector>

#include "sound/Dsp.h"

namespace grum
{

// KROSS: sample-and-hold plus a coarse amplitude grid, mixed in with the amount.
class BusCrusher
{
public:
    void reset() noexcept { counter = heldL = heldR = 0.0f; }

    // Leaves the buffers bit-identical at an amount of 0.001 or less.
    void process (float* left, float* right, int n, float amount) noexcept;

private:
    float counter = 0.0f, heldL = 0.0f, heldR = 0.0f;
};

// SKEV: a fully wet delay of 1.5 to 10.5 ms swept by two slow sines.
class Skew
{
public:
    void prepare (double sampleRate);   // 50 ms lines; set-up thread
    void reset() noexcept;
    void process (float* left, float* right, int n, float amount) noexcept;

    int lineLength() const noexcept { return (int) lineL.size(); }

private:
    float sampleRate = 44100.0f;
    std::vector<float> lineL, lineR;
    int writeIndex = 0;
    float phase1 = 0.0f, phase2 = 0.0f;
};

// DUB-EKO: a mono send into a stereo ping-pong loop with band-limited, gently
// saturated feedback and a slow tape-like drift of the delay time.
class DubEcho
{
public:
    struct Settings
    {
        float beats = 0.75f;     // echo time in beats
        float feedback = 0.5f;   // loop gain, 0 .. 0.92
        float tone = 0.45f;      // 0 dark .. 1 bright
        float level = 0.7f;      // return level
    };

    void prepare (double sampleRate);   // 3.2 s lines; set-up thread
    void reset() noexcept;
    void setBeatSeconds (float seconds) noexcept { beatSeconds = seconds; }

    // Reads the send and ADDS the two returns into left and right.
    void process (const float* send, float* left, float* right, int n, const Settings& s) noexcept;

    int lineLength() const noexcept { return (int) lineL.size(); }
    // The delay in samples the settings ask for at the current tempo.
    float delaySamples (float beats) const noexcept;

private:
    float sampleRate = 44100.0f;
    float beatSeconds = 0.5f;
    std::vector<float> lineL, lineR;
    int writeIndex = 0;
    float lfoPhase = 0.0f;
    dsp::Svf highL, lowL, highR, lowR;

    // Samples in a row in which only exact zeros entered the loop; once that
    // covers the line and the filters rest, silence in stays silence out and
    // the echo skips its work.
    int quietRun = 0;
};

// The last stage: ducks the rest bus by the pump envelope, adds the kick bus,
// applies the master gain and soft-clips:
//   out = 0.9 * tanh (1.2 * gain * (rest * (1 - 0.85 * pump * envelope) + kick)).
// A non-finite bus sample gives 0, never a full-scale sample. outR may be null
// (a mono output gets only the left result).
void outputStage (const float* restL, const float* restR, const float* kickL, const float* kickR,
                  const float* envelope, float pump, float gain, float* outL, float* outR, int n) noexcept;

} // namespace grum
