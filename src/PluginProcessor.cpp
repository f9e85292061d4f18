#include "PluginProcessor.h"

#include "PluginEditor.h"
#include "lanes/BanaRecipe.h"
#include "samples/SampleLibrary.h"

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
    laneStage.prepare (rate);
    sequencer.prepare();
    rack.setMix (mix);
    for (int t = 0; t < grum::kNumLanes; ++t)
        rack.setSampleEngine (t, &sampleEngines[t]);    // prepared, reset and rendered by the rack

    SampleLibrary::get();           // the index, built on first use in the process
    refreshSounds();                // every track follows its kit
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
    laneStage.prepare (rate);       // lanes, retrigger queue, last events
    // Every engine prepared and reset, the delay lines sized, buffers, filters,
    // echo and pump cleared. No hosted plug-ins yet: both hooks stay empty.
    rack.prepare (rate);
    rack.setLanes (&laneView);
    rack.setInsertHook (nullptr, nullptr);
    rack.setInstrumentHook (nullptr, nullptr);
    loadMeasurer.reset (rate, std::max (1, maximumExpectedSamplesPerBlock));
    lastBpm = -1.0;
    playing = false;
    idleSample = 0;
    // Notes still held go out as note-offs at the start of the next block:
    // there is no MIDI buffer to send them in here.
    if (midiOut.held() > 0)
        midiFlushOwed.store (true);
    sequencer.prepare();            // the step clock; empties both cache slots
}

void GrumProcessor::releaseResources()
{
    if (midiOut.held() > 0)
        midiFlushOwed.store (true);
}

namespace
{
// Live MIDI goes into the host's buffer at the chunk's place in the block.
struct BlockMidi final : grum::MidiSink
{
    juce::MidiBuffer& buffer;
    int base = 0;

    explicit BlockMidi (juce::MidiBuffer& b, int offset = 0) noexcept : buffer (b), base (offset) {}

    void send (int sample, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept override
    {
        const std::uint8_t bytes[3] = { status, data1, data2 };
        buffer.addEvent (bytes, 3, base + sample);
    }
};
} // namespace

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

    BlockMidi out (midi);
    if (midiFlushOwed.exchange (false))
        midiOut.endAll (out, 0);

    servePinRequests();
    snapshotParameters();

    // MIDI switched off or moved to other channels: what sounds on the old
    // channels ends now, before anything new starts.
    const bool wantMidi = ptr.get (params::midiUt) > 0.5f;
    const int layout = index (ptr.get (params::kanaler), 0, 1);
    if ((midiOn && ! wantMidi) || layout != midiLayout)
        midiOut.endAll (out, 0);
    midiOn = wantMidi;
    midiLayout = layout;

    double startBeat = 0.0;
    const bool wasPlaying = playing;
    followTransport (numSamples, startBeat);

    // Stop edge: every held note ends at the block's first sample.
    if (wasPlaying && ! playing)
        midiOut.endAll (out, 0);

    if (std::abs (bpm - lastBpm) > 0.001)
        tempoChanged (bpm);

    for (int offset = 0; offset < numSamples;)
        offset += processChunk (buffer, midi, offset, numSamples - offset, startBeat);

    publish (startBeat, numSamples);
}

void GrumProcessor::followTransport (int numSamples, double& startBeat) noexcept
{
    const double tempoParam = ptr.get (params::tempo);
    double tempo = tempoParam;
    bool nowPlaying = false;

    if (wrapperType == wrapperType_Standalone)
    {
        if (ptr.get (params::spela) > 0.5f)
        {
            if (! playing)
                standalonePpq = 0.0;        // the first step played is step 0
            nowPlaying = true;
            startBeat = standalonePpq;
            standalonePpq += (numSamples / rate) * tempoParam / 60.0;
        }
    }
    else if (auto* head = getPlayHead())
    {
        if (const auto position = head->getPosition())
        {
            if (const auto hostBpm = position->getBpm(); hostBpm.hasValue() && std::isfinite (*hostBpm))
                tempo = *hostBpm;
            if (const auto ppq = position->getPpqPosition(); ppq.hasValue() && std::isfinite (*ppq) && position->getIsPlaying())
            {
                nowPlaying = true;
                startBeat = *ppq;
            }
        }
    }

    bpm = std::clamp (std::isfinite (tempo) ? tempo : 126.0, 20.0, 400.0);
    playing = nowPlaying;
}

