#include "Types.h"

namespace grum
{

const char* laneName (int lane) noexcept
{
    static const char* const names[kNumLanes] = { "KICK", "HAT", "CLICK", "PERC", "BAS", "STAB" };
    return lane >= 0 && lane < kNumLanes ? names[lane] : "?";
}

const char* phaseName (Phase phase) noexcept
{
    static const char* const names[5] = { "INTRO", "GROOVE", "SP\xc3\x84NNING", "DROPP", "SL\xc3\x84PP" };
    const auto index = static_cast<std::uint32_t> (phase);
    return index < 5 ? names[index] : "?";
}

bool sameSong (const Settings& a, const Settings& b) noexcept
{
    return a.seed == b.seed
        && a.style == b.style
        && a.phraseBars == b.phraseBars
        && a.songBars == b.songBars
        && a.endless == b.endless
        && a.styleWander == b.styleWander
        && a.keyWander == b.keyWander
        && a.learned == b.learned
        && a.learnedGeneration == b.learnedGeneration
        && a.pinGeneration == b.pinGeneration;
}

} // namespace grum
