#include "sound/Effects.h"

#include <algorithm>
#include <cmath>

namespace grum
{

using dsp::kTwoPi;

//==============================================================================
void BusCrusher::process (float* left, float* right, int n, float amount) noexcept
{
    if (! (amount > 0.001f))
        return;

    const float hold = 1.0f + 16.0f * amount * amount;
    const float levels = std::exp2 (14.0f - 10.0f * amount);
    const float wet = std::min (1.6f * amount, 1.0f);
    for (int i = 0; i < n; ++i)
    {
        counter += 1.0f;
        if (counter >= hold)
        {
            counter = 0.0f;
            heldL = left[i];
            heldR = right[i];
        }
        left[i] += (dsp::nearest (heldL * levels) / levels - left[i]) * wet;
        right[i] += (dsp::nearest (heldR * levels) / levels - right[i]) * wet;
    }
}

//==============================================================================
void Skew::prepare (double rate)
{
    sampleRate = (float) rate;
    const std::size_t length = (std::size_t) (rate * 0.05) + 8;
    lineL.assign (length, 0.0f);
    lineR.assign (length, 0.0f);
    reset();
}

void Skew::reset() noexcept
{
    std::fill (lineL.begin(), lineL.end(), 0.0f);
    std::fill (lineR.begin(), lineR.end(), 0.0f);
    writeIndex = 0;
    phase1 = phase2 = 0.0f;
}

void Skew::process (float* left, float* right, int n, float amount) noexcept
{
    const int length = (int) lineL.size();
    if (! (amount > 0.001f) || length < 16)
        return;

    const float depth = amount * 0.0045f * sampleRate;
    const float base = 0.0015f * sampleRate + depth;
    const float increment1 = 0.55f / sampleRate;
    const float increment2 = 5.3f / sampleRate;
    // The longest sweep (10.5 ms) stays well inside the 50 ms line; the limit
    // only guards against an amount outside 0..1.
    const float longest = (float) (length - 2);

    for (int i = 0; i < n; ++i)
    {
        phase1 = dsp::advance (phase1, increment1);
        phase2 = dsp::advance (phase2, increment2);
        lineL[(std::size_t) writeIndex] = left[i];
        lineR[(std::size_t) writeIndex] = right[i];

        float delay = base + depth * (0.8f * std::sin (kTwoPi * phase1) + 0.2f * std::sin (kTwoPi * phase2));
        delay = std::clamp (delay, 0.0f, longest);
        double position = (double) writeIndex - (double) delay;
        if (position < 0.0)
            position += length;
        const int j = std::min ((int) position, length - 1);
        const float frac = (float) (position - j);
        const int k = j + 1 < length ? j + 1 : 0;
        left[i] = lineL[(std::size_t) j] + (lineL[(std::size_t) k] - lineL[(std::size_t) j]) * frac;
        right[i] = lineR[(std::size_t) j] + (lineR[(std::size_t) k] - lineR[(std::size_t) j]) * frac;

        if (++writeIndex >= length)
            writeIndex = 0;
    }
}

//==============================================================================
void DubEcho::prepare (double rate)
{
    sampleRate = (float) rate;
    const std::size_t length = (std::size_t) (rate * 3.2) + 8;
    lineL.assign (length, 0.0f);
    lineR.assign (length, 0.0f);
    reset();
}

void DubEcho::reset() noexcept
{
    std::fill (lineL.begin(), lineL.end(), 0.0f);
    std::fill (lineR.begin(), lineR.end(), 0.0f);
    writeIndex = 0;
    lfoPhase = 0.0f;
    quietRun = 0;
    highL.clear();
    lowL.clear();
    highR.clear();
    lowR.clear();
}

float DubEcho::delaySamples (float beats) const noexcept
{
    const float length = (float) lineL.size();
    float d = beatSeconds * beats * sampleRate;
    if (! (d >= 8.0f))
        return 8.0f;
    return std::min (d, length - 8.0f);
}

void DubEcho::process (const float* send, float* left, float* right, int n, const Settings& s) noexcept
{
    const int length = (int) lineL.size();
    if (length < 16 || n <= 0)
        return;

    const float lfoIncrement = 0.45f / sampleRate;

    bool sendSilent = true;
    for (int i = 0; i < n && sendSilent; ++i)
        sendSilent = send[i] == 0.0f;
    if (sendSilent && quietRun >= length && highL.silent() && lowL.silent() && highR.silent() && lowR.silent())
    {
        // Nothing but zeros in the loop and nothing coming in: the returns are
        // silent. Keep the drift's phase moving as if the samples had run.
        lfoPhase += (float) n * lfoIncrement;
        lfoPhase -= std::floor (lfoPhase);
        return;
    }

    const float feedback = s.feedback;
    const float level = s.level;
    highL.set (std::min (0.45f * sampleRate, 220.0f), 1.4285714f, sampleRate);
    lowL.set (900.0f * std::pow (10.0f, dsp::clampf (s.tone, 0.0f, 1.0f)), 1.25f, sampleRate);
    highR.copyCoefficients (highL);
    lowR.copyCoefficients (lowL);
    const float delay = delaySamples (s.beats);

    for (int i = 0; i < n; ++i)
    {
        lfoPhase = dsp::advance (lfoPhase, lfoIncrement);
        // The drift may lift the longest delay just past the line; stay inside.
        const float d = std::min (delay * (1.0f + 0.003f * std::sin (kTwoPi * lfoPhase)), (float) (length - 2));
        double position = (double) writeIndex - (double) d;
        if (position < 0.0)
            position += length;
        const int j = std::min ((int) position, length - 1);
        const float frac = (float) (position - j);
        const int k = j + 1 < length ? j + 1 : 0;
        const float tapL = lineL[(std::size_t) j] + (lineL[(std::size_t) k] - lineL[(std::size_t) j]) * frac;
        const float tapR = lineR[(std::size_t) j] + (lineR[(std::size_t) k] - lineR[(std::size_t) j]) * frac;

        // The send enters the left line only and each repeat crosses over, so
        // the repeats ping-pong; tanh keeps the loop bounded at full feedback.
        const float inL = dsp::tanh (send[i] + feedback * lowL.lowPass (highL.highPass (tapR)));
        const float inR = dsp::tanh (feedback * lowR.lowPass (highR.highPass (tapL)));
        lineL[(std::size_t) writeIndex] = inL;
        lineR[(std::size_t) writeIndex] = inR;
        quietRun = (inL == 0.0f && inR == 0.0f) ? std::min (quietRun + 1, length) : 0;
        if (++writeIndex >= length)
            writeIndex = 0;

        left[i] += tapL * level;
        right[i] += tapR * level;
    }
}

//==============================================================================
void outputStage (const float* restL, const float* restR, const float* kickL, const float* kickR,
                  const float* envelope, float pump, float gain, float* outL, float* outR, int n) noexcept
{
    const float drive = 1.2f * gain;
    const float depth = 0.85f * pump;
    for (int i = 0; i < n; ++i)
    {
        const float duck = 1.0f - depth * envelope[i];
        float x = restL[i] * duck + kickL[i];
        float y = 0.9f * dsp::tanh (drive * x);
        outL[i] = std::isfinite (x) && std::isfinite (y) ? y : 0.0f;
        if (outR != nullptr)
        {
            x = restR[i] * duck + kickR[i];
            y = 0.9f * dsp::tanh (drive * x);
            outR[i] = std::isfinite (x) && std::isfinite (y) ? y : 0.0f;
        }
    }
}

} // namespace grum
