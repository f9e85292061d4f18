#pragma once

// The STAB track's ping-pong echo, shared by the STAB synthesiser and the
// sample engine on the STAB track: a dotted-eighth delay whose left line is fed
// by the dry signal and the band-limited right tap, and whose right line is fed
// by the band-limited left tap only, so repeats bounce from side to side.

#include "sound/Dsp.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace grum
{

class StabEcho
{
public:
    // Allocates the two lines (2.5 s each); set-up thread only.
    void prepare (double rate)
    {
        sampleRate = (float) rate;
        const std::size_t length = (std::size_t) (rate * 2.5) + 4;
        lineL.assign (length, 0.0f);
        lineR.assign (length, 0.0f);
        reset();
    }

    void reset() noexcept
    {
        highL.clear();
        lowL.clear();
        highR.clear();
        lowR.clear();
        std::fill (lineL.begin(), lineL.end(), 0.0f);
        std::fill (lineR.begin(), lineR.end(), 0.0f);
        writeIndex = 0;
        quietRun = 0;
    }

    bool prepared() const noexcept { return ! lineL.empty(); }
    int lineLength() const noexcept { return (int) lineL.size(); }

    // The delay in samples for a beat length, within the line.
    int delayFor (float beatSeconds) const noexcept
    {
        int delay = (int) (beatSeconds * 0.75f * sampleRate);   // a dotted eighth
        delay = std::min (delay, lineLength() - 2);
        return delay > 0 ? delay : 1;
    }

    // Once nothing but exact zeros has entered the lines for a whole line and
    // the feedback filters rest at zero, the echo is silent and can be skipped
    // without changing a single output sample.
    bool resting() const noexcept
    {
        return quietRun >= lineLength() && highL.silent() && lowL.silent() && highR.silent() && lowR.silent();
    }

    // Call once per render call, before the samples.
    void updateFilters() noexcept
    {
        highL.set (std::min (0.45f * sampleRate, 280.0f), 1.4285714f, sampleRate);
        lowL.set (std::min (0.45f * sampleRate, 2800.0f), 1.4285714f, sampleRate);
        highR.copyCoefficients (highL);
        lowR.copyCoefficients (lowL);
    }

    // One sample: feeds the dry signal in and gives the two taps out.
    void process (float feed, float feedback, int delay, float& tapL, float& tapR) noexcept
    {
        const int n = lineLength();
        int r = writeIndex - delay;
        if (r < 0)
            r += n;
        tapL = lineL[(std::size_t) r];
        tapR = lineR[(std::size_t) r];
        const float inL = dsp::tanh (feed + feedback * lowL.lowPass (highL.highPass (tapR)));
        const float inR = dsp::tanh (feedback * lowR.lowPass (highR.highPass (tapL)));
        lineL[(std::size_t) writeIndex] = inL;
        lineR[(std::size_t) writeIndex] = inR;
        quietRun = (inL == 0.0f && inR == 0.0f) ? std::min (quietRun + 1, n) : 0;
        if (++writeIndex >= n)
            writeIndex = 0;
    }

private:
    float sampleRate = 44100.0f;
    dsp::Svf highL, lowL, highR, lowR;
    std::vector<float> lineL, lineR;
    int writeIndex = 0;
    int quietRun = 0;
};

} // namespace grum
