// The whole embedded library judged as a listener would: lengths, loops in
// whole bars, no clipping or offset, clean endings, keyed names in their key,
// each category where its spectrum belongs, and every kit balanced.

#include "Analysis.h"
#include "conductor/Types.h"
#include "samples/Kits.h"
#include "samples/SampleEngine.h"
#include "samples/SampleLibrary.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using grum::test::dbOf;

struct Decoded
{
    juce::String name;
    double rate = 0;
    juce::int64 fileFrames = 0;          // as stored, before any cut
    std::vector<float> l, r;             // real frames only
};

const std::vector<Decoded>& library()
{
    static const std::vector<Decoded> all = [] {
        std::vector<Decoded> out;
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        for (int i = 0; i < grum::resources::kCount; ++i)
        {
            const auto& res = grum::resources::kAll[i];
            Decoded d;
            d.name = juce::String (res.fileName).upToLastOccurrenceOf (".", false, false);
            std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (std::make_unique<juce::MemoryInputStream> (res.data, (size_t) res.size, false)));
            if (reader == nullptr)
            {
                ADD_FAILURE() << res.fileName << " does not decode";
                continue;
            }
            d.rate = reader->sampleRate;
            d.fileFrames = reader->lengthInSamples;
            juce::AudioBuffer<float> b ((int) reader->numChannels, (int) reader->lengthInSamples);
            reader->read (&b, 0, b.getNumSamples(), 0, true, true);
            d.l.assign (b.getReadPointer (0), b.getReadPointer (0) + b.getNumSamples());
            if (b.getNumChannels() > 1)
                d.r.assign (b.getReadPointer (1), b.getReadPointer (1) + b.getNumSamples());
            out.push_back (std::move (d));
        }
        return out;
    }();
    return all;
}

const Decoded* find (const char* name)
{
    for (const auto& d : library())
        if (d.name == name)
            return &d;
    return nullptr;
}

std::vector<float> mono (const Decoded& d)
{
    std::vector<float> m = d.l;
    if (! d.r.empty())
        for (size_t i = 0; i < m.size(); ++i)
            m[i] = 0.5f * (m[i] + d.r[i]);
    return m;
}

TEST (LibraryContent, SizeLengthsLevelsAndEndings)
{
    ASSERT_EQ (library().size(), 235u);
    long total = 0;
    for (int i = 0; i < grum::resources::kCount; ++i)
        total += grum::resources::kAll[i].size;
    EXPECT_LE (total, 32L * 1024 * 1024);

    for (const auto& d : library())
    {
        SCOPED_TRACE (d.name.toStdString());
        EXPECT_EQ (d.rate, 44100.0);
        EXPECT_LE (d.fileFrames, (juce::int64) (12.0 * d.rate));
        EXPECT_GT (d.fileFrames, (juce::int64) (0.05 * d.rate));

        double peak = 0.0;
        for (const auto* ch : { &d.l, &d.r })
        {
            if (ch->empty())
                continue;
            double sum = 0.0;
            for (float v : *ch)
            {
                peak = std::max (peak, (double) std::fabs (v));
                sum += v;
            }
            EXPECT_LT (std::fabs (sum / (double) ch->size()), 0.001) << "DC offset";
        }
        EXPECT_LT (peak, 0.99) << "clipping";
        EXPECT_GT (peak, 0.05) << "far too quiet";

        if (d.name.startsWith ("Lp"))
        {
            // Whole bars at the tempo the name ends in.
            const double bpm = d.name.fromLastOccurrenceOf ("_", false, false).getDoubleValue();
            const double barFrames = 240.0 / bpm * d.rate;
            const double bars = std::round ((double) d.fileFrames / barFrames);
            EXPECT_GE (bars, 1.0);
            EXPECT_LE (std::fabs ((double) d.fileFrames - bars * barFrames), 0.5) << bars << " bars at " << bpm;
        }
        else
        {
            // Ends in silence, with no click on the last sample.
            const int tail = (int) (0.01 * d.rate);
            double tailPeak = 0.0;
            for (const auto* ch : { &d.l, &d.r })
                for (int i = (int) ch->size() - tail; i >= 0 && i < (int) ch->size(); ++i)
                    tailPeak = std::max (tailPeak, (double) std::fabs ((*ch)[(size_t) i]));
            EXPECT_LT (tailPeak, 0.001) << "does not end in silence";
            EXPECT_LT (std::fabs (d.l.back()), 1.0e-4f) << "clicks at the end";
        }
    }
}

