#pragma once

// The GRUM synth: a monophonic recipe synthesiser. A recipe row gives ranges;
// a variant number seeds the draws inside them, so recipe and variant always
// rebuild the same sound. Two warped-phase oscillators and a square sub go
// through a four-stage ladder with accent, glide and drive. Every track owns
// one; it sounds when the track's source is a recipe.

#include <atomic>
#include <cstdint>

#include "sound/Dsp.h"
#include "sound/IEngine.h"

namespace grum
{

struct AcidRecipe
{
    const char* name;
    float cutoffLow, cutoffHigh;       // Hz
    float resonanceLow, resonanceHigh;
    float envLow, envHigh;
    float decayLow, decayHigh;         // ms
    int mode;                          // 0 four-pole, 1 three/four-pole blend, 2 two-pole
    float subLow, subHigh;
    float osc2Low, osc2High;
    float driveLow, driveHigh;
    float foldMax;
    float pulseWidthMax;
};

constexpr int kNumAcidRecipes = 10;

// In menu order; the track-sound menu lists them under "Gamla GRUM-synten".
// name                  cutoff         reso          env          decay ms    mode  sub          osc 2        drive        fold   pw
constexpr AcidRecipe acidRecipes[kNumAcidRecipes] = {
    { "HYPNOS",          260, 700,      0.35f, 0.65f, 0.25f, 0.5f, 250, 700,   0,    0.3f, 0.6f,  0.0f, 0.4f,  0.05f, 0.25f, 0.1f,  0.1f  },
    { "MINUS-KYLA",      700, 2200,     0.2f, 0.45f,  0.2f, 0.45f, 60, 180,    2,    0.1f, 0.35f, 0.0f, 0.3f,  0.0f, 0.2f,   0.15f, 0.2f  },
    { "SVENSK LOOP",     350, 1100,     0.3f, 0.6f,   0.35f, 0.65f, 120, 350,  0,    0.3f, 0.55f, 0.25f, 0.6f, 0.2f, 0.45f,  0.15f, 0.15f },
    { "MÖRKER",          110, 380,      0.2f, 0.5f,   0.2f, 0.5f, 150, 500,    0,    0.6f, 0.9f,  0.0f, 0.5f,  0.3f, 0.6f,   0.25f, 0.2f  },
    { "ACID",            220, 550,      0.7f, 0.92f,  0.55f, 0.9f, 180, 450,   1,    0.15f, 0.4f, 0.0f, 0.25f, 0.2f, 0.55f,  0.1f,  0.1f  },
    { "SKEV",            300, 1200,     0.3f, 0.7f,   0.3f, 0.7f, 100, 400,    1,    0.2f, 0.5f,  0.0f, 0.5f,  0.15f, 0.45f, 0.3f,  0.35f },
    { "KROSS & GRUS",    250, 900,      0.3f, 0.6f,   0.3f, 0.6f, 100, 350,    0,    0.3f, 0.6f,  0.0f, 0.5f,  0.5f, 0.85f,  0.45f, 0.2f  },
    { "DUB & EKO",       280, 850,      0.3f, 0.55f,  0.2f, 0.5f, 200, 700,    2,    0.2f, 0.5f,  0.2f, 0.6f,  0.05f, 0.3f,  0.1f,  0.1f  },
    { "HARDGROOVE",      450, 1600,     0.25f, 0.55f, 0.35f, 0.7f, 70, 200,    0,    0.25f, 0.5f, 0.0f, 0.4f,  0.35f, 0.65f, 0.2f,  0.15f },
    { "KNAS",            350, 2000,     0.4f, 0.85f,  0.3f, 0.8f, 80, 400,     1,    0.1f, 0.4f,  0.2f, 0.7f,  0.2f, 0.6f,   0.6f,  0.7f  },
};

// Intervals of the second oscillator, in semitones.
constexpr int acidSemis[7] = { 0, 7, 12, -12, 5, -5, 3 };

// The sound drawn from one recipe and variant.
struct AcidSound
{
    float cutoff = 0.0f;
    float resonance = 0.0f;
    float envAmount = 0.0f;
    float decayMs = 0.0f;
    int mode = 0;
    float subLevel = 0.0f;
    float osc2Level = 0.0f;
    float osc2Ratio = 1.0f;
    float drive = 0.0f;
    float fold = 0.0f;
    float pulseWidth = 0.0f;
    float shape = 0.0f;
    float accentSweep = 0.0f;

    // The draws happen in a fixed order: changing it changes every saved sound.
    static AcidSound build (int recipe, std::uint32_t variant) noexcept;
};

class AcidEngine final : public IEngine
{
public:
    const char* name() const noexcept override { return "GRUM"; }
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool accent, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void setPitchOffset (float semitones) noexcept override { pitchOffset = semitones; }
    void render (float* left, float* right, int numSamples) noexcept override;

    // Message thread: picks a new sound, built at the next trigger.
    void setRecipe (int recipe, int variant) noexcept
    {
        recipeIndex.store (recipe < 0 ? 0 : (recipe > kNumAcidRecipes - 1 ? kNumAcidRecipes - 1 : recipe));
        variantNumber.store ((std::uint32_t) (variant < 0 ? 0 : variant));
        rebuildRequested.store (true);
    }
    int recipe() const noexcept { return recipeIndex.load(); }
    std::uint32_t variant() const noexcept { return variantNumber.load(); }
    bool rebuildPending() const noexcept { return rebuildRequested.load(); }

    // Audio thread: what the last rebuild drew, and the voice.
    const AcidSound& sound() const noexcept { return built; }
    float amplitude() const noexcept { return amp; }
    float frequency() const noexcept { return freq; }
    float targetFrequency() const noexcept { return targetFreq; }
    float accentAmount() const noexcept { return accentNow; }
    float filterEnvelope() const noexcept { return filterEnv; }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    std::atomic<int> recipeIndex { 4 };
    std::atomic<std::uint32_t> variantNumber { 1 };
    std::atomic<bool> rebuildRequested { true };
    AcidSound built;

    float freq = 0.0f, targetFreq = 0.0f, glide = 0.0f;
    float amp = 0.0f, targetAmp = 0.0f, attack = 0.0f, release = 0.0f;
    float filterEnv = 0.0f, filterDecay = 0.0f;
    float accentCharge = 0.0f, accentNow = 0.0f;
    float pitchOffset = 0.0f;
    float phase1 = 0.0f, phase2 = 0.0f, subPhase = 0.0f;
    float stage[4] {};
    int gateLeft = 0;
};

} // namespace grum
