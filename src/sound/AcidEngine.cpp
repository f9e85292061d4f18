#include "sound/AcidEngine.h"

#include <algorithm>
#include <cmath>

#include "conductor/Types.h"

namespace grum
{

AcidSound AcidSound::build (int recipe, std::uint32_t variant) noexcept
{
    recipe = std::clamp (recipe, 0, kNumAcidRecipes - 1);
    const AcidRecipe& r = acidRecipes[recipe];
    Rng rng ((std::uint64_t) recipe * 1009u + (std::uint64_t) variant * 7919u + 4242u);
    const auto between = [&rng] (float low, float high) { return low + (high - low) * rng.unit(); };

    AcidSound s;
    s.cutoff = r.cutoffLow * std::pow (r.cutoffHigh / r.cutoffLow, rng.unit());
    s.resonance = between (r.resonanceLow, r.resonanceHigh);
    s.envAmount = between (r.envLow, r.envHigh);
    s.decayMs = between (r.decayLow, r.decayHigh);
    s.mode = r.mode;
    s.subLevel = between (r.subLow, r.subHigh);
    s.osc2Level = between (r.osc2Low, r.osc2High);
    const int interval = (int) (rng.unit() * 6.99f);
    const float cents = 3.0f + 15.0f * rng.unit();
    s.osc2Ratio = std::exp2 (((float) acidSemis[interval] + cents / 100.0f) / 12.0f);
    s.drive = between (r.driveLow, r.driveHigh);
    s.fold = rng.unit() * r.foldMax;
    s.pulseWidth = rng.unit() * r.pulseWidthMax;
    const float family = rng.unit() < 0.6f ? 0.0f : 0.75f;   // saw-like or pulse-like
    s.shape = family + 0.25f * rng.unit();
    s.accentSweep = 0.4f + 0.5f * rng.unit();
    return s;
}

//==============================================================================
void AcidEngine::prepare (double rate, int)
{
    sampleRate = (float) rate;
    reset();
}

void AcidEngine::reset() noexcept
{
    // The built sound and the accent charge stay: they belong to the sound and
    // the phrase, not to the voice.
    freq = targetFreq = 0.0f;
    amp = targetAmp = 0.0f;
    filterEnv = 0.0f;
    accentNow = 0.0f;
    phase1 = phase2 = subPhase = 0.0f;
    for (float& s : stage)
        s = 0.0f;
    gateLeft = 0;
}

void AcidEngine::trigger (int note, float velocity, bool accent, int length) noexcept
{
    if (rebuildRequested.exchange (false))
        built = AcidSound::build (recipeIndex.load(), variantNumber.load());

    const float f = 440.0f * std::exp2 (((float) note + pitchOffset - 69.0f) / 12.0f);
    if (gateLeft > 0 && amp > 0.05f)
    {
        targetFreq = f;   // legato: glide to the new pitch
    }
    else
    {
        freq = targetFreq = f;
        filterEnv = 1.0f;
        if (amp < 0.0f)
            amp = 0.0f;
    }

    glide = std::exp (-1.0f / (0.06f * sampleRate));
    targetAmp = 0.35f + 0.65f * velocity;

    float decayScale = 1.0f;
    if (accent)
    {
        filterEnv = 1.0f;
        accentCharge = std::min (accentCharge * 0.6f + 1.0f, 1.6f);
        accentNow = accentCharge;
        decayScale = 0.6f;
    }
    else
    {
        accentCharge *= 0.5f;
        accentNow = 0.0f;
    }

    gateLeft = std::max (length, 1);
    attack = dsp::smoothingCoefficient (0.002f, sampleRate);
    release = std::exp (-1.0f / (0.035f * sampleRate));
    filterDecay = std::exp (-1.0f / (std::max (decayScale * built.decayMs, 20.0f) * 0.001f * sampleRate));
}

namespace
{
// Saw-to-pulse oscillator on a phase warped around the duty point.
inline float oscillator (float& phase, float dt, float shape, float width) noexcept
{
    const float p = phase;
    const float d = 0.5f - 0.45f * width;
    const float q = p < d ? 0.5f * p / d : 0.5f + 0.5f * (p - d) / (1.0f - d);
    const float b1 = dsp::blep (p, dt);
    float p2 = p - d;
    if (p2 < 0.0f)
        p2 += 1.0f;
    const float b2 = dsp::blep (p2, dt);
    phase = dsp::advance (phase, dt);
    const float pulse = (p < d ? 1.0f : -1.0f) + b1 - b2;
    const float ramp = 2.0f * q - 1.0f - b1;
    return ramp + shape * (pulse - ramp);
}
} // namespace

void AcidEngine::render (float* left, float* right, int numSamples) noexcept
{
    if (numSamples <= 0 || (amp < 0.00001f && gateLeft <= 0))
        return;

    const float* m = macros.m;
    const AcidSound& s = built;
    const float baseCutoff = s.cutoff * 0.4f * std::pow (6.5f, dsp::clampf (m[0], 0.0f, 1.0f));
    const float feedback = dsp::clampf ((s.resonance + (m[1] - 0.5f) * 0.4f) * 4.1f, 0.0f, 4.15f);
    const float drive = dsp::clampf (s.drive + (m[3] - 0.5f) * 0.5f, 0.0f, 1.0f) * 6.0f + 1.0f;
    const float makeUp = 1.0f / std::sqrt (drive);
    const float foldAmount = (m[3] + 0.5f) * s.fold;
    const float foldGain = 1.0f + 4.0f * foldAmount;
    const float envOctaves = std::max (std::min (s.envAmount + (m[2] - 0.5f) * 0.5f, 1.0f) * 6.0f, 0.0f);
    const float compensation = 1.0f + 0.35f * feedback;
    const float topCutoff = std::min (0.42f * sampleRate, 20000.0f);
    const float boost = 1.0f + accentNow * s.accentSweep;
    const float accentLift = 1.0f + 0.3f * accentNow;
    const float invRate = 1.0f / sampleRate;
    const float radPerHz = dsp::kPi / sampleRate;

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

        freq = targetFreq + (freq - targetFreq) * glide;
        const float dt = freq * invRate;
        const float o1 = oscillator (phase1, dt, s.shape, s.pulseWidth);
        const float o2 = oscillator (phase2, freq * s.osc2Ratio * invRate, s.shape, 0.0f);
        subPhase = dsp::advance (subPhase, dt * 0.5f);
        const float sub = subPhase < 0.5f ? s.subLevel : -s.subLevel;
        float mix = 0.6f * o1 + 0.5f * s.osc2Level * o2 + 0.45f * sub;
        if (foldAmount > 0.01f)
            mix = std::sin (mix * foldGain);

        // The cutoff moves every sample: envelope, accent and glide all push it.
        float fc = baseCutoff * std::exp2 (envOctaves * boost * filterEnv) * accentLift;
        fc = std::min (fc, topCutoff);
        if (! (fc >= 20.0f))
            fc = 20.0f;
        const float G = std::tan (fc * radPerHz);

        // Four one-pole stages in zero-delay form, the feedback solved exactly.
        const float h = 1.0f / (1.0f + G);
        const float g = G * h;
        const float gh = g * h;
        const float S = g * g * gh * stage[0] + g * gh * stage[1] + gh * stage[2] + h * stage[3];
        const float g2 = g * g;
        float u = (compensation * mix - feedback * S) / (1.0f + feedback * g2 * g2);
        u = dsp::tanh (1.3f * u) / 1.3f;

        float x = u;
        float taps[4];
        for (int k = 0; k < 4; ++k)
        {
            const float v = (x - stage[k]) * g;
            const float y = stage[k] + v;
            stage[k] = y + v;
            taps[k] = y;
            x = y;
        }
        const float tap = s.mode == 2 ? taps[1] : (s.mode == 1 ? 0.65f * taps[2] + 0.35f * taps[3] : taps[3]);

        filterEnv *= filterDecay;
        const float out = dsp::tanh (tap * drive) * makeUp * amp * boost * 0.8f;
        left[i] += out;
        right[i] += out;
    }
}

} // namespace grum
