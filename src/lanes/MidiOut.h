#pragma once

// Live MIDI output: every event of a chunk (after the lanes, retriggers
// included) becomes a note-on at its sample and a note-off Event::length
// samples later. Notes still sounding at the end of a chunk stay in the
// held-note list and end in a later chunk or block, so a note-off is never
// lost, whatever the host's block size.
//
// Rules that keep notes from hanging:
// - a note struck again while it is held (same channel and note) gets its
//   note-off first, at the same sample;
// - endAll() sends a note-off for everything held (the processor calls it at
//   the stop edge, when MIDI out is switched off or the channel layout
//   changes, and at the first block after prepareToPlay/releaseResources);
// - a note-on that the full list could not track is not sent at all.
//
// Audio thread only. Fixed-size, never allocates.

#include <cstdint>

#include "conductor/Types.h"

namespace grum
{

// The minor-seventh chord STAB plays on every instrument that takes MIDI:
// hosted instruments, the live MIDI output and the MIDI export.
constexpr int kStabChord[4] = { 0, 3, 7, 10 };
constexpr int kStabChordSize = 4;

// The MIDI-KANALER choices.
enum MidiLayout : int { GmDrums10 = 0, OnePerTrack = 1 };

// Channel 1-16 of a track's notes: one per track (KICK 1 ... STAB 6), or the
// General MIDI layout with the four drum tracks on 10 and BAS and STAB on the
// channels they have in the per-track layout (5 and 6).
constexpr int midiChannelFor (int track, int layout) noexcept
{
    if (layout == GmDrums10 && track >= KICK && track <= PERC)
        return 10;
    return track >= 0 && track < kNumLanes ? track + 1 : 1;
}

// Velocity byte of an event: round(velocity x 127), limited to 1-127 (a
// note-on of velocity 0 would be read as a note-off).
int midiVelocity (float velocity) noexcept;

class MidiSink
{
public:
    virtual ~MidiSink() = default;
    // sample is within the current chunk (or 0 for a flush at a block start).
    virtual void send (int sample, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept = 0;
};

class MidiOut
{
public:
    static constexpr int kMaxHeld = 256;

    // The events of one chunk of n samples (sorted by offset), on the given
    // layout. Sends the note-offs that fall due in the chunk and the
    // note-ons of the events, then moves the clock on by n samples. With
    // count 0 it only ends what falls due.
    void chunk (const Event* events, int count, int n, int layout, MidiSink& sink) noexcept;

    // A note-off for every held note at `sample`; the list is then empty.
    void endAll (MidiSink& sink, int sample) noexcept;

    int held() const noexcept { return heldCount; }

private:
    struct Held
    {
        int channel = 1;            // 1..16
        std::uint8_t note = 0;
        std::int64_t off = 0;       // sample of the note-off on this object's clock
    };

    void noteOff (MidiSink& sink, int sample, const Held& h) noexcept;
    void releaseUntil (MidiSink& sink, std::int64_t until) noexcept;     // every off at or before `until`
    void strike (MidiSink& sink, int sample, int channel, int note, int velocity, int length) noexcept;

    Held list[kMaxHeld] {};
    int heldCount = 0;
    std::int64_t now = 0;           // first sample of the current chunk
};

} // namespace grum
