#pragma once

// The interface every sound source of a track implements: the six classic
// synthesisers, the recipe synthesiser and the sample player. Engines are pure
// audio objects: they know nothing of bars, styles or the editor.
//
// Construction and destruction happen on the message thread; everything else
// on the audio thread (prepare and reset on the set-up thread, never while
// rendering). No engine locks or allocates outside prepare.

namespace grum
{

class IEngine
{
public:
    virtual ~IEngine() = default;

    // Constant upper-case label ("KICK", "GRUM", "SAMPEL", ...).
    virtual const char* name() const noexcept = 0;

    // Stores the sample rate and clears all voice state. The block size is
    // always 512 and no engine needs it.
    virtual void prepare (double sampleRate, int maximumBlockSize) = 0;

    // Silences every voice (levels, envelopes, phases, filter memories, delay
    // lines) and keeps the parameters.
    virtual void reset() noexcept = 0;

    // Starts a note at the current sample. flag: open hat on HAT, accent on
    // the tonal engines. length: gate in samples (engines with a gate treat it
    // as at least 1; the percussion engines let the sound decay freely).
    virtual void trigger (int note, float velocity, bool flag, int length) noexcept = 0;

    // Macro 0..3 (M1..M4), nominally 0..1; other indices are ignored. Takes
    // effect at the next trigger unless an engine says otherwise.
    virtual void setMacro (int index, float value) noexcept = 0;

    virtual void setTempo (double bpm) noexcept { (void) bpm; }
    virtual void setPitchOffset (float semitones) noexcept { (void) semitones; }

    // ADDS numSamples of output into the two buffers; never overwrites them.
    virtual void render (float* left, float* right, int numSamples) noexcept = 0;
};

// The four macros, stored the same way by every engine. Values are kept
// within 0..1 (NaN becomes 0): the processor already limits them, and a drive
// or filter formula fed with a value outside that range could go non-finite.
struct Macros
{
    float m[4] { 0.5f, 0.5f, 0.5f, 0.5f };

    void set (int index, float value) noexcept
    {
        if ((unsigned) index < 4u)
            m[index] = value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
    }
};

} // namespace grum
