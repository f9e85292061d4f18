#include "PinList.h"

#include <algorithm>
#include <thread>

namespace grum
{

bool PinList::clear() noexcept
{
    if (n == 0)
        return false;
    n = 0;
    changed();
    return true;
}

bool PinList::pinNow (const BarState& current) noexcept
{
    if (n >= kMaxPins)
        return false;

    const std::int64_t newBar = std::max<std::int64_t> (current.bar, -1) + 1;

    int at = n;
    for (int i = 0; i < n; ++i)
        if (list[i].bar > current.bar)
        {
            at = i;
            break;
        }

    if (at == n || list[at].bar != newBar)
    {
        for (int i = n; i > at; --i)
        {
            list[i] = list[i - 1];
            stamps[i] = stamps[i - 1];
        }
        ++n;
    }

    list[at].bar = newBar;
    for (int lane = 0; lane < kNumLanes; ++lane)
        list[at].lanes[lane] = current.lanes[lane];
    stamps[at] = ++stampCounter;
    changed();
    return true;
}

bool PinList::removeLast() noexcept
{
    if (n == 0)
        return false;

    int newest = 0;
    for (int i = 1; i < n; ++i)
        if (stamps[i] > stamps[newest])
            newest = i;

    for (int i = newest; i < n - 1; ++i)
    {
        list[i] = list[i + 1];
        stamps[i] = stamps[i + 1];
    }
    --n;
    changed();
    return true;
}

void PinList::assign (const Pin* pins, int count) noexcept
{
    n = 0;
    for (int k = 0; k < std::min (std::max (count, 0), kMaxPins); ++k)
    {
        // Insertion after every pin of the same or an earlier bar: stable.
        int at = n;
        while (at > 0 && list[at - 1].bar > pins[k].bar)
            --at;
        for (int i = n; i > at; --i)
        {
            list[i] = list[i - 1];
            stamps[i] = stamps[i - 1];
        }
        list[at] = pins[k];
        stamps[at] = ++stampCounter;
        ++n;
    }
    changed();
}

void PinList::serveRequests (std::atomic<bool>& clearRequested, std::atomic<bool>& pinRequested,
                             std::atomic<bool>& unpinRequested, const BarState& current) noexcept
{
    if (! clearRequested.load() && ! pinRequested.load() && ! unpinRequested.load())
        return;
    if (! tryLock())
        return;

    if (clearRequested.exchange (false))
        clear();
    if (pinRequested.exchange (false))
        pinNow (current);
    if (unpinRequested.exchange (false))
        removeLast();

    unlock();
}

void PinList::describe (Settings& s) const noexcept
{
    s.pins = list;
    s.pinCount = n;
    s.pinGeneration = generation();
}

bool PinList::tryLock() noexcept
{
    int expected = 0;
    return lockWord.compare_exchange_strong (expected, 1, std::memory_order_acquire);
}

void PinList::lock() noexcept
{
    while (! tryLock())
        std::this_thread::yield();
}

void PinList::unlock() noexcept
{
    lockWord.store (0, std::memory_order_release);
}

} // namespace grum
