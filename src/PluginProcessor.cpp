#include "PluginProcessor.h"

#include "PluginEditor.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kFrasBars[4] = { 4, 8, 16, 32 };
constexpr int kLangdBars[5] = { 64, 128, 192, 256, 512 };

// A stored float parameter truncated toward zero and limited to lo..hi: a host
// may automate outside the range, and an index must never leave its table.
int index (float v, int lo, int hi) noexcept
{
    if (! std::isfinite (v))
        return lo;
    return (int) std::clamp (std::trunc (v), (float) lo, (float) hi);
}
} // namespace

GrumProcessor::GrumProcessor()
    : AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      tree (*this, nullptr, "GRUM", params::createLayout())
{
    ptr.lookUp (tree);
    // Start from the key the parameter holds, so that a key played in the very
    // first block is not undone by that block's own snapshot.
    lastRootIndex = index (ptr.get (params::rot), 0, 11);
    last = current;
    barCache[0] = barCache[1] = currentBar = grum::BarState {};
    startTimer (100);
}

GrumProcessor::~GrumProcessor()
{
    stopTimer();
}

bool GrumProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

void GrumProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    rate = sampleRate > 0.0 ? sampleRate : 44100.0;
    loadMeasurer.reset (rate, std::max (1, maximumExpectedSamplesPerBlock));
    lastBpm = -1.0;
    invalidateBarCache();
}

void GrumProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();
    juce::AudioProcessLoadMeasurer::ScopedTimer timer (loadMeasurer, numSamples);

    buffer.clear();
    if (numSamples == 0)
        return;

    takeRootFromMidi (midi);
    midi.clear();               // incoming MIDI is consumed, never passed through

    servePinRequests();
    snapshotParameters();
}

void GrumProcessor::takeRootFromMidi (const juce::MidiBuffer& midi) noexcept
{
    for (const auto metadata : midi)
    {
        const auto message = metadata.getMessage();
        if (message.isNoteOn())     // a note-on of velocity 0 is a note-off
            playedRoot = 36 + message.getNoteNumber() % 12;
    }
}

void GrumProcessor::servePinRequests() noexcept
{
    if (! (pinRequested.load() || unpinRequested.load() || clearPinsRequested.load()))
        return;

    int expected = 0;
    if (! pinLock.compare_exchange_strong (expected, 1, std::memory_order_acquire))
        return;             // busy: the request stays set for the next block

    // The pin list and its operations arrive with the conductor; until then a
    // request is held, not lost.
    pinLock.store (0, std::memory_order_release);
}

void GrumProcessor::snapshotParameters() noexcept
{
    using namespace params;
    auto& s = current;

    s.seed = index (ptr.get (seed), 1, 9999);
    s.style = index (ptr.get (stil), 0, 17) - 1;
    s.phraseBars = kFrasBars[index (ptr.get (fras), 0, 3)];
    s.songBars = kLangdBars[index (ptr.get (langd), 0, 4)];
    s.chaos = ptr.get (kaos);
    s.energyAuto = ptr.get (energiAuto) > 0.5f;
    s.energy = ptr.get (energi);
    s.endless = ptr.get (evighet) > 0.5f;
    s.styleWander = ptr.get (stilVandring) > 0.5f;
    s.keyWander = ptr.get (tonVandring) > 0.5f;
    for (int t = 0; t < kNumTracks; ++t)
        s.locked[t] = ptr.las[(size_t) t]->load (std::memory_order_relaxed) > 0.5f;
    // No learned style and no pins exist yet: learned stays null, generations 0.

    const int r = index (ptr.get (params::rot), 0, 11);
    if (r != lastRootIndex)
    {
        playedRoot = -1;
        lastRootIndex = r;
    }
    root = playedRoot >= 0 ? playedRoot : 36 + r;
    swing = ptr.get (svang);

    if (! lastValid || ! grum::sameSong (s, last))
        invalidateBarCache();
    last = s;
    lastValid = true;

    for (int t = 0; t < kNumTracks; ++t)
    {
        mix.level[t] = ptr.lvl[(size_t) t]->load (std::memory_order_relaxed);
        mix.echoSend[t] = ptr.eko[(size_t) t]->load (std::memory_order_relaxed);
    }
    mix.pump = ptr.get (pump);
    mix.masterGain = ptr.get (volym) * 1.2f;
    mix.crush = ptr.get (kross);
    mix.skew = ptr.get (skev);
    mix.echoBeats = grum::kEchoBeats[index (ptr.get (ekoTid), 0, 6)];
    mix.echoFeedback = ptr.get (ekoFb) * 0.92f;
    mix.echoTone = ptr.get (ekoTon);
    mix.echoLevel = ptr.get (ekoNiv);

    for (int n = 0; n < kNumBanor; ++n)
    {
        const auto& p = ptr.lane[(size_t) n];
        auto value = [&p] (int which) { return p[(size_t) which]->load (std::memory_order_relaxed); };
        auto& lane = lanes[(size_t) n];
        lane.target = index (value (mal), 0, 11);
        lane.track = index (value (spar), 0, 6);
        lane.steps = index (value (steg), 1, 32);
        lane.hits = index (value (slag), 0, 32);
        lane.rotation = index (value (laneRot), 0, 31);
        lane.rate = index (value (takt), 0, 8);
        lane.depth = value (djup);
        lane.decay = value (decay);
    }
}

void GrumProcessor::invalidateBarCache() noexcept
{
    barCache[0].bar = barCache[1].bar = -2;
    ++cacheInvalidations;
}

void GrumProcessor::timerCallback()
{
    // The wanted kit is checked here once the kits exist.
}

juce::AudioProcessorEditor* GrumProcessor::createEditor()
{
    return new GrumEditor (*this);
}

//==============================================================================
void GrumProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    if (auto xml = tree.copyState().createXml())
        copyXmlToBinary (*xml, destData);
}

void GrumProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // Bytes that are not our document leave the current state untouched.
    auto xml = getXmlFromBinary (data, sizeInBytes);
    if (xml == nullptr || ! xml->hasTagName (tree.state.getType()))
        return;

    auto restored = juce::ValueTree::fromXml (*xml);
    for (auto name : { "RACK", "LJUD", "LARD", "PINS" })
        restored.removeChild (restored.getChildWithName (name), nullptr);

    // Parameters missing from the document keep their defaults rather than a
    // stale value; values outside a range are clamped by the parameter itself.
    for (auto* p : getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
            if (! restored.getChildWithProperty ("id", ranged->getParameterID()).isValid())
                ranged->setValueNotifyingHost (ranged->getDefaultValue());

    tree.replaceState (restored);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new GrumProcessor();
}
