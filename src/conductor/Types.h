#pragma once

// The small value types the whole engine passes around. Everything here is a
// plain, trivially copyable record: the audio thread copies these with a byte
// copy and never allocates for them.

#include <cstdint>
#include <type_traits>

namespace grum
{

constexpr int kNumLanes = 6;      // KICK, HAT, CLICK, PERC, BAS, STAB
constexpr int kMaxSteps = 32;     // cells in a lane pattern
constexpr int kMaxSections = 64;  // sections in one song arc
constexpr int kMaxPins = 32;      // pins the processor keeps
constexpr int kMaxEvents = 256;   // events in one render chunk

enum Lane : int { KICK = 0, HAT = 1, CLICK = 2, PERC = 3, BAS = 4, STAB = 5 };

// Upper-case lane name, "?" outside 0..5. Never null.
const char* laneName (int lane) noexcept;

// MIDI note a lane plays when it has no pitch of its own.
constexpr int kLaneDefaultNote[kNumLanes] = { 36, 42, 37, 75, 43, 55 };

enum class Phase : std::uint32_t { INTRO = 0, GROOVE = 1, SPANNING = 2, DROPP = 3, SLAPP = 4 };

// Phase display name (UTF-8), "?" above 4. Never null.
const char* phaseName (Phase phase) noexcept;

//==============================================================================
// splitmix64's output function applied to x + the splitmix64 increment.
constexpr std::uint64_t mix64 (std::uint64_t x) noexcept
{
    std::uint64_t z = x + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Every seeded decision takes its stream from derive(seed, a, b), so each
// decision has its own repeatable generator. The order of a and b matters.
constexpr std::uint64_t derive (std::uint64_t x, std::uint64_t a, std::uint64_t b) noexcept
{
    return mix64 (mix64 (mix64 (x) ^ a) ^ b);
}

// xorshift64*. Every draw advances the state by exactly one step: the number
// and order of draws decide the music, so never add a draw casually.
struct Rng
{
    std::uint64_t state = 1;

    Rng() = default;
    explicit constexpr Rng (std::uint64_t v) noexcept : state (mix64 (v) | 1u) {}

    constexpr std::uint64_t next() noexcept
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    }

    // 24 random bits scaled into [0, 1) with a single-precision multiply.
    float unit() noexcept { return (float) (next() >> 40) * (1.0f / 16777216.0f); }

    // Uniform-ish integer in [0, n) for n >= 1.
    std::uint32_t below (std::uint32_t n) noexcept { return ((std::uint32_t) (next() >> 32)) % n; }

    bool chance (float p) noexcept { return unit() < p; }
};

//==============================================================================
struct Step
{
    bool on = false;
    bool open = false;          // open hat on HAT, passed on as an accent elsewhere
    std::uint8_t velocity = 100;
    float chance = 1.0f;        // 0.999 and above always fires
    float shift = 0.0f;         // micro-timing in sixteenths, positive is late
    std::int8_t note = 0;       // semitone offset (BAS: from the key, PERC: from its base note)
};

struct LaneGenome
{
    std::int32_t length = 16;   // 3..32 once parsed; the renderer plays cell (step mod length)
    Step steps[kMaxSteps] {};
};

// Cells in use, kept inside the 32 cells whatever a genome claims.
inline int lengthOf (const LaneGenome& g) noexcept
{
    return g.length < 1 ? 1 : (g.length > kMaxSteps ? kMaxSteps : g.length);
}

// Sounding cells among those in use.
inline int soundingSteps (const LaneGenome& g) noexcept
{
    const int length = lengthOf (g);
    int n = 0;
    for (int i = 0; i < length; ++i)
        n += g.steps[i].on ? 1 : 0;
    return n;
}

struct Section
{
    Phase phase = Phase::INTRO;
    std::int32_t start = 0;     // first bar, counted from the start of the arc
    std::int32_t bars = 1;
};

struct StyleDef;                // the style record, with the style table
struct Pin;

// Everything that shapes the song, rebuilt by the processor before each block.
struct Settings
{
    std::int32_t seed = 126;
    std::int32_t style = -1;        // -1 AUTO, 0..15 a built-in style, 16 the learned style
    std::int32_t phraseBars = 8;    // 4, 8, 16 or 32
    std::int32_t songBars = 128;    // 64, 128, 192, 256 or 512
    float chaos = 0.35f;
    bool energyAuto = true;
    float energy = 0.6f;
    bool endless = true;
    bool styleWander = true;
    bool keyWander = true;
    bool locked[kNumLanes] {};
    const StyleDef* learned = nullptr;  // borrowed; used when style is 16
    std::int32_t learnedGeneration = 0;
    const Pin* pins = nullptr;          // borrowed; sorted by bar
    std::int32_t pinCount = 0;
    std::int32_t pinGeneration = 0;
};

// True when two snapshots describe the same song, so that bar states computed
// under one hold for the other. Chaos, energy and the locks may change freely:
// they take effect from the next bar computed.
bool sameSong (const Settings& a, const Settings& b) noexcept;

// What the conductor yields for one bar.
struct BarState
{
    std::int64_t bar = -1;
    std::int32_t style = 0;
    std::int32_t pendingStyle = -1;
    LaneGenome lanes[kNumLanes] {};
    bool laneOn[kNumLanes] {};
    float timbre[kNumLanes][4] {};
    float energy = 0.5f;
    Phase phase = Phase::INTRO;
    std::int32_t arcIndex = 0;
    std::int64_t arcStart = 0;
    std::int32_t arcBars = 1;
    float stabDelay = 0.0f;
    float swingBoost = 0.0f;
    std::int32_t keyOffset = 0;     // always within -5..+6
    std::int32_t cutLane = -1;
    std::int64_t cutUntil = -1;
    std::int32_t density = 0;
    std::int32_t densityTarget = 0;
};

struct Pin
{
    std::int64_t bar = 0;
    LaneGenome lanes[kNumLanes] {};
};

// One note inside the current render chunk.
struct Event
{
    std::int32_t offset = 0;    // sample index within the chunk
    std::int32_t lane = 0;
    std::int32_t note = 0;
    float velocity = 1.0f;      // 0.05..1
    bool open = false;
    std::int32_t length = 0;    // samples
};

static_assert (std::is_trivially_copyable_v<Step>);
static_assert (std::is_trivially_copyable_v<LaneGenome>);
static_assert (std::is_trivially_copyable_v<Section>);
static_assert (std::is_trivially_copyable_v<Settings>);
static_assert (std::is_trivially_copyable_v<BarState>);
static_assert (std::is_trivially_copyable_v<Pin>);
static_assert (std::is_trivially_copyable_v<Event>);

} // namespace grum
