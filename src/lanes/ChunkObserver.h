#pragma once

// Sees the events of every chunk after the lanes (the offline renderer and
// the tests use it to list what was played). Called on the audio thread from
// inside the block, so an implementation must not block; the real-time path
// runs with no observer at all.

#include <cstdint>

#include "conductor/Types.h"

namespace grum
{

class ChunkObserver
{
public:
    virtual ~ChunkObserver() = default;

    // offset: the chunk's first sample within the host block; sources[i] is
    // an EventSource (0 scheduled, 1 stutter retrigger).
    virtual void chunkEvents (int offset, int n, const Event* events, const std::uint8_t* sources, int count) noexcept = 0;
};

} // namespace grum
