#pragma once

// The processor's pinned patterns ("GILLA"): at most 32 pins sorted by bar,
// each with a stamp that says when it was made, and a generation counter that
// changes with every edit so that the conductor replays the song under the
// new pins. The audio thread edits the list under its try-lock; the message
// thread reads it (state saving) holding the same lock.

#include <atomic>
#include <cstdint>

#include "Types.h"

namespace grum
{

class PinList
{
public:
    // Audio thread, holding the lock. Each returns whether the list changed.

    // Removes every pin.
    bool clear() noexcept;

    // Pins the live lanes of `current` (the bar the renderer took last) from
    // the bar after it. A pin already waiting for that bar is overwritten; a
    // full list stays as it is.
    bool pinNow (const BarState& current) noexcept;

    // Removes the most recently made or overwritten pin.
    bool removeLast() noexcept;

    // Message thread, holding the lock: replaces the list, e.g. with the pins
    // of a saved state. Pins are kept in bar order (equal bars in the order
    // given), stamps follow the order given; at most 32 are kept.
    void assign (const Pin* pins, int count) noexcept;

    // Serves the editor's three requests in their fixed order (clear, pin,
    // remove last), each flag consumed with an exchange. Audio thread; a busy
    // lock leaves the requests for the next block.
    void serveRequests (std::atomic<bool>& clearRequested, std::atomic<bool>& pinRequested,
                        std::atomic<bool>& unpinRequested, const BarState& current) noexcept;

    // Points a settings snapshot at this list.
    void describe (Settings& s) const noexcept;

    int count() const noexcept { return n; }
    const Pin* pins() const noexcept { return list; }
    std::int32_t stamp (int index) const noexcept { return stamps[index]; }
    std::int32_t generation() const noexcept { return pinGeneration.load (std::memory_order_acquire); }

    // The lock: the audio thread only tries it, the message thread waits.
    bool tryLock() noexcept;
    void lock() noexcept;
    void unlock() noexcept;

private:
    void changed() noexcept { pinGeneration.fetch_add (1, std::memory_order_acq_rel); }

    Pin list[kMaxPins] {};
    std::int32_t stamps[kMaxPins] {};
    std::int32_t n = 0;
    std::int32_t stampCounter = 0;      // only ever increases
    std::atomic<std::int32_t> pinGeneration { 0 };
    std::atomic<int> lockWord { 0 };
};

} // namespace grum
