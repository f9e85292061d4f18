#include "sound/Rack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace grum
{

Rack::Rack() noexcept
{
    IEngine* const classic[kNumLanes] = { &kick, &hat, &click, &perc, &bass, &stab };
    for (int t = 0; t < kNumLanes; ++t)
    {
        synths[t] = classic[t];
        for (int m = 0; m < 4; ++m)
            macros[t][m] = 0.5f;
    }
}

void Rack::prepare (double rate)
{
    if (! (rate > 0.0))
        rate = 44100.0;
    sampleRate = (float) rate;

    // The GRUM synths are prepared too: at their construction rate of 44100
    // they would play out of tune and with the wrong envelope times anywhere else.
    for (int t = 0; t < kNumLanes; ++t)
    {
        synths[t]->prepare (rate, kChunk);
        synths[t]->reset();
        acids[t].prepare (rate, kChunk);
        if (samplers[t] != nullptr)
            samplers[t]->prepare (rate, kChunk);
        trackInserts[t].clear();
        hostedFlag[t] = false;
    }

    crusher.reset();
    skew.prepare (rate);
    echo.prepare (rate);

    std::memset (tracks, 0, sizeof (tracks));
    std::memset (hostedOut, 0, sizeof (hostedOut));
    std::memset (kickBus, 0, sizeof (kickBus));
    std::memset (restBus, 0, sizeof (restBus));
    std::memset (echoBus, 0, sizeof (echoBus));
    std::memset (pumpEnv, 0, sizeof (pumpEnv));
    pumpLevel = 0.0f;
    pumpRestart = false;
    isPrepared = true;
}

void Rack::setSampleEngine (int track, IEngine* engine) noexcept
{
    if ((unsigned) track < (unsigned) kNumLanes)
        samplers[track] = engine;
}

void Rack::setSource (int track, int source) noexcept
{
    if ((unsigned) track < (unsigned) kNumLanes)
        sources[track].store (source, std::memory_order_relaxed);
}

int Rack::sourceOf (int track) const noexcept
{
    return (unsigned) track < (unsigned) kNumLanes ? sources[track].load (std::memory_order_relaxed) : Synth;
}

float Rack::takeActivity (int track) noexcept
{
    return (unsigned) track < (unsigned) kNumLanes ? activity[track].exchange (0.0f, std::memory_order_relaxed) : 0.0f;
}

void Rack::setTempo (double bpm) noexcept
{
    for (IEngine* e : synths)
        e->setTempo (bpm);
    for (IEngine* e : samplers)
        if (e != nullptr)
            e->setTempo (bpm);

    const double c = std::clamp (bpm, 40.0, 300.0);
    echo.setBeatSeconds ((float) (60.0 / c));
    pumpCoeff = (float) std::exp (-6.9 / std::max (1.0, (double) sampleRate * 30.0 / c));
}

void Rack::setMacro (int track, int index, float value) noexcept
{
    if ((unsigned) track >= (unsigned) kNumLanes || (unsigned) index >= 4u)
        return;
    macros[track][index] = value;
    synths[track]->setMacro (index, value);
    acids[track].setMacro (index, value);
    if (samplers[track] != nullptr)
        samplers[track]->setMacro (index, value);
}

void Rack::setPitchOffset (int track, float semitones) noexcept
{
    if ((unsigned) track >= (unsigned) kNumLanes)
        return;
    synths[track]->setPitchOffset (semitones);
    acids[track].setPitchOffset (semitones);
    if (samplers[track] != nullptr)
        samplers[track]->setPitchOffset (semitones);
}

//==============================================================================
void Rack::render (const Event* events, int count, float* outL, float* outR, int n, std::int64_t firstSample) noexcept
{
    if (n <= 0)
        return;
    const int work = std::min (n, kChunk);
    if (events == nullptr)
        count = 0;

    for (int e = 0; e < count; ++e)
        if ((unsigned) events[e].lane < (unsigned) kNumLanes)
            activity[events[e].lane].store (1.0f, std::memory_order_relaxed);

    if (! isPrepared)
    {
        // The host rack still hears its events; the chunk itself is silent.
        if (instrumentHook != nullptr)
            for (int t = 0; t < kNumLanes; ++t)
            {
                std::memset (hostedOut, 0, sizeof (hostedOut));
                instrumentHook (instrumentContext, t, events, count, macros[t], hostedOut[0], hostedOut[1], work);
            }
        std::fill (outL, outL + n, 0.0f);
        if (outR != nullptr)
            std::fill (outR, outR + n, 0.0f);
        return;
    }

    for (int t = 0; t < kNumLanes; ++t)
        renderTrack (t, events, count, work);
    fillPump (events, count, work);

    if (laneSource != nullptr)
        for (int t = 0; t < kNumLanes; ++t)
            inserts (t, work, firstSample);

    if (insertHook != nullptr)
        for (int t = 0; t < kNumLanes; ++t)
            insertHook (insertContext, t, tracks[t][0], tracks[t][1], work);

    mixTracks (work);

    crusher.process (restBus[0], restBus[1], work, mix.crush);
    skew.process (restBus[0], restBus[1], work, mix.skew);
    const DubEcho::Settings echoSettings { mix.echoBeats, mix.echoFeedback, mix.echoTone, mix.echoLevel };
    echo.process (echoBus, restBus[0], restBus[1], work, echoSettings);

    outputStage (restBus[0], restBus[1], kickBus[0], kickBus[1], pumpEnv, mix.pump, mix.masterGain, outL, outR, work);
    if (work < n)
    {
        std::fill (outL + work, outL + n, 0.0f);
        if (outR != nullptr)
            std::fill (outR + work, outR + n, 0.0f);
    }
}

// One track's buffers for the chunk: either its hosted instrument's output, or
// its three engines rendered up to each of its events and triggered there. The
// engines of one track depend only on that track's events, so each renders in
// as few calls as its own events allow; all three always render, so a tail
// started before a change of source rings out.
void Rack::renderTrack (int t, const Event* events, int count, int n) noexcept
{
    float* left = tracks[t][0];
    float* right = tracks[t][1];
    std::memset (left, 0, sizeof (float) * (std::size_t) n);
    std::memset (right, 0, sizeof (float) * (std::size_t) n);

    bool isHosted = false;
    if (instrumentHook != nullptr)
    {
        std::memset (hostedOut, 0, sizeof (float) * 2 * kChunk);
        isHosted = instrumentHook (instrumentContext, t, events, count, macros[t], hostedOut[0], hostedOut[1], n);
        if (isHosted)
        {
            std::memcpy (left, hostedOut[0], sizeof (float) * (std::size_t) n);
            std::memcpy (right, hostedOut[1], sizeof (float) * (std::size_t) n);
        }
    }
    hostedFlag[t] = isHosted;

    if (! isHosted)
    {
        IEngine* const synth = synths[t];
        IEngine* const sampler = samplers[t];
        AcidEngine& acid = acids[t];
        const int source = sources[t].load (std::memory_order_relaxed);
        IEngine* const target = source == Grum ? static_cast<IEngine*> (&acid)
                              : (source == Sampler && sampler != nullptr ? sampler : synth);

        const auto renderUpTo = [&] (int from, int to)
        {
            if (to <= from)
                return;
            synth->render (left + from, right + from, to - from);
            if (sampler != nullptr)
                sampler->render (left + from, right + from, to - from);
            acid.render (left + from, right + from, to - from);
        };

        int cursor = 0;
        for (int e = 0; e < count; ++e)
        {
            const Event& ev = events[e];
            if (ev.lane != t || ev.offset >= n)
                continue;
            const int at = std::max (ev.offset, cursor);
            renderUpTo (cursor, at);
            cursor = at;
            target->trigger (ev.note, ev.velocity, ev.open, ev.length);
        }
        renderUpTo (cursor, n);
    }

    // Whatever a hosted instrument or an engine gave, nothing non-finite goes
    // on: one NaN would sit in the inserts' filters and the echo loop for good
    // and silence the whole mix.
    for (int i = 0; i < n; ++i)
    {
        if (! std::isfinite (left[i]))
            left[i] = 0.0f;
        if (! std::isfinite (right[i]))
            right[i] = 0.0f;
    }
}

void Rack::fillPump (const Event* events, int count, int n) noexcept
{
    int e = 0;
    for (int i = 0; i < n; ++i)
    {
        // Every KICK, hosted or not, restarts the envelope at its sample.
        for (; e < count && events[e].offset <= i; ++e)
            if (events[e].lane == KICK)
                pumpRestart = true;
        if (pumpRestart)
        {
            pumpLevel = 1.0f;
            pumpRestart = false;
        }
        pumpEnv[i] = pumpLevel;
        pumpLevel *= pumpCoeff;
    }
}

void Rack::inserts (int t, int n, std::int64_t firstSample) noexcept
{
    if (laneSource == nullptr || (unsigned) t >= (unsigned) kNumLanes)
        return;
    n = std::min (n, kChunk);
    float* left = tracks[t][0];
    float* right = tracks[t][1];
    TrackInserts& s = trackInserts[t];
    float* v = laneValues;

    if (laneSource->any (kLaneFilter, t))
    {
        laneSource->mod (kLaneFilter, t, v, n);
        for (int i = 0; i < n; ++i)
        {
            const float p = dsp::clampf (v[i], -1.0f, 1.0f);
            if (((firstSample + i) & 15) == 0 || ! s.filterSet)
            {
                s.filterSet = true;
                // 0 leaves the track open, +1 closes a low-pass to 350 Hz,
                // -1 opens a high-pass up to 2500 Hz.
                if (p >= 0.0f)
                    s.filterL.set (19000.0f * std::pow (350.0f / 19000.0f, p), 0.5555556f, sampleRate);
                else
                    s.filterL.set (20.0f * std::pow (125.0f, std::min (-p, 1.0f)), 0.8333333f, sampleRate);
                s.filterR.copyCoefficients (s.filterL);
            }
            const float l = s.filterL.lowPass (left[i]);
            const float r = s.filterR.lowPass (right[i]);
            if (p >= 0.0f)
            {
                left[i] = l;
                right[i] = r;
            }
            else
            {
                left[i] = left[i] - s.filterL.k * s.filterL.band - l;
                right[i] = right[i] - s.filterR.k * s.filterR.band - r;
            }
        }
    }
    else
        s.filterSet = false;

    if (laneSource->any (kLaneCrush, t))
    {
        laneSource->mod (kLaneCrush, t, v, n);
        for (int i = 0; i < n; ++i)
        {
            const float f = std::min (std::fabs (v[i]), 1.0f);
            if (! (f >= 0.01f))
                continue;
            s.holdCounter += 1.0f;
            if (s.holdCounter >= 1.0f + 24.0f * f)
            {
                s.holdCounter = 0.0f;
                s.heldL = left[i];
                s.heldR = right[i];
            }
            const float levels = std::exp2 (12.0f - 9.0f * f);
            const float wet = std::min (2.0f * f, 1.0f);
            left[i] += (dsp::nearest (s.heldL * levels) / levels - left[i]) * wet;
            right[i] += (dsp::nearest (s.heldR * levels) / levels - right[i]) * wet;
        }
    }

    if (laneSource->any (kLaneChop, t))
    {
        laneSource->mod (kLaneChop, t, v, n);
        for (int i = 0; i < n; ++i)
        {
            const float g = 1.0f - std::min (std::fabs (v[i]), 1.0f);
            left[i] *= g;
            right[i] *= g;
        }
    }
}

void Rack::mixTracks (int n) noexcept
{
    const std::size_t bytes = sizeof (float) * (std::size_t) n;
    std::memset (kickBus[0], 0, bytes);
    std::memset (kickBus[1], 0, bytes);
    std::memset (restBus[0], 0, bytes);
    std::memset (restBus[1], 0, bytes);
    std::memset (echoBus, 0, bytes);

    for (int t = 0; t < kNumLanes; ++t)
    {
        const float* left = tracks[t][0];
        const float* right = tracks[t][1];
        const float level = mix.level[t];
        float* busL = t == KICK ? kickBus[0] : restBus[0];
        float* busR = t == KICK ? kickBus[1] : restBus[1];
        for (int i = 0; i < n; ++i)
        {
            busL[i] += left[i] * level;
            busR[i] += right[i] * level;
        }

        const float send = mix.echoSend[t];
        const bool thrown = laneSource != nullptr && laneSource->any (kLaneEchoThrow, t);
        if (thrown)
        {
            laneSource->mod (kLaneEchoThrow, t, laneValues, n);
            for (int i = 0; i < n; ++i)
            {
                const float s = std::min (1.5f, send + std::fabs (laneValues[i]));
                echoBus[i] += (left[i] + right[i]) * 0.5f * level * s;
            }
        }
        else if (send > 0.0001f)
        {
            const float s = std::min (1.5f, send);
            for (int i = 0; i < n; ++i)
                echoBus[i] += (left[i] + right[i]) * 0.5f * level * s;
        }
    }
}

} // namespace grum
