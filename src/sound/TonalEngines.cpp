#include "sound/TonalEngines.h"

#include <algorithm>
#include <cmath>

namespace grum
{

using dsp::decayCoefficient;

namespace
{
float noteToHz (float note) noexcept { return 440.0f * std::exp2 ((note - 69.0f) / 12.0f); }
}

//==============================================================================
void BassEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    reset();
}

void BassEngine::reset() noexcept
{
    controlPhase = 0;
    amp = targetAmp = 0.0f;
    mainPhase = subPhase = 0.0f;
    filterEnv = 0.0f;
    gateLeft = 0;
    first.clear();
    second.clear();
}

void BassEngine::trigger (int note, float velocity, bool accent, int length) noexcept
{
    controlPhase = 0;
    noteFrequency = noteToHz ((float) note);
    targetAmp = 0.3f + 0.7f * velocity;
    gateLeft = std::max (length, 1);
    filterEnv = accent ? 1.4f : 1.0f;
    filterDecay = decayCoefficient (0.08f + 0.27f * macros.m[3], sampleRate);
    release = decayCoefficient (0.03f, sampleRate);
    attack = dsp::smoothingCoefficient (0.0015f, sampleRate);
}

void BassEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || (amp < 0.00001f && gateLeft <= 0))
        return;

    const float* m = macros.m;
    const float baseCutoff = 90.0f * std::pow (1600.0f / 90.0f, dsp::clampf (m[0], 0.0f, 1.0f));
    const float drive = 1.0f + 5.0f * m[2];
    const float makeUp = 1.0f / std::sqrt (drive);
    const float q1 = 0.7f + 4.8f * m[1];
    const float k1 = 1.0f / (q1 > 0.3f ? q1 : 0.3f);
    const float increment = noteFrequency / sampleRate;
    const float subIncrement = increment * 0.5f;

    for (int i = 0; i < numSamples; ++i)
    {
        if (amp < 0.00001f && gateLeft <= 0)
            break;      // per sample: where the voice rests must not depend on the host's block
        if (gateLeft > 0)
        {
            amp += (targetAmp - amp) * attack;
            --gateLeft;
        }
        else
        {
            amp *= release;
        }

        mainPhase = dsp::advance (mainPhase, increment);
        subPhase = dsp::advance (subPhase, subIncrement);
        const float x = 0.7f * dsp::saw (mainPhase, increment) + 0.55f * std::sin (dsp::kTwoPi * subPhase);

        // tan() is the costly part of the coefficients, so they follow the
        // envelope every 16 samples only, counted from the note's start and
        // across calls, so a host's block never moves the update.
        if (controlPhase == 0)
        {
            const float cutoff = baseCutoff * (1.0f + 6.0f * filterEnv * filterEnv);
            first.set (cutoff, k1, sampleRate);
            second.set (cutoff, 1.4144272f, sampleRate);
        }
        controlPhase = (controlPhase + 1) & 15;

        const float y = second.lowPass (first.lowPass (x));
        const float out = dsp::tanh (y * drive) * makeUp * amp * 0.8f;
        left[i] += out;
        right[i] += out;
        filterEnv *= filterDecay;
    }
}

//==============================================================================
void StabEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    echo.prepare (rate);
    reset();
}

void StabEngine::reset() noexcept
{
    controlPhase = 0;
    amp = filterEnv = 0.0f;
    gateLeft = 0;
    main.clear();
    echo.reset();
}

void StabEngine::setTempo (double bpm) noexcept
{
    beatSeconds = (float) (60.0 / std::clamp (bpm, 40.0, 300.0));
}

void StabEngine::trigger (int note, float velocity, bool, int length) noexcept
{
    controlPhase = 0;
    static constexpr int kChord[4] = { 0, 3, 7, 10 };
    static constexpr float kDetune[2] = { 1.004f, 0.996f };
    for (int n = 0; n < 4; ++n)
        for (int d = 0; d < 2; ++d)
            increments[n * 2 + d] = noteToHz ((float) (note + kChord[n])) * kDetune[d] / sampleRate;

    amp = velocity;
    filterEnv = 1.0f;
    gateLeft = std::max (length, 1);
    release = decayCoefficient (0.12f + 0.33f * macros.m[3], sampleRate);
    filterDecay = decayCoefficient (0.12f, sampleRate);
}

void StabEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || ! echo.prepared())
        return;

    const float* m = macros.m;
    const bool voiceSilent = ! (amp > 0.00001f);
    if (voiceSilent && echo.resting())
        return;

    const int delay = echoDelay();
    const float baseCutoff = 350.0f * std::pow (4500.0f / 350.0f, dsp::clampf (m[0], 0.0f, 1.0f));
    echo.updateFilters();
    const float feedback = 0.3f + 0.56f * m[1];
    const float wet = 0.15f + 0.5f * m[2];

    for (int i = 0; i < numSamples; ++i)
    {
        // Per sample, as at the call's start: where the voice and echo rest
        // must not depend on the host's block.
        if (i > 0 && ! (amp > 0.00001f) && echo.resting())
            break;
        float s = 0.0f;
        if (amp > 0.00001f)
        {
            float sum = 0.0f;
            for (int o = 0; o < 8; ++o)
            {
                phases[o] = dsp::advance (phases[o], increments[o]);
                sum += dsp::saw (phases[o], increments[o]);
            }
            sum *= 0.2f;
            if (controlPhase == 0)      // every 16 samples from the note's start, as in the bass
                main.set (baseCutoff * (1.0f + 3.0f * filterEnv), 0.7142857f, sampleRate);
            controlPhase = (controlPhase + 1) & 15;
            s = amp * main.lowPass (sum);
            if (gateLeft > 0)
                --gateLeft;
            else
                amp *= release;
            filterEnv *= filterDecay;
        }

        float dl, dr;
        echo.process (s, feedback, delay, dl, dr);

        left[i] += dl * wet + 0.8f * s;
        right[i] += dr * wet + 0.8f * s;
    }
}

} // namespace grum
