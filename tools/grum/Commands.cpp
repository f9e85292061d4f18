#include "Commands.h"

#include "PluginProcessor.h"
#include "lanes/OfflineHost.h"
#include "samples/SampleLibrary.h"
#include "sound/Loudness.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace cli
{

int params (int argc, const char* const*, std::ostream& out, std::ostream& err)
{
    if (argc != 0)
    {
        err << "grum params: takes no arguments\n";
        return 2;
    }

    GrumProcessor processor;
    int number = 1;
    for (auto* p : processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        const auto id = ranged != nullptr ? ranged->getParameterID() : juce::String();
        out << number++ << '\t' << id << '\t' << p->getName (1024) << '\t'
            << p->getText (p->getDefaultValue(), 1024) << '\n';
    }
    return 0;
}

namespace
{
const char* const kRenderHelp =
    "usage: grum render [options]\n"
    "  --seed N            song seed (1-9999)\n"
    "  --set ID=VALUE      any parameter by ID, plain value: a choice by its index,\n"
    "                      a switch 0 or 1 (repeatable)\n"
    "  --source T=SOURCE   track T's sound (T 0-5 or KICK HAT CLICK PERC BAS STAB):\n"
    "                      a sample name, synt, grum:R:V, or empty for the kit's\n"
    "                      sample (repeatable)\n"
    "  --bars N            how long to play, in bars (16)\n"
    "  --start-bar B       the play head starts at bar B (0)\n"
    "  --sample-rate R     (48000)\n"
    "  --block N           host block size in samples (512)\n"
    "  --tempo BPM         the host's tempo (126)\n"
    "  --out FILE.wav      stereo 24-bit WAV\n"
    "  --midi-out FILE.mid the live MIDI output, 960 ticks per quarter\n"
    "  --events FILE.tsv   every event: sample, lane, note, velocity, open, length, source\n";

// A whole number from a flag's value, within lo..hi.
bool parseInt (const char* text, long long lo, long long hi, long long& value)
{
    char* end = nullptr;
    const long long v = std::strtoll (text, &end, 10);
    if (end == text || *end != '\0' || v < lo || v > hi)
        return false;
    value = v;
    return true;
}

// A track by number 0-5 or by name (any case); -1 when it is neither.
int parseTrack (const std::string& text)
{
    long long t = 0;
    if (parseInt (text.c_str(), 0, grum::kNumLanes - 1, t))
        return (int) t;
    for (int lane = 0; lane < grum::kNumLanes; ++lane)
        if (juce::String (text).equalsIgnoreCase (grum::laneName (lane)))
            return lane;
    return -1;
}

bool parseNumber (const char* text, double lo, double hi, double& value)
{
    char* end = nullptr;
    const double v = std::strtod (text, &end);
    if (end == text || *end != '\0' || ! std::isfinite (v) || v < lo || v > hi)
        return false;
    value = v;
    return true;
}
} // namespace

int render (int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    auto fail = [&err] (const std::string& message) {
        err << "grum render: " << message << "\n";
        return 2;
    };

    long long seed = -1, bars = 16, startBar = 0, block = 512;
    double sampleRate = 48000.0, tempo = 126.0;
    std::vector<std::pair<std::string, double>> sets;
    std::vector<std::pair<int, std::string>> sources;
    std::string wavPath, midiPath, eventsPath;

    for (int a = 0; a < argc; ++a)
    {
        const std::string flag = argv[a];
        if (flag == "--help" || flag == "-h")
        {
            out << kRenderHelp;
            return 0;
        }
        if (a + 1 >= argc)
            return fail (flag.rfind ("--", 0) == 0 ? flag + " needs a value" : "unknown argument \"" + flag + "\"");
        const char* value = argv[++a];
        bool ok = true;
        if (flag == "--seed")
            ok = parseInt (value, 1, 9999, seed);
        else if (flag == "--bars")
            ok = parseInt (value, 1, 100000, bars);
        else if (flag == "--start-bar")
            ok = parseInt (value, 0, 1000000, startBar);
        else if (flag == "--block")
            ok = parseInt (value, 1, 65536, block);
        else if (flag == "--sample-rate")
            ok = parseNumber (value, 8000.0, 384000.0, sampleRate);
        else if (flag == "--tempo")
            ok = parseNumber (value, 20.0, 400.0, tempo);
        else if (flag == "--out")
            wavPath = value;
        else if (flag == "--midi-out")
            midiPath = value;
        else if (flag == "--events")
            eventsPath = value;
        else if (flag == "--set")
        {
            const std::string pair = value;
            const auto eq = pair.find ('=');
            double v = 0.0;
            if (eq == std::string::npos || eq == 0 || ! parseNumber (pair.c_str() + eq + 1, -1.0e9, 1.0e9, v))
                return fail ("--set takes ID=VALUE, not \"" + pair + "\"");
            sets.emplace_back (pair.substr (0, eq), v);
        }
        else if (flag == "--source")
        {
            const std::string pair = value;
            const auto eq = pair.find ('=');
            const int track = eq == std::string::npos ? -1 : parseTrack (pair.substr (0, eq));
            if (track < 0)
                return fail ("--source takes T=SOURCE with T 0-5 or a track name, not \"" + pair + "\"");
            sources.emplace_back (track, pair.substr (eq + 1));
        }
        else
            return fail ("unknown argument \"" + flag + "\"");
        if (! ok)
            return fail ("bad value for " + flag + ": \"" + std::string (value) + "\"");
    }

    grum::OfflineHost host (sampleRate, (int) block);
    if (seed > 0)
        sets.insert (sets.begin(), { "seed", (double) seed });
    for (const auto& [id, v] : sets)
        if (const auto problem = host.set (id, (float) v); problem.isNotEmpty())
            return fail (problem.toStdString());
    // After the parameters, so that an empty source follows the kit chosen.
    for (const auto& [track, source] : sources)
    {
        const auto text = juce::String::fromUTF8 (source.c_str());
        host.processor().setLaneSource (track, text);
        const bool namesSample = text.isNotEmpty() && text != "synt" && ! text.startsWith ("grum:");
        if (namesSample && SampleLibrary::get().resourceNameOf (text).isEmpty())
            err << "grum render: no sample \"" << source << "\" in the library; " << grum::laneName (track)
                << " plays " << host.processor().laneSoundName (track) << "\n";
    }

    host.collectEvents = ! eventsPath.empty();
    host.collectMidi = ! midiPath.empty();
    host.collectAudio = true;       // the summary reports its peak

    host.playHead().setTempo (tempo);
    host.playHead().seek ((double) startBar * 4.0);
    host.playHead().setPlaying (true);
    const auto samples = (std::int64_t) std::ceil ((double) bars * 4.0 * 60.0 / tempo * sampleRate - 1.0e-6);
    host.render (samples);
    host.finish();

    if (! wavPath.empty())
        if (const auto problem = host.writeWav (juce::File::getCurrentWorkingDirectory().getChildFile (wavPath)); problem.isNotEmpty())
            return fail (problem.toStdString());
    if (! midiPath.empty())
        if (const auto problem = host.writeMidiFile (juce::File::getCurrentWorkingDirectory().getChildFile (midiPath)); problem.isNotEmpty())
            return fail (problem.toStdString());
    if (! eventsPath.empty())
        if (const auto problem = host.writeEvents (juce::File::getCurrentWorkingDirectory().getChildFile (eventsPath)); problem.isNotEmpty())
            return fail (problem.toStdString());

    const double seconds = (double) host.position() / sampleRate;
    const double cpu = host.processSeconds();
    // The meter reads the rendered audio the way a mastering engineer's would:
    // integrated loudness (gated, K-weighted) and the sample peak.
    grum::LoudnessMeter meter (sampleRate, 2);
    meter.process (host.audio.getReadPointer (0), host.audio.getReadPointer (1), (int) host.position());
    const auto decibels = [] (double db, const char* unit, const char* none) {
        std::ostringstream text;
        if (std::isfinite (db))
            text << std::fixed << std::setprecision (1) << db << ' ' << unit;
        else
            text << none;
        return text.str();
    };
    out << std::fixed << std::setprecision (3) << "audio " << seconds << " s (" << host.position() << " samples at "
        << std::setprecision (0) << sampleRate << " Hz, bars " << startBar << "-" << startBar + bars - 1 << " at "
        << std::setprecision (1) << tempo << " BPM)\n"
        << std::setprecision (3) << "cpu " << cpu << " s in processBlock, "
        << std::setprecision (1) << (cpu > 0.0 ? seconds / cpu : 0.0) << "x real time\n"
        << "peak " << decibels (meter.samplePeakDb(), "dBFS", "silent") << "\n"
        << "loudness " << decibels (meter.integratedLufs(), "LUFS", "none (nothing above the -70 LUFS gate)") << "\n";
    if (! eventsPath.empty())
        out << "events " << host.events.size() << "\n";
    if (! midiPath.empty())
        out << "midi messages " << host.midi.size() << "\n";
    return 0;
}

} // namespace cli
