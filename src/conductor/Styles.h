#pragma once

// The style record, the table of sixteen built-in styles and the learned style.
// Every value in these rows decides the music: a different number is a
// different song for every seed that reaches it.

#include <cstdint>

#include "Types.h"

namespace grum
{

constexpr int kNumStyles = 16;      // built-in rows 0..15
constexpr int kLearnedStyle = 16;   // the style index of the learned style

struct StyleDef
{
    const char* name;                   // upper-case display name
    const char* description;            // one Swedish line for the header
    std::int32_t bpm;                   // tempo hint only; the conductor ignores it
    float swing;                        // added to SVÄNG on odd sixteenths
    float shiftMax;                     // largest micro-timing mutation; scales the STAB delay wave
    const char* patterns[kNumLanes];    // base patterns, KICK..STAB
    const char* fillMasks[kNumLanes];   // "x" marks where notes may be added or moved to
    std::int32_t altLengths[3][4];      // HAT, CLICK, PERC: lengths to switch to; below 3 means none
    float laneWeights[kNumLanes];       // chance a mutation hits each lane (KICK never)
    float kindWeights[6];               // chance of each mutation kind 0..5
    float cutChance;                    // base chance of cutting a lane for a phrase
    float timbreDrive;                  // KICK M4, BAS M3, CLICK M4 as drive * 0.5 + 0.3
    float timbreDub;                    // STAB M2 and M3
    float timbreHat;                    // HAT M2
    float timbreBass;                   // BAS M2
    std::int8_t notes[8];               // palette of note mutations
    std::int32_t neighbours[4];         // rows style drift may move to
};

extern const StyleDef kStyles[kNumStyles];

// The row a style index stands for: 16 is the learned style (row 0 when there
// is none), anything else its low four bits.
const StyleDef& styleRow (int style, const StyleDef* learned) noexcept;

//==============================================================================
// One learned style as the processor keeps it: fixed text buffers and a
// StyleDef whose text pointers point into them. Copying relinks the pointers,
// so a copy never points into the record it was copied from.
struct LearnedStyle
{
    static constexpr int kTextBytes = 34;     // at most 33 characters and a terminator
    static constexpr int kNameBytes = 40;
    static constexpr int kOriginBytes = 160;

    char patternText[kNumLanes][kTextBytes] {};
    char fillMaskText[kNumLanes][kTextBytes] {};
    char name[kNameBytes] {};
    char origin[kOriginBytes] {};
    StyleDef def {};

    // Empty patterns and masks, the name "LÄRD", every number zero.
    LearnedStyle() noexcept;
    LearnedStyle (const LearnedStyle& other) noexcept;
    LearnedStyle& operator= (const LearnedStyle& other) noexcept;

    // Each setter truncates to what its buffer holds; null is taken as "".
    void setPattern (int lane, const char* text) noexcept;
    void setFillMask (int lane, const char* text) noexcept;
    void setName (const char* text) noexcept;
    void setOrigin (const char* text) noexcept;

private:
    void link() noexcept;
};

} // namespace grum