void GrumProcessor::tempoChanged (double newBpm) noexcept
{
    // The classic and sample engines' tempo, the echo's beat length and the
    // pump's release of about half a beat.
    rack.setTempo (newBpm);
    const double c = std::clamp (newBpm, 40.0, 300.0);
    secondsPerBeat = 60.0 / c;
    lastBpm = newBpm;
}

int GrumProcessor::processChunk (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi,
                                 int offset, int maxN, double startBeat) noexcept
{
    const double p = startBeat + (offset / rate) * bpm / 60.0;
    const double stepsPerSample = (bpm / 60.0) * 4.0 / rate;
    maxN = std::clamp (maxN, 1, kChunk);

    int count = 0;
    grum::ChunkClock chunk;
    const bool schedule = playing && bpm > 1.0 && rate > 0.0;
    if (schedule)
    {
        chunk = sequencer.placeOnGrid (p * 4.0, maxN, stepsPerSample);
        count = sequencer.schedule (chunk, current, root, swing, events);
    }
    else
    {
        // The grid goes on from where playing ended, so the tails after a
        // stop sound the same whatever the host's blocks.
        if (sequencer.running())
            idleSample = sequencer.samplesSinceAnchor();
        sequencer.stop();
        const std::int64_t cell = idleSample - (idleSample % grum::ChunkClock::kGrid);
        chunk.anchorStep = p * 4.0;
        chunk.start = idleSample;
        chunk.segmentStart = cell;
        chunk.segmentLength = grum::ChunkClock::kGrid;
        chunk.n = (int) std::min<std::int64_t> (maxN, cell + grum::ChunkClock::kGrid - idleSample);
        chunk.stepsPerSample = stepsPerSample;
        idleSample += chunk.n;
    }
    const int n = chunk.n;

    const grum::BarState& bar = schedule ? sequencer.barState (chunk.segmentBar, current) : sequencer.currentBar();
    count = laneStage.apply (chunk, schedule, bpm, bar, events, sources, count);

    if (auto* o = observer.load (std::memory_order_relaxed))
        o->chunkEvents (offset, n, events, sources, count);

    BlockMidi out (midi, offset);
    midiOut.chunk (events, midiOn ? count : 0, n, midiLayout, out);

    renderChunk (buffer, offset, n, chunk.start, events, count);
    return n;
}

void GrumProcessor::renderChunk (juce::AudioBuffer<float>& buffer, int offset, int n, std::int64_t firstSample,
                                 const grum::Event* chunkEvents, int count) noexcept
{
    // The lanes' macros and pitch reach all three engines of a track, so a
    // change of source finds them already set.
    for (int t = 0; t < grum::kNumLanes; ++t)
    {
        for (int m = 0; m < 4; ++m)
            rack.setMacro (t, m, laneStage.macros[t][m]);
        rack.setPitchOffset (t, laneStage.pitchOffset[t]);
    }

    // A mono buffer takes the left result; the rack writes, it never adds.
    const int channels = buffer.getNumChannels();
    float* left = channels > 0 ? buffer.getWritePointer (0) + offset : noChannels;
    float* right = channels > 1 ? buffer.getWritePointer (1) + offset : nullptr;
    rack.render (chunkEvents, count, left, right, n, firstSample);
}

