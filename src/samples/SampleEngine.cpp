#include "samples/SampleEngine.h"

#include "conductor/Types.h"

#include <algorithm>
#include <cmath>

namespace grum
{

SampleEngine::SampleEngine (int index) noexcept : trackIndex (index)
{
    macros.m[3] = 0.3f;
}

void SampleEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    if (trackIndex == STAB)
        echo.prepare (rate);
    reset();
}

void SampleEngine::reset() noexcept
{
    for (auto& v : voices)
        v = Voice {};
    toneL.clear();
    toneR.clear();
    echo.reset();
}

void SampleEngine::setTempo (double bpm) noexcept
{
    beatSeconds = (float) (60.0 / std::clamp (bpm, 40.0, 300.0));
}

int SampleEngine::activeVoices() const noexcept
{
    int n = 0;
    for (const auto& v : voices)
        n += v.active ? 1 : 0;
    return n;
}

SampleEngine::VoiceView SampleEngine::voice (int index) const noexcept
{
    const Voice& v = voices[std::clamp (index, 0, kVoices - 1)];
    return { v.sample, v.rate, v.amplitude, v.envelope, v.gate, v.age, v.active, v.releasing };
}

void SampleEngine::trigger (int note, float velocity, bool flag, int length) noexcept
{
    const SampleData* sample = mainSample.load (std::memory_order_acquire);
    if ((trackIndex == PERC && flag) || (trackIndex == HAT && note == 46))
        if (const SampleData* alt = altSample.load (std::memory_order_acquire))
            sample = alt;
    if (sample == nullptr || sample->frames() < 2)
        return;

    // KICK, HAT and BAS fade what rings out over 3 ms instead of stacking hits.
    if (trackIndex == KICK || trackIndex == HAT || trackIndex == BAS)
        for (auto& v : voices)
            if (v.active)
                v.releasing = true;

    int chosen = -1;
    for (int i = 0; i < kVoices && chosen < 0; ++i)
        if (! voices[i].active)
            chosen = i;
    if (chosen < 0)
    {
        // All six ring: steal the oldest, at once and without a fade.
        chosen = 0;
        for (int i = 1; i < kVoices; ++i)
            if (voices[i].age > voices[chosen].age)
                chosen = i;
    }
    for (auto& v : voices)
        ++v.age;

    Voice& v = voices[chosen];
    v.age = 0;
    v.active = true;
    v.releasing = false;
    v.position = 0.0;
    v.sample = sample;

    const float* m = macros.m;
    const float u0 = 4.0f * m[2] - 2.0f;   // M3 sweeps two semitones either way
    float u = 0.0f;
    switch (trackIndex)
    {
        case KICK: u = u0 / 2.0f; break;
        case HAT:
        case CLICK: u = u0; break;
        case PERC:
        {
            const float t = note < 68 ? -7.0f : (float) (std::min (note, 82) - 75);
            u = sample->root >= 0 ? t : u0 / 2.0f + t / 3.0f;
            break;
        }
        case BAS:
            u = sample->root >= 0 ? (float) std::clamp (note - sample->root - 36, -12, 19) : 0.0f;
            break;
        case STAB:
            if (sample->root >= 0)
            {
                int d = (note - sample->root - 48) % 12;
                if (d < 0)
                    d += 12;
                u = (float) (d < 6 ? d : d - 12);   // the nearest transposition
            }
            break;
        default: break;
    }
    v.rate = sample->sourceRate / std::max ((double) sampleRate, 1.0) * std::pow (2.0, ((double) pitchOffset + (double) u) / 12.0);

    v.amplitude = (0.35f + 0.65f * velocity) * ((flag && trackIndex != HAT) ? 1.1f : 1.0f);
    v.envelope = 1.0f;
    v.gate = (trackIndex == BAS || trackIndex == STAB) ? std::max (length, 1) : -1;

    float decaySeconds;
    if (trackIndex == BAS) decaySeconds = 0.12f + 1.08f * m[0];
    else if (trackIndex == KICK) decaySeconds = 0.18f + 1.42f * m[0];
    else decaySeconds = 0.07f + 2.43f * m[0] * m[0];
    v.decay = dsp::decayCoefficient (decaySeconds, sampleRate);
    v.endOfGate = dsp::decayCoefficient (trackIndex == BAS ? 0.04f : 0.12f, sampleRate);
    v.choke = dsp::decayCoefficient (0.003f, sampleRate);
}

void SampleEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0)
        return;
    const bool withEcho = trackIndex == STAB && echo.prepared();
    const bool echoResting = ! withEcho || echo.resting();
    if (activeVoices() == 0 && echoResting)
        return;

    const float* m = macros.m;
    const float tone = dsp::clampf (0.3f + 0.7f * m[1], 0.0f, 1.0f);
    toneL.set (700.0f * std::pow (20000.0f / 700.0f, tone), 1.4144272f, sampleRate);
    toneR.copyCoefficients (toneL);
    const float drive = 1.0f + 2.5f * m[3];
    const float normaliser = 1.0f / std::tanh (drive);

    int delay = 1;
    float feedback = 0.0f, wet = 0.0f;
    if (withEcho)
    {
        delay = echoDelay();
        feedback = 0.25f + 0.45f * m[2];
        wet = 0.12f + 0.38f * m[2];
        echo.updateFilters();
    }

    for (int s = 0; s < numSamples; ++s)
    {
        // The same test at every sample as at the call's start: where the
        // engine comes to rest must not depend on where a host's block ends.
        if (s > 0 && activeVoices() == 0
            && (! withEcho || echo.resting()))
            break;
        float sumL = 0.0f, sumR = 0.0f;
        for (auto& v : voices)
        {
            if (! v.active)
                continue;
            const SampleData& d = *v.sample;
            const int i = (int) v.position;
            if (i >= d.frames() - 1)
            {
                v.active = false;
                continue;
            }
            const float frac = (float) (v.position - (double) i);
            const float* l = d.left.data();
            const float* r = d.stereo() ? d.right.data() : l;
            const float xl = l[i] + (l[i + 1] - l[i]) * frac;
            const float xr = r[i] + (r[i + 1] - r[i]) * frac;
            const float w = v.amplitude * v.envelope;
            v.position += v.rate;

            float coefficient;
            if (v.releasing)
                coefficient = v.choke;
            else if (v.gate > 0)
            {
                --v.gate;
                coefficient = v.decay;
            }
            else
                coefficient = v.gate == 0 ? v.endOfGate : v.decay;

            sumL += xl * w;
            sumR += xr * w;
            v.envelope *= coefficient;
            if (v.envelope < 0.0001f)
                v.active = false;
        }

        float outL = dsp::tanh (toneL.lowPass (sumL) * drive) * normaliser * 0.85f;
        float outR = dsp::tanh (toneR.lowPass (sumR) * drive) * normaliser * 0.85f;

        if (withEcho)
        {
            float tapL, tapR;
            echo.process (0.5f * (outL + outR), feedback, delay, tapL, tapR);
            outL += wet * tapL;
            outR += wet * tapR;
        }

        left[s] += outL;
        right[s] += outR;
    }
}

} // namespace grum
