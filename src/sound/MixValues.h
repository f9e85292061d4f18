#pragma once

#include "conductor/Types.h"

namespace grum
{

// The mixer and effect settings the processor copies from its parameters once
// per block. The rack reads only this record on the audio thread.
struct MixValues
{
    float level[kNumLanes] { 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f };
    float echoSend[kNumLanes] { 0.0f, 0.0f, 0.08f, 0.08f, 0.0f, 0.15f };
    float pump = 0.55f;
    float masterGain = 0.75f * 1.2f;
    float crush = 0.0f;
    float skew = 0.0f;
    float echoBeats = 0.75f;        // echo time in beats
    float echoFeedback = 0.55f * 0.92f;
    float echoTone = 0.45f;
    float echoLevel = 0.7f;
};

// Echo time in beats for each EKO TID choice: 1/16, 1/8, 1/8T, 1/8., 1/4, 1/4., 5/16.
constexpr float kEchoBeats[7] = { 0.25f, 0.5f, 1.0f / 3.0f, 0.75f, 1.0f, 1.5f, 1.25f };

} // namespace grum