void GrumProcessor::publish (double startBeat, int numSamples) noexcept
{
    const grum::BarState& bar = sequencer.currentBar();
    grum::DisplayValues v;

    for (int t = 0; t < grum::kNumLanes; ++t)
    {
        const auto& lane = bar.lanes[t];
        const int length = grum::lengthOf (lane);
        std::uint32_t mask = 0;
        for (int i = 0; i < std::min (length, 32); ++i)
            if (lane.steps[i].on)
                mask |= 1u << i;
        v.stepMask[t] = mask;
        v.laneLength[t] = length;
        v.laneActive[t] = bar.laneOn[t];
    }

    v.currentStep = (std::int64_t) std::floor (4.0 * (startBeat + (numSamples / rate) * bpm / 60.0));
    v.currentBar = bar.bar;
    v.phase = (std::int32_t) bar.phase;
    v.energy = bar.energy;
    v.playing = playing;
    v.key = root + bar.keyOffset;
    v.barStyle = bar.style;
    v.pendingStyle = bar.pendingStyle;
    v.songId = current.seed * 64 + current.style + 1;
    v.arcStart = bar.arcStart;
    v.arcIndex = bar.arcIndex;
    v.density = bar.density;
    v.densityTarget = bar.densityTarget;
    v.cpuLoad = (float) std::clamp (loadMeasurer.getLoadAsProportion(), 0.0, 1.0);
    v.bpm = bpm;

    // The message thread may be replacing the pins (a restored state): then
    // the count shown stays as it was for one more block.
    if (pins.tryLock())
    {
        shownPinCount = pins.count();
        pins.unlock();
    }
    v.pinCount = shownPinCount;

    // The arc being played: the newest endless arc once one is built.
    const auto& c = sequencer.conductor;
    const bool endlessArc = c.builtArc > 0;
    const grum::Section* sections = endlessArc ? c.arcN : c.arc0;
    const int sectionCount = std::clamp (endlessArc ? c.arcNCount : c.arc0Count, 0, grum::kMaxSections);
    for (int s = 0; s < sectionCount; ++s)
        v.arcSections[s] = { (std::int32_t) sections[s].phase, sections[s].start };
    v.arcSectionCount = sectionCount;
    v.arcLength = std::max (1, bar.arcBars);

    for (int b = 0; b < grum::kNumBanor; ++b)
    {
        v.laneLevel[b] = laneStage.banor.level (b);
        v.laneStep[b] = laneStage.banor.laneStep (b);
        v.laneRotation[b] = laneStage.banor.extraRotation (b);
    }

    published.write (v);
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
    // The pin is taken from the bar the editor shows; a busy lock keeps the
    // requests for the next block.
    pins.serveRequests (clearPinsRequested, pinRequested, unpinRequested, sequencer.currentBar());
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
    // No learned style exists yet: learned stays null, its generation 0.
    pins.describe (s);

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
    rack.setMix (mix);

    for (int n = 0; n < kNumBanor; ++n)
    {
        const auto& p = ptr.lane[(size_t) n];
        auto value = [&p] (int which) { return p[(size_t) which]->load (std::memory_order_relaxed); };
        auto& lane = laneStage.banor.lane[n];
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
    sequencer.invalidateCache();
}

//==============================================================================
namespace
{
// The dice use the platform's shared generator: a gesture, not the song.
struct SystemRandom final : grum::RandomSource
{
    juce::Random& r = juce::Random::getSystemRandom();
    int nextInt (int k) override { return r.nextInt (k); }
    float nextFloat() override { return r.nextFloat(); }
};
} // namespace

void GrumProcessor::setParameterAsGesture (const juce::String& id, float plainValue)
{
    // A parameter missing from the tree is skipped; its draw has happened.
    auto* p = tree.getParameter (id);
    if (p == nullptr)
        return;
    p->beginChangeGesture();
    p->setValueNotifyingHost (p->convertTo0to1 (plainValue));
    p->endChangeGesture();
}

void GrumProcessor::randomizeBana (int lane)
{
    if (lane < 0 || lane >= grum::kNumBanor)
        return;
    SystemRandom random;
    const auto r = grum::drawBanaRecipe (random);
    const float values[params::kNumLaneParams] = {
        (float) r.target, (float) r.track, (float) r.steps, (float) r.hits,
        (float) r.rotation, (float) r.rate, r.depth, r.decay,
    };
    for (int which = 0; which < params::kNumLaneParams; ++which)
        setParameterAsGesture (params::laneParamId (lane, which), values[which]);
}

juce::String GrumProcessor::randomizeBanor()
{
    SystemRandom random;
    const int count = grum::drawBanaCount (random);
    for (int lane = 0; lane < grum::kNumBanor; ++lane)
    {
        if (lane < count)
            randomizeBana (lane);
        else
            setParameterAsGesture (params::laneParamId (lane, params::mal), 0.0f);
    }
    return "Nya banor: " + juce::String (count) + juce::String::fromUTF8 (" igång.");
}

void GrumProcessor::timerCallback()
{
    followKit();
}

//==============================================================================
int GrumProcessor::wantedKitNow() const
{
    grum::KitChoice choice;
    choice.kitParam = ptr.get (params::kit);
    choice.seedParam = ptr.get (params::seed);
    choice.styleParam = ptr.get (params::stil);
    // What the audio thread played last: a style that wandered picks the kit.
    choice.playing = published.isPlaying();
    choice.songId = published.song();
    choice.barStyle = published.style();
    choice.learned = false;         // no style is learned from MIDI yet
    // A kit name missing from the table gives -1, which plays the first kit.
    return std::clamp (grum::wantedKit (choice), 0, grum::kNumKits - 1);
}

void GrumProcessor::followKit()
{
    if (wantedKitNow() != kitInForce)
        refreshSounds();
}

void GrumProcessor::refreshSounds()
{
    const int kitIndex = wantedKitNow();
    kitInForce = kitIndex;
    auto& library = SampleLibrary::get();
    const auto load = library.loader();

    for (int t = 0; t < grum::kNumLanes; ++t)
    {
        const auto plan = grum::planTrackSound (kitIndex, t, laneSource (t).toStdString(), load);

        // The selector moves away from the sample player before its samples
        // go, and towards it only after they have arrived, so no note meets
        // an engine without its sound.
        if (plan.selector != grum::kSelectSample)
            rack.setSource (t, plan.selector);
        if (plan.setSamples)
            sampleEngines[t].setSamples (plan.main, plan.alternative);
        if (plan.setRecipe)
            rack.grum (t).setRecipe (plan.recipe, plan.variant);    // rebuilt on the audio thread
        if (plan.selector == grum::kSelectSample)
            rack.setSource (t, plan.selector);
        shown[t] = plan.shown;
    }
}

void GrumProcessor::setLaneSource (int track, const juce::String& source)
{
    if (track < 0 || track >= grum::kNumLanes)
        return;
    {
        const std::lock_guard<std::mutex> lock (sourceLock);
        sourceText[track] = source;
    }
    refreshSounds();
}

juce::String GrumProcessor::laneSource (int track) const
{
    if (track < 0 || track >= grum::kNumLanes)
        return {};
    const std::lock_guard<std::mutex> lock (sourceLock);
    return sourceText[track];
}

juce::String GrumProcessor::laneSoundName (int track) const
{
    if (track < 0 || track >= grum::kNumLanes)
        return {};
    return juce::String::fromUTF8 (grum::laneSoundName (shown[track]).c_str());
}

void GrumProcessor::shuffleLaneSound (int track)
{
    if (track < 0 || track >= grum::kNumLanes)
        return;
    const auto next = grum::shuffledSource (
        track, laneSource (track).toStdString(), shown[track],
        [] (const std::string& category) { return SampleLibrary::get().namesInCategory (category); },
        [] { return juce::Random::getSystemRandom().nextDouble(); });
    setLaneSource (track, juce::String::fromUTF8 (next.c_str()));
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
