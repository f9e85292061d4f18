#pragma once

// A host without a DAW: drives GrumProcessor through prepareToPlay and
// processBlock block by block with a simulated play head (playing, tempo,
// beat position), as a DAW does, and collects what comes out — audio, the
// live MIDI output and every chunk's events after the lanes. The `grum
// render` command, the processor tests and the benchmarks all run on it.
//
// Message thread (or any single thread): it is the host, so it owns the
// audio thread's calls too.

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include "PluginProcessor.h"
#include "lanes/ChunkObserver.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace grum
{

// The transport a DAW would report: position in beats counted from an anchor
// in samples, so a long render never drifts; seeking or a new tempo moves the
// anchor.
class SimulatedPlayHead final : public juce::AudioPlayHead
{
public:
    explicit SimulatedPlayHead (double sampleRate) : rate (sampleRate) {}

    juce::Optional<PositionInfo> getPosition() const override;

    void seek (double beat) noexcept;           // jump to a beat position
    void setTempo (double bpm) noexcept;        // from the current position on
    void setPlaying (bool on) noexcept { playing = on; }
    void advance (int samples) noexcept;        // after a block

    double beat() const noexcept { return anchorBeat + (double) sinceAnchor / rate * tempo / 60.0; }
    double bpm() const noexcept { return tempo; }
    bool isPlaying() const noexcept { return playing; }

private:
    double rate;
    double tempo = 126.0;
    double anchorBeat = 0.0;
    std::int64_t sinceAnchor = 0;
    std::int64_t timeInSamples = 0;
    bool playing = true;
};

struct PlayedEvent
{
    std::int64_t sample = 0;        // from the start of the render
    Event event {};
    int source = 0;                 // 0 scheduled, 1 stutter retrigger
};

struct PlayedMidi
{
    std::int64_t sample = 0;        // from the start of the render
    std::uint8_t bytes[3] {};
};

class OfflineHost final : private ChunkObserver
{
public:
    OfflineHost (double sampleRate, int blockSize);
    ~OfflineHost() override;

    GrumProcessor& processor() noexcept { return *proc; }
    SimulatedPlayHead& playHead() noexcept { return head; }
    double sampleRate() const noexcept { return rate; }
    int blockSize() const noexcept { return block; }

    // Sets a parameter by ID to a plain value (a choice's index, 0/1 for a
    // switch). Returns "" or the reason it could not.
    juce::String set (const juce::String& id, float plainValue);

    // What to collect. Collecting events happens inside processBlock, so a
    // real-time measurement turns it off.
    bool collectAudio = true;
    bool collectEvents = true;
    bool collectMidi = true;

    // Plays one host block of n samples (1 ... the block size given) at the
    // play head's position and moves the play head on.
    void renderBlock (int n);

    // Plays `samples` in blocks of the block size. Between blocks, every 100
    // ms of audio, it does what the processor's timer does on a host's
    // message thread: applies the kit that should be in force.
    void render (std::int64_t samples);

    // Stops the transport and plays one more block, whose note-offs end
    // everything still held at the render's end; its audio is not kept.
    void finish();

    // Samples the processor has been asked for (blocks after finish() excluded).
    std::int64_t position() const noexcept { return played; }

    // CPU time spent inside processBlock, in seconds.
    double processSeconds() const noexcept { return cpuSeconds; }

    juce::AudioBuffer<float> audio;         // 2 channels, position() samples
    std::vector<PlayedEvent> events;
    std::vector<PlayedMidi> midi;

    // Writes what was collected. Each returns "" or the reason it failed.
    juce::String writeWav (const juce::File& file, int bitsPerSample = 24) const;
    juce::String writeMidiFile (const juce::File& file) const;     // 960 ticks per quarter, with the tempo
    juce::String writeEvents (const juce::File& file) const;       // one tab-separated line per event

private:
    void chunkEvents (int offset, int n, const Event* e, const std::uint8_t* sources, int count) noexcept override;

    double rate;
    int block;
    std::unique_ptr<GrumProcessor> proc;
    SimulatedPlayHead head;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midiBuffer;
    std::int64_t played = 0;
    std::int64_t blockStart = 0;
    double cpuSeconds = 0.0;
    double renderTempo = 126.0;         // the tempo the MIDI file carries
    std::int64_t nextKitCheck = 0;
};

} // namespace grum
