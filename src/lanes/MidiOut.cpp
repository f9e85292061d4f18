#include "lanes/MidiOut.h"

#include <algorithm>
#include <cmath>

namespace grum
{

int midiVelocity (float velocity) noexcept
{
    if (! std::isfinite (velocity))
        return 1;
    return std::clamp ((int) std::lround (velocity * 127.0f), 1, 127);
}

void MidiOut::noteOff (MidiSink& sink, int sample, const Held& h) noexcept
{
    // A channel of 0 or less goes out on the first channel.
    const int channel = std::clamp (h.channel - 1, 0, 15);
    sink.send (sample, (std::uint8_t) (0x80 | channel), (std::uint8_t) (h.note & 0x7F), 0);
}

void MidiOut::releaseUntil (MidiSink& sink, std::int64_t until) noexcept
{
    // The list stays in the order the notes started, so note-offs that share
    // a sample always go out in the same order, however the blocks were cut.
    int kept = 0;
    for (int i = 0; i < heldCount; ++i)
    {
        if (list[i].off <= until)
            noteOff (sink, (int) std::max<std::int64_t> (0, list[i].off - now), list[i]);
        else
            list[kept++] = list[i];
    }
    heldCount = kept;
}

void MidiOut::strike (MidiSink& sink, int sample, int channel, int note, int velocity, int length) noexcept
{
    if (note < 0 || note > 127)
        return;
    for (int i = 0; i < heldCount; ++i)
        if (list[i].channel == channel && list[i].note == note)
        {
            noteOff (sink, sample, list[i]);
            for (int j = i + 1; j < heldCount; ++j)
                list[j - 1] = list[j];
            --heldCount;
            break;
        }
    if (heldCount >= kMaxHeld)
        return;         // a note we could not end later is better not started

    Held& h = list[heldCount++];
    h.channel = channel;
    h.note = (std::uint8_t) note;
    h.off = now + sample + std::max (1, length);
    sink.send (sample, (std::uint8_t) (0x90 | (channel - 1)), (std::uint8_t) note, (std::uint8_t) velocity);
}

void MidiOut::chunk (const Event* events, int count, int n, int layout, MidiSink& sink) noexcept
{
    for (int i = 0; i < count; ++i)
    {
        const Event& e = events[i];
        const int at = std::clamp ((int) e.offset, 0, std::max (0, n - 1));
        // What ends at or before this sample ends before anything new starts there.
        releaseUntil (sink, now + at);

        const int channel = midiChannelFor (e.lane, layout);
        const int velocity = midiVelocity (e.velocity);
        if (e.lane == STAB)
            for (int c = 0; c < kStabChordSize; ++c)
                strike (sink, at, channel, e.note + kStabChord[c], velocity, e.length);
        else
            strike (sink, at, channel, e.note, velocity, e.length);
    }
    releaseUntil (sink, now + n - 1);
    now += n;
}

void MidiOut::endAll (MidiSink& sink, int sample) noexcept
{
    for (int i = 0; i < heldCount; ++i)
        noteOff (sink, sample, list[i]);
    heldCount = 0;
}

} // namespace grum
