#pragma once

// The four classic percussion synthesisers of tracks KICK, HAT, CLICK and
// PERC. Each has one voice that every trigger restarts; there is no note-off,
// the gate length is ignored and the sound decays freely. Everything that
// depends on the macros or the note is worked out in trigger(), so a macro
// change is heard from the next hit.

#include "sound/Dsp.h"
#include "sound/IEngine.h"

namespace grum
{

// Below this amplitude a percussion voice counts as silent: render() returns
// at once, which keeps the idle engines (most of the eighteen) cheap.
constexpr float kSilence = 0.00001f;

// Pitch-swept sine with a noise click and drive.
class KickEngine final : public IEngine
{
public:
    const char* name() const noexcept override { return "KICK"; }
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool flag, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void render (float* left, float* right, int numSamples) noexcept override;

    float amplitude() const noexcept { return amp; }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    dsp::Noise noise;
    float amp = 0.0f, pitchEnv = 0.0f, noiseEnv = 0.0f, phase = 0.0f;
    float ampDecay = 0.0f, pitchDecay = 0.0f, noiseDecay = 0.0f;
    float baseFrequency = 48.0f;
    float drive = 2.0f;
};

// Six square oscillators plus noise, band-pass then high-pass. The flag picks
// the open hat's long decay.
class HatEngine final : public IEngine
{
public:
    static constexpr float kFrequencies[6] = { 205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f };

    const char* name() const noexcept override { return "HAT"; }
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool flag, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void render (float* left, float* right, int numSamples) noexcept override;

    float amplitude() const noexcept { return amp; }
    float decay() const noexcept { return ampDecay; }
    float phaseOf (int oscillator) const noexcept { return phases[oscillator]; }
    const dsp::Svf& bandFilter() const noexcept { return band; }
    const dsp::Svf& highFilter() const noexcept { return high; }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    dsp::Noise noise;
    float amp = 0.0f, ampDecay = 0.0f;
    float phases[6] {};
    float increments[6] {};
    dsp::Svf band, high;
    float noiseMix = 0.3f;
};

// Short sine blip mixed with band-passed noise.
class ClickEngine final : public IEngine
{
public:
    const char* name() const noexcept override { return "CLICK"; }
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool flag, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void render (float* left, float* right, int numSamples) noexcept override;

    float amplitude() const noexcept { return amp; }
    float frequency() const noexcept { return toneFrequency; }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    dsp::Noise noise;
    float amp = 0.0f, ampDecay = 0.0f, phase = 0.0f;
    float toneFrequency = 2500.0f;
    float noiseMix = 0.3f;
    dsp::Svf band;
};

// Two-operator FM; consecutive hits alternate between left and right.
class PercEngine final : public IEngine
{
public:
    const char* name() const noexcept override { return "PERC"; }
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool flag, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void render (float* left, float* right, int numSamples) noexcept override;

    float amplitude() const noexcept { return amp; }
    float frequency() const noexcept { return carrierFrequency; }
    float stereoSign() const noexcept { return sign; }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    float amp = 0.0f, modEnv = 0.0f;
    float ampDecay = 0.0f, modDecay = 0.0f;
    float carrierPhase = 0.0f, modPhase = 0.0f;
    float carrierFrequency = 500.0f;
    float ratio = 1.41f;
    float modIndex = 3.0f;
    float sign = 1.0f;  // survives prepare and reset: the next hit keeps alternating
};

} // namespace grum
