#include "lanes/LaneStage.h"

#include <algorithm>
#include <cmath>

namespace grum
{

namespace
{
constexpr Event kNoEvent { 0, -1, 0, 0.0f, false, 0 };

bool reaches (const LaneValues& l, int track) noexcept
{
    return l.track == track || l.track == Banor::kAllTracks;
}

// Stable in place, carrying each event's source along.
void sortByOffset (Event* e, std::uint8_t* src, int count) noexcept
{
    for (int i = 1; i < count; ++i)
    {
        const Event x = e[i];
        const std::uint8_t xs = src[i];
        int j = i;
        for (; j > 0 && e[j - 1].offset > x.offset; --j)
        {
            e[j] = e[j - 1];
            src[j] = src[j - 1];
        }
        e[j] = x;
        src[j] = xs;
    }
}
} // namespace

void LaneStage::prepare (double rate) noexcept
{
    sampleRate = rate > 0.0 ? rate : 44100.0;
    banor.prepare (sampleRate);
    for (auto& e : last)
        e = kNoEvent;
    queueCount = 0;
    segmentValid = false;
    for (auto& p : pitchOffset)
        p = 0.0f;
    for (auto& track : macros)
        for (auto& m : track)
            m = 0.0f;
}

int LaneStage::apply (const ChunkClock& chunk, bool playing, double bpm, const BarState& segmentBar,
                      Event* events, std::uint8_t* sources, int count) noexcept
{
    const int n = std::clamp (chunk.n, 0, Banor::kChunk);
    const std::int64_t first = chunk.firstOfSegment();
    const int length = std::clamp (chunk.lengthOfSegment(), 0, Banor::kChunk);

    // A chunk that starts a segment, or one that is not inside the segment
    // last clocked, runs the lane clock for its whole segment.
    const bool inside = segmentValid && playing == segmentPlaying && first == segmentStart
                        && length == segmentLength
                        && (! playing || (chunk.anchorStep == segmentAnchor && chunk.stepsPerSample == segmentStepsPerSample));
    if (chunk.start == first || ! inside)
    {
        ChunkClock segment = chunk;
        segment.start = first;
        segment.n = length;
        banor.clock (segment, playing);
        segmentValid = true;
        segmentPlaying = playing;
        segmentStart = first;
        segmentLength = length;
        segmentAnchor = chunk.anchorStep;
        segmentStepsPerSample = chunk.stepsPerSample;

        // The macros move once per segment, read at its middle sample.
        const int middle = length / 2;
        for (int t = 0; t < kNumLanes; ++t)
            for (int m = 0; m < 4; ++m)
                macros[t][m] = std::clamp (segmentBar.timbre[t][m] + banor.mod (Banor::M1 + m, t, middle), 0.0f, 1.0f);
    }
    banor.setWindow ((int) std::clamp<std::int64_t> (chunk.start - first, 0, Banor::kChunk - 1));

    for (int i = 0; i < count; ++i)
        sources[i] = Scheduled;

    applyPitch (events, count);
    queueStutters (bpm, n, events, count);

    // Remember each track's last event; a track silent in this chunk keeps its old one.
    for (int i = 0; i < count; ++i)
        last[events[i].lane] = events[i];

    count = mergeQueue (n, events, sources, count);
    sortByOffset (events, sources, count);
    return count;
}

void LaneStage::applyPitch (Event* events, int count) noexcept
{
    for (int t = 0; t < kNumLanes; ++t)
    {
        if (! banor.any (Banor::Pitch, t))
        {
            pitchOffset[t] = 0.0f;
            continue;
        }
        bool first = true;
        for (int i = 0; i < count; ++i)
        {
            Event& e = events[i];
            if (e.lane != t)
                continue;
            const float semitones = 12.0f * banor.mod (Banor::Pitch, t, e.offset);
            if (t == PERC || t == BAS || t == STAB)
            {
                // Tonal tracks shift each note on its own, to whole semitones
                // (halfway goes to the even one).
                e.note = std::clamp (e.note + (int) std::nearbyint (semitones), 0, 127);
            }
            else if (first)
            {
                // A drum engine has one pitch at a time: the track's first
                // event in the chunk sets it.
                pitchOffset[t] = semitones;
                first = false;
            }
        }
    }
}

void LaneStage::queueStutters (double bpm, int n, const Event* events, int count) noexcept
{
    if (! (bpm > 0.0))
        return;
    const int spacing = std::max (1, (int) (sampleRate * 60.0 / bpm * 0.125));   // a thirty-second note

    for (int b = 0; b < kNumBanor; ++b)
    {
        const LaneValues& l = banor.lane[b];
        if (l.target != Banor::Stutter || banor.hitCount (b) == 0)
            continue;
        const int repeats = 2 + (int) std::nearbyint (2.0f * std::abs (l.depth));

        for (int h = 0; h < banor.hitCount (b); ++h)
        {
            // Hits count from the segment's start; this chunk takes its own.
            const int at = banor.hit (b, h) - banor.windowStart();
            if (at < 0 || at >= n)
                continue;
            for (int t = 0; t < kNumLanes; ++t)
            {
                if (! reaches (l, t))
                    continue;

                // The event repeated is the track's last one at or before the
                // hit: what sounds later in the same chunk has not happened
                // yet, whatever size the host's blocks are.
                const Event* source = last[t].lane >= 0 ? &last[t] : nullptr;
                for (int i = 0; i < count && events[i].offset <= at; ++i)
                    if (events[i].lane == t)
                        source = &events[i];
                if (source == nullptr)
                    continue;

                for (int r = 0; r < repeats && queueCount < kMaxQueued; ++r)
                {
                    Event e = *source;
                    e.offset = at + r * spacing;
                    e.velocity = std::clamp ((1.0f - 0.15f * (float) r) * source->velocity, 0.05f, 1.0f);
                    e.open = false;
                    e.length = std::min (spacing, source->length);
                    queue[queueCount++] = e;
                }
            }
        }
    }
}

int LaneStage::mergeQueue (int n, Event* events, std::uint8_t* sources, int count) noexcept
{
    int kept = 0;
    for (int i = 0; i < queueCount; ++i)
    {
        Event e = queue[i];
        if (e.offset < n)
        {
            if (count < kMaxEvents)
            {
                sources[count] = Retrigger;
                events[count++] = e;
            }
            continue;
        }
        e.offset -= n;
        queue[kept++] = e;
    }
    queueCount = kept;
    return count;
}

} // namespace grum
