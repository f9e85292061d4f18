#include "LaneText.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace grum
{

namespace
{
// Round to nearest, halves to even, whatever the floating-point mode is.
long long roundHalfEven (double x) noexcept
{
    const double lower = std::floor (x);
    const double fraction = x - lower;
    auto result = (long long) lower;
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0))
        ++result;
    return result;
}

bool readInt (const char*& p, long long lo, long long hi, long long& value) noexcept
{
    if (*p != '-' && (*p < '0' || *p > '9'))
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll (p, &end, 10);
    if (end == p || errno != 0 || v < lo || v > hi)
        return false;
    p = end;
    value = v;
    return true;
}
} // namespace

std::string encodeLane (const LaneGenome& g)
{
    std::string text = std::to_string (g.length);
    const int length = std::min (std::max (g.length, 0), kMaxSteps);
    for (int j = 0; j < length; ++j)
    {
        const Step& s = g.steps[j];
        if (! s.on)
            continue;
        text += ';';
        text += std::to_string (j);
        text += ',';
        text += std::to_string ((int) s.velocity);
        text += s.open ? ",1," : ",0,";
        text += std::to_string (roundHalfEven ((double) s.chance * 100.0));
        text += ',';
        text += std::to_string (roundHalfEven ((double) s.shift * 1000.0));
        text += ',';
        text += std::to_string ((int) s.note);
    }
    return text;
}

bool decodeLane (const char* text, LaneGenome& g) noexcept
{
    if (text == nullptr)
        return false;

    LaneGenome out;
    const char* p = text;
    long long length = 0;
    if (! readInt (p, 3, kMaxSteps, length))
        return false;
    out.length = (int) length;

    long long previous = -1;
    while (*p == ';')
    {
        ++p;
        long long v[6];
        static constexpr long long lo[6] = { 0, 0, 0, 0, -1000000, -128 };
        static constexpr long long hi[6] = { kMaxSteps - 1, 127, 1, 100, 1000000, 127 };
        for (int k = 0; k < 6; ++k)
        {
            if (k > 0 && *p++ != ',')
                return false;
            if (! readInt (p, lo[k], hi[k], v[k]))
                return false;
        }
        if (v[0] <= previous || v[0] >= length)
            return false;
        previous = v[0];

        Step& s = out.steps[v[0]];
        s.on = true;
        s.velocity = (std::uint8_t) v[1];
        s.open = v[2] != 0;
        s.chance = (float) v[3] / 100.0f;
        s.shift = (float) v[4] / 1000.0f;
        s.note = (std::int8_t) v[5];
    }
    if (*p != '\0')
        return false;

    g = out;
    return true;
}

} // namespace grum
