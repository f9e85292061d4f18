#pragma once

// The modulation lanes as the rack reads them. The processor owns one next to
// its Banor and hands it to Rack::setLanes in prepareToPlay.

#include "lanes/Banor.h"
#include "sound/LaneSource.h"

namespace grum
{

class BanorLanes final : public LaneSource
{
public:
    explicit BanorLanes (const Banor& lanesToRead) noexcept : banor (lanesToRead) {}

    bool any (int target, int track) const noexcept override { return banor.any (target, track); }

    void mod (int target, int track, float* out, int n) const noexcept override
    {
        for (int i = 0; i < n; ++i)
            out[i] = banor.mod (target, track, i);
    }

private:
    const Banor& banor;
};

static_assert ((int) Banor::Filter == kLaneFilter && (int) Banor::EchoThrow == kLaneEchoThrow
               && (int) Banor::Crush == kLaneCrush && (int) Banor::Chop == kLaneChop,
               "the rack's lane targets follow the lanes' MÅL choices");

} // namespace grum
