#include "sound/DrumEngines.h"

#include <cmath>

namespace grum
{

using dsp::decayCoefficient;
using dsp::kTwoPi;

//==============================================================================
void KickEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    reset();
}

void KickEngine::reset() noexcept
{
    amp = pitchEnv = noiseEnv = phase = 0.0f;
}

void KickEngine::trigger (int, float velocity, bool, int) noexcept
{
    const float* m = macros.m;
    amp = 0.35f + 0.65f * velocity;
    pitchEnv = 1.0f;
    noiseEnv = 1.0f;
    phase = 0.0f;
    ampDecay = decayCoefficient (0.22f + 0.33f * m[0], sampleRate);
    pitchDecay = decayCoefficient (0.09f - 0.055f * m[1], sampleRate);
    noiseDecay = decayCoefficient (0.004f, sampleRate);
    baseFrequency = 42.0f + 12.0f * m[2];
    drive = 1.2f + 2.0f * m[3];
}

void KickEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || amp < kSilence)
        return;

    const float invRate = 1.0f / sampleRate;
    for (int i = 0; i < numSamples; ++i)
    {
        // Checked at every sample, not once per call: the sample the voice
        // falls silent at, and with it the noise drawn, must not depend on
        // where a host's block happens to end.
        if (amp < kSilence)
            break;
        const float frequency = baseFrequency + 190.0f * pitchEnv * pitchEnv;
        phase = dsp::advance (phase, frequency * invRate);
        const float s = std::sin (kTwoPi * phase);
        const float y = 0.9f * dsp::tanh ((s * amp + noise.next() * noiseEnv * 0.25f) * drive);
        left[i] += y;
        right[i] += y;
        amp *= ampDecay;
        pitchEnv *= pitchDecay;
        noiseEnv *= noiseDecay;
    }
}

//==============================================================================
constexpr float HatEngine::kFrequencies[6];

void HatEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    reset();
}

void HatEngine::reset() noexcept
{
    amp = 0.0f;
    for (float& p : phases)
        p = 0.0f;
    band.clear();
    high.clear();
}

void HatEngine::trigger (int, float velocity, bool open, int) noexcept
{
    const float* m = macros.m;
    amp = velocity;
    const float seconds = open ? 0.18f + 0.24f * m[0] : 0.022f + 0.053f * m[0];
    ampDecay = decayCoefficient (seconds, sampleRate);

    // The phases run on from the last hit: a fresh start on every hit would
    // make each hit the same waveform, and the hats sound more alive without.
    const float tone = 0.85f + 0.65f * m[1];
    for (int i = 0; i < 6; ++i)
        increments[i] = tone * kFrequencies[i] / sampleRate;

    band.set (8000.0f + 3500.0f * m[1], 0.8333333f, sampleRate);
    high.set (6000.0f + 2500.0f * m[2], 1.4285714f, sampleRate);
    noiseMix = 0.15f + 0.45f * m[3];
}

void HatEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || amp < kSilence)
        return;

    const float w = noiseMix;
    for (int i = 0; i < numSamples; ++i)
    {
        if (amp < kSilence)
            break;      // per sample, as in the kick
        float sum = 0.0f;
        for (int o = 0; o < 6; ++o)
        {
            phases[o] = dsp::advance (phases[o], increments[o]);
            sum += phases[o] < 0.5f ? 1.0f : -1.0f;
        }
        const float metal = sum / 6.0f;
        const float x = noise.next() * w + (1.0f - w) * metal;
        const float u = 2.0f * band.bandPass (x);
        const float h = high.highPass (u);
        const float y = h * amp * 0.55f;
        left[i] += 0.8f * y;
        right[i] += y;
        amp *= ampDecay;
    }
}

//==============================================================================
void ClickEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    reset();
}

void ClickEngine::reset() noexcept
{
    amp = phase = 0.0f;
    band.clear();
}

void ClickEngine::trigger (int, float velocity, bool, int) noexcept
{
    const float* m = macros.m;
    amp = velocity;
    phase = 0.0f;
    toneFrequency = 1400.0f * std::pow (5200.0f / 1400.0f, dsp::clampf (m[1], 0.0f, 1.0f));
    ampDecay = decayCoefficient (0.004f + 0.012f * m[0], sampleRate);
    const float q = 2.0f + 7.0f * m[2];
    band.set (1.3f * toneFrequency, 1.0f / (q > 0.3f ? q : 0.3f), sampleRate);
    noiseMix = 0.1f + 0.6f * m[3];
}

void ClickEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || amp < kSilence)
        return;

    const float increment = toneFrequency / sampleRate;
    const float w = noiseMix;
    for (int i = 0; i < numSamples; ++i)
    {
        if (amp < kSilence)
            break;      // per sample, as in the kick
        phase = dsp::advance (phase, increment);
        const float s = std::sin (kTwoPi * phase);
        const float b = band.bandPass (noise.next());
        const float y = amp * 0.5f * ((1.0f - w) * s + w * b * 3.0f);
        left[i] += y;
        right[i] += 0.7f * y;
        amp *= ampDecay;
    }
}

//==============================================================================
void PercEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    reset();
}

void PercEngine::reset() noexcept
{
    amp = modEnv = 0.0f;
    carrierPhase = modPhase = 0.0f;
}

void PercEngine::trigger (int note, float velocity, bool, int) noexcept
{
    const float* m = macros.m;
    amp = velocity;
    modEnv = 1.0f;
    carrierPhase = 1.0f;   // wraps to the first increment on the first sample
    modPhase = 0.0f;
    carrierFrequency = 260.0f * std::pow (950.0f / 260.0f, dsp::clampf (m[1], 0.0f, 1.0f))
                     * std::exp2 ((float) (note - 75) / 12.0f);
    ratio = 1.0f + 2.73f * m[2];
    ampDecay = decayCoefficient (0.05f + 0.17f * m[0], sampleRate);
    modDecay = decayCoefficient (0.03f, sampleRate);
    modIndex = 1.5f + 4.5f * m[3];
    sign = -sign;
}

void PercEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || amp < kSilence)
        return;

    const float gainLeft = 2.0f * (0.5f - 0.3f * sign);
    const float gainRight = 2.0f * (0.5f + 0.3f * sign);
    const float carrierIncrement = carrierFrequency / sampleRate;
    const float modIncrement = carrierFrequency * ratio / sampleRate;
    for (int i = 0; i < numSamples; ++i)
    {
        if (amp < kSilence)
            break;      // per sample, as in the kick
        carrierPhase = dsp::advance (carrierPhase, carrierIncrement);
        modPhase = dsp::advance (modPhase, modIncrement);
        const float mod = std::sin (kTwoPi * modPhase) * modIndex * modEnv;
        const float y = std::sin (mod + kTwoPi * carrierPhase) * amp * 0.45f;
        left[i] += gainLeft * y;
        right[i] += gainRight * y;
        amp *= ampDecay;
        modEnv *= modDecay;
    }
}

} // namespace grum
