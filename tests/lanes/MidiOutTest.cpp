#include <gtest/gtest.h>

#include "lanes/MidiOut.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace
{
struct Message
{
    std::int64_t at;        // absolute sample
    int status, note, velocity;
    bool operator== (const Message& o) const { return at == o.at && status == o.status && note == o.note && velocity == o.velocity; }
};

// Collects what the MIDI out sends, on an absolute clock.
struct Recorder final : grum::MidiSink
{
    std::vector<Message> messages;
    std::int64_t base = 0;
    void send (int sample, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept override
    {
        messages.push_back ({ base + sample, status, data1, data2 });
    }

    // Every note-on is ended by a later (or same-sample) note-off before the next on of that note.
    bool balanced() const
    {
        std::map<std::pair<int, int>, int> held;
        for (const auto& m : messages)
        {
            const auto key = std::make_pair (m.status & 0x0F, m.note);
            if ((m.status & 0xF0) == 0x90)
            {
                if (held[key]++ != 0)
                    return false;
            }
            else if (held[key]-- != 1)
                return false;
        }
        for (const auto& [key, n] : held)
            if (n != 0)
                return false;
        return true;
    }
};

grum::Event event (int offset, int lane, int note, float velocity, int length)
{
    grum::Event e;
    e.offset = offset;
    e.lane = lane;
    e.note = note;
    e.velocity = velocity;
    e.length = length;
    return e;
}
} // namespace

TEST (MidiOut, ChannelsOfBothLayouts)
{
    const int perTrack[6] = { 1, 2, 3, 4, 5, 6 };
    const int gm[6] = { 10, 10, 10, 10, 5, 6 };
    for (int t = 0; t < 6; ++t)
    {
        EXPECT_EQ (grum::midiChannelFor (t, grum::OnePerTrack), perTrack[t]);
        EXPECT_EQ (grum::midiChannelFor (t, grum::GmDrums10), gm[t]);
    }
}

TEST (MidiOut, VelocityIsRoundedIntoOneTo127)
{
    const std::pair<float, int> cases[] = { { 0.0f, 1 }, { 0.05f, 6 }, { 0.5f, 64 }, { 0.503f, 64 }, { 1.0f, 127 }, { 3.0f, 127 } };
    for (auto [v, byte] : cases)
        EXPECT_EQ (grum::midiVelocity (v), byte) << v;
}

TEST (MidiOut, NoteOffFollowsItsLengthAcrossChunks)
{
    grum::MidiOut out;
    Recorder r;
    const grum::Event e[] = { event (500, grum::KICK, 36, 1.0f, 100) };
    out.chunk (e, 1, 512, grum::OnePerTrack, r);
    EXPECT_EQ (out.held(), 1);
    r.base = 512;
    out.chunk (nullptr, 0, 37, grum::OnePerTrack, r);
    r.base = 549;
    out.chunk (nullptr, 0, 512, grum::OnePerTrack, r);
    const std::vector<Message> expected = { { 500, 0x90, 36, 127 }, { 600, 0x80, 36, 0 } };
    EXPECT_EQ (r.messages, expected);
    EXPECT_EQ (out.held(), 0);
}

TEST (MidiOut, StabPlaysTheMinorSeventhChord)
{
    grum::MidiOut out;
    Recorder r;
    const grum::Event e[] = { event (0, grum::STAB, 55, 0.5f, 10) };
    out.chunk (e, 1, 512, grum::GmDrums10, r);
    ASSERT_EQ (r.messages.size(), 8u);
    const int notes[4] = { 55, 58, 62, 65 };
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (r.messages[(size_t) i], (Message { 0, 0x95, notes[i], 64 }));
        EXPECT_EQ (r.messages[(size_t) i + 4].at, 10);
    }
    EXPECT_TRUE (r.balanced());
}

TEST (MidiOut, ANoteStruckAgainEndsFirst)
{
    grum::MidiOut out;
    Recorder r;
    // The second HAT comes while the first is held; a third starts exactly
    // when the second would end.
    const grum::Event e[] = { event (10, grum::HAT, 42, 1.0f, 100), event (50, grum::HAT, 42, 1.0f, 30),
                              event (80, grum::HAT, 42, 1.0f, 5) };
    out.chunk (e, 3, 512, grum::OnePerTrack, r);
    const std::vector<Message> expected = {
        { 10, 0x91, 42, 127 }, { 50, 0x81, 42, 0 }, { 50, 0x91, 42, 127 },
        { 80, 0x81, 42, 0 }, { 80, 0x91, 42, 127 }, { 85, 0x81, 42, 0 },
    };
    EXPECT_EQ (r.messages, expected);
    EXPECT_TRUE (r.balanced());
}

TEST (MidiOut, EndAllAndAFullList)
{
    grum::MidiOut out;
    Recorder r;
    // More different notes than the list holds, all still sounding.
    std::vector<grum::Event> e;
    for (int i = 0; i < 300; ++i)
        e.push_back (event (i, i % 6, i % 128, 1.0f, 100000));
    out.chunk (e.data(), 256, 512, grum::OnePerTrack, r);
    out.chunk (e.data() + 256, 44, 512, grum::OnePerTrack, r);
    EXPECT_LE (out.held(), grum::MidiOut::kMaxHeld);
    out.endAll (r, 0);
    EXPECT_EQ (out.held(), 0);
    EXPECT_TRUE (r.balanced());
    // A zero-length note still gets a note-off, one sample later.
    r.messages.clear();
    const grum::Event zero[] = { event (3, grum::CLICK, 37, 1.0f, 0) };
    grum::MidiOut fresh;
    fresh.chunk (zero, 1, 512, grum::OnePerTrack, r);
    EXPECT_EQ (r.messages.back().at, 4);
    EXPECT_TRUE (r.balanced());
}