TEST (LibraryContent, KeyedNamesSoundTheirKey)
{
    int checked = 0;
    for (const auto& d : library())
    {
        const int root = grum::rootPitchClassOf (d.name.toStdString());
        if (root < 0 || d.name.startsWith ("L05") || d.name.startsWith ("L02"))
            continue;   // the two sequences are checked over their whole length below
        SCOPED_TRACE (d.name.toStdString());
        const auto m = mono (d);
        // Past the attack, so the hit's own noise does not count as a note. A
        // loop is heard whole; its short notes smear their partials, so there
        // only the strongest 20 dB count.
        const bool loop = d.name.startsWith ("Lp");
        const int from = loop ? 0 : (int) (0.1 * d.rate);
        const int length = loop ? (int) m.size() : std::min ((int) (1.0 * d.rate), (int) m.size() - from);
        const auto spectrum = grum::test::magnitudeSpectrum (m, from, length, 1 << 16);
        const double binHz = d.rate / (double) (2 * spectrum.size());
        const double hz = grum::test::lowestPeakHz (spectrum, binHz, 38.0, loop ? 20.0 : 30.0);
        double cents = 0.0;
        EXPECT_EQ (grum::test::pitchClassOf (hz, &cents), root) << d.name << ": " << hz << " Hz";
        EXPECT_LT (std::fabs (cents), 35.0) << hz << " Hz";
        ++checked;
    }
    for (const char* seq : { "L02_Saw_Seq_F_130", "L05_Arp_Fm_130" })
    {
        const auto m = mono (*find (seq));
        const auto spectrum = grum::test::magnitudeSpectrum (m, 0, (int) m.size(), 1 << 17);
        const double hz = grum::test::lowestPeakHz (spectrum, 44100.0 / (double) (2 * spectrum.size()), 38.0, 30.0);
        EXPECT_EQ (grum::test::pitchClassOf (hz), 5) << seq << ": " << hz << " Hz";
    }
    EXPECT_GE (checked, 60);
}

TEST (LibraryContent, CategoriesSitWhereTheirSpectrumBelongs)
{
    for (const auto& d : library())
    {
        const juce::String category = SampleLibrary::categoryOf (d.name);
        const auto m = mono (d);
        const auto spectrum = grum::test::magnitudeSpectrum (m, 0, std::min ((int) m.size(), 1 << 17), 1 << 12);
        const double centroid = grum::test::centroidHz (spectrum, d.rate / (double) (2 * spectrum.size()));
        SCOPED_TRACE (d.name.toStdString() + " centroid " + std::to_string ((int) centroid) + " Hz");
        if (category == "K") { EXPECT_LT (centroid, 300.0); }
        else if (category == "H") { EXPECT_GT (centroid, 4000.0); }
        else if (category == "B") { EXPECT_LT (centroid, 1000.0); }
        else if (category == "C") { EXPECT_GT (centroid, 500.0); }
    }
}

TEST (LibraryContent, EveryKitIsBalancedWithTheKickLoudest)
{
    for (const auto& kit : grum::kKits)
    {
        SCOPED_TRACE (kit.name);
        double levels[6];
        for (int t = 0; t < 6; ++t)
        {
            const Decoded* d = find (grum::kitSample (kit, t));
            ASSERT_NE (d, nullptr);
            levels[t] = grum::test::loudestWindowDb (d->l, d->r, d->rate);
        }
        for (int t = 1; t < 6; ++t)
        {
            EXPECT_LT (levels[t], levels[0]) << grum::kitSample (kit, t) << " louder than the kick";
            EXPECT_GT (levels[t], levels[0] - 24.0) << grum::kitSample (kit, t) << " buried";
        }
    }
}

// Every kit played through six sample engines for eight bars at 130 BPM.
TEST (LibraryContent, EveryKitPlaysEightBarsCleanly)
{
    auto& lib = SampleLibrary::get();
    constexpr double rate = 44100.0;
    const int step = (int) (rate * 60.0 / 130.0 / 4.0), bars = 8, total = step * 16 * bars;
    const int notes[6] = { 36, 42, 37, 75, 41, 53 };
    const char* patterns[6] = { "X...X...X...X...", "..x...x...x...xo", "....x.......x...", "x..x..x...x..x..", "..x...x...x...x.", "x.........x....." };
    for (int k = 0; k < grum::kNumKits; ++k)
    {
        SCOPED_TRACE (grum::kKits[k].name);
        for (int t = 0; t < 6; ++t)
        {
            grum::SampleEngine e (t);
            e.prepare (rate, 512);
            e.setTempo (130.0);
            const auto plan = grum::planTrackSound (k, t, "", lib.loader());
            ASSERT_EQ (plan.selector, grum::kSelectSample) << grum::laneName (t);
            e.setSamples (plan.main, plan.alternative);
            std::vector<float> l ((size_t) total), r ((size_t) total);
            for (int s = 0; s < 16 * bars; ++s)
            {
                const char c = patterns[t][s % 16];
                if (c != '.')
                    e.trigger (c == 'o' ? 46 : notes[t], 0.9f, c == 'o', step);
                e.render (l.data() + s * step, r.data() + s * step, step);
            }
            double peak = 0.0, sum = 0.0;
            for (int i = 0; i < total; ++i)
            {
                ASSERT_TRUE (std::isfinite (l[(size_t) i]) && std::isfinite (r[(size_t) i]));
                peak = std::max ({ peak, (double) std::fabs (l[(size_t) i]), (double) std::fabs (r[(size_t) i]) });
                sum += (double) l[(size_t) i] * l[(size_t) i];
            }
            EXPECT_LE (peak, 0.9) << grum::laneName (t);
            EXPECT_GT (dbOf (std::sqrt (sum / total)), -45.0) << grum::laneName (t) << " inaudible";
        }
    }
}

} // namespace
