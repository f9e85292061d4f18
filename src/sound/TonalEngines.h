#pragma once

// The classic synthesisers of the tonal tracks: BAS, a saw-and-sub bass
// through a four-pole low-pass, and STAB, a detuned minor-seventh chord with a
// tempo-synced ping-pong echo of its own. One gated voice each: a trigger
// during the gate restarts it, and phases and level carry on from the last
// note so that a new note never clicks.

#include <vector>

#include "sound/Dsp.h"
#include "sound/StabEcho.h"
#include "sound/IEngine.h"

namespace grum
{

class BassEngine final : public IEngine
{
public:
    BassEngine() noexcept { macros.m[0] = macros.m[1] = macros.m[2] = macros.m[3] = 0.4f; }

    const char* name() const noexcept override { return "BAS"; }
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool accent, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void render (float* left, float* right, int numSamples) noexcept override;

    float amplitude() const noexcept { return amp; }
    float frequency() const noexcept { return noteFrequency; }
    int gate() const noexcept { return gateLeft; }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    float noteFrequency = 98.0f;
    float amp = 0.0f, targetAmp = 0.0f;
    float mainPhase = 0.0f, subPhase = 0.0f;
    float filterEnv = 0.0f, filterDecay = 0.0f;
    int controlPhase = 0;       // samples since the filter coefficients were set, 0..15
    float release = 0.0f, attack = 0.0f;
    int gateLeft = 0;
    dsp::Svf first, second;
};

class StabEngine final : public IEngine
{
public:
    StabEngine() noexcept
    {
        macros.m[2] = 0.4f;
        macros.m[3] = 0.4f;
    }

    const char* name() const noexcept override { return "STAB"; }

    // Allocates the two echo lines (2.5 s each); set-up thread only.
    void prepare (double sampleRate, int maximumBlockSize) override;
    void reset() noexcept override;
    void trigger (int note, float velocity, bool flag, int length) noexcept override;
    void setMacro (int index, float value) noexcept override { macros.set (index, value); }
    void setTempo (double bpm) noexcept override;
    void render (float* left, float* right, int numSamples) noexcept override;

    float amplitude() const noexcept { return amp; }
    // The echo's delay in samples for the current tempo and line length.
    int echoDelay() const noexcept { return echo.delayFor (beatSeconds); }
    int lineLength() const noexcept { return echo.lineLength(); }

private:
    float sampleRate = 44100.0f;
    Macros macros;
    float amp = 0.0f, filterEnv = 0.0f;
    int controlPhase = 0;       // samples since the filter coefficients were set, 0..15
    float release = 0.0f, filterDecay = 0.0f;
    float beatSeconds = 0.47619048f;
    float phases[8] {};
    float increments[8] {};
    int gateLeft = 0;
    dsp::Svf main;
    StabEcho echo;      // skipped once it rests, so an idle STAB costs nothing
};

} // namespace grum
