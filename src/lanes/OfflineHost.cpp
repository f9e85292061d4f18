#include "lanes/OfflineHost.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace grum
{

juce::Optional<juce::AudioPlayHead::PositionInfo> SimulatedPlayHead::getPosition() const
{
    PositionInfo info;
    info.setBpm (tempo);
    info.setTimeSignature (TimeSignature { 4, 4 });
    info.setPpqPosition (beat());
    info.setPpqPositionOfLastBarStart (std::floor (beat() / 4.0) * 4.0);
    info.setTimeInSamples (timeInSamples);
    info.setTimeInSeconds ((double) timeInSamples / rate);
    info.setIsPlaying (playing);
    return info;
}

void SimulatedPlayHead::seek (double b) noexcept
{
    anchorBeat = b;
    sinceAnchor = 0;
}

void SimulatedPlayHead::setTempo (double bpm) noexcept
{
    anchorBeat = beat();
    sinceAnchor = 0;
    tempo = bpm;
}

void SimulatedPlayHead::advance (int samples) noexcept
{
    timeInSamples += samples;
    if (playing)
        sinceAnchor += samples;
}

//==============================================================================
OfflineHost::OfflineHost (double sampleRate, int blockSize)
    : rate (sampleRate), block (std::max (1, blockSize)), proc (std::make_unique<GrumProcessor>()), head (sampleRate)
{
    proc->setPlayHead (&head);
    proc->setChunkObserver (this);
    proc->setRateAndBufferSizeDetails (rate, block);
    proc->prepareToPlay (rate, block);
    buffer.setSize (2, block);
    // Room for the MIDI of the busiest block, so processBlock never grows it.
    midiBuffer.ensureSize ((size_t) 64 * 1024);
    events.reserve (1 << 16);
    midi.reserve (1 << 16);
}

OfflineHost::~OfflineHost()
{
    proc->setChunkObserver (nullptr);
    proc->setPlayHead (nullptr);
    proc->releaseResources();
}

juce::String OfflineHost::set (const juce::String& id, float plainValue)
{
    auto* p = proc->parameters().getParameter (id);
    if (p == nullptr)
        return "unknown parameter \"" + id + "\"";
    const auto range = p->getNormalisableRange();
    if (! std::isfinite (plainValue) || plainValue < range.start || plainValue > range.end)
        return id + " takes values from " + juce::String (range.start) + " to " + juce::String (range.end);
    p->setValueNotifyingHost (p->convertTo0to1 (plainValue));
    return {};
}

void OfflineHost::chunkEvents (int offset, int, const Event* e, const std::uint8_t* sources, int count) noexcept
{
    if (! collectEvents)
        return;
    // The vector was reserved; a render longer than its room grows it here,
    // which only the offline host may do.
    for (int i = 0; i < count; ++i)
        events.push_back ({ blockStart + offset + e[i].offset, e[i], sources[i] });
}

void OfflineHost::renderBlock (int n)
{
    n = juce::jlimit (1, block, n);
    buffer.setSize (2, n, false, false, true);
    midiBuffer.clear();
    blockStart = played;
    if (head.isPlaying())
        renderTempo = head.bpm();

    const auto t0 = std::chrono::steady_clock::now();
    proc->processBlock (buffer, midiBuffer);
    cpuSeconds += std::chrono::duration<double> (std::chrono::steady_clock::now() - t0).count();

    if (collectMidi)
        for (const auto m : midiBuffer)
        {
            PlayedMidi pm;
            pm.sample = blockStart + m.samplePosition;
            for (int i = 0; i < std::min (3, m.numBytes); ++i)
                pm.bytes[i] = m.data[i];
            midi.push_back (pm);
        }
    if (collectAudio)
    {
        if (audio.getNumSamples() < played + n)
            audio.setSize (2, (int) std::max<std::int64_t> (played + n, 2 * audio.getNumSamples()), true, true, true);
        for (int ch = 0; ch < 2; ++ch)
            audio.copyFrom (ch, (int) played, buffer, ch, 0, n);
    }
    played += n;
    head.advance (n);
}

void OfflineHost::render (std::int64_t samples)
{
    if (collectAudio && audio.getNumSamples() < played + samples)
        audio.setSize (2, (int) (played + samples), true, true, true);
    // The processor's 100 ms kit timer runs on a message thread; here it runs
    // between blocks, every 100 ms of rendered audio.
    const auto timerPeriod = std::max<std::int64_t> (1, (std::int64_t) (rate * 0.1));
    for (std::int64_t left = samples; left > 0; left -= block)
    {
        if (played >= nextKitCheck)
        {
            proc->followKit();
            nextKitCheck = played + timerPeriod;
        }
        renderBlock ((int) std::min<std::int64_t> (block, left));
    }
}

void OfflineHost::finish()
{
    head.setPlaying (false);
    const bool keepAudio = collectAudio;
    collectAudio = false;
    const auto end = played;
    renderBlock (block);
    played = end;           // the closing block only ends notes
    collectAudio = keepAudio;
    audio.setSize (2, (int) played, true, false, true);
}

//==============================================================================
juce::String OfflineHost::writeWav (const juce::File& file, int bitsPerSample) const
{
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    if (! stream->openedOk())
        return "cannot write " + file.getFullPathName();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), rate, 2, bitsPerSample, {}, 0));
    if (writer == nullptr)
        return "cannot write a " + juce::String (bitsPerSample) + "-bit WAV file";
    stream.release();       // the writer owns it now
    if (! writer->writeFromAudioSampleBuffer (audio, 0, (int) played))
        return "cannot write " + file.getFullPathName();
    return {};
}

juce::String OfflineHost::writeMidiFile (const juce::File& file) const
{
    constexpr int kTicks = 960;
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::tempoMetaEvent ((int) std::lround (60000000.0 / renderTempo)), 0.0);
    track.addEvent (juce::MidiMessage::timeSignatureMetaEvent (4, 4), 0.0);
    for (const auto& m : midi)
    {
        const double ticks = std::round ((double) m.sample / rate * renderTempo / 60.0 * kTicks);
        track.addEvent (juce::MidiMessage (m.bytes[0], m.bytes[1], m.bytes[2]), ticks);
    }
    const double end = std::round ((double) played / rate * renderTempo / 60.0 * kTicks);
    track.addEvent (juce::MidiMessage::endOfTrack(), std::max (end, track.getEndTime()));

    juce::MidiFile out;
    out.setTicksPerQuarterNote (kTicks);
    out.addTrack (track);
    file.deleteFile();
    juce::FileOutputStream stream (file);
    if (! stream.openedOk() || ! out.writeTo (stream, 1))
        return "cannot write " + file.getFullPathName();
    return {};
}

juce::String OfflineHost::writeEvents (const juce::File& file) const
{
    file.deleteFile();
    juce::FileOutputStream stream (file);
    if (! stream.openedOk())
        return "cannot write " + file.getFullPathName();
    char line[160];
    for (const auto& p : events)
    {
        const auto& e = p.event;
        std::snprintf (line, sizeof line, "%lld\t%d\t%d\t%.6f\t%d\t%d\t%d\n", (long long) p.sample, (int) e.lane,
                       (int) e.note, (double) e.velocity, e.open ? 1 : 0, (int) e.length, p.source);
        stream.writeText (line, false, false, nullptr);
    }
    stream.flush();
    return stream.getStatus().wasOk() ? juce::String() : "cannot write " + file.getFullPathName();
}

} // namespace grum
