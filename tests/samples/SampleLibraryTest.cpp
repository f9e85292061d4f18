// The library's index and decoder, on the embedded table and on small fixture
// tables that show each failure plainly.

#include "ExpectedSamples.h"
#include "samples/SampleLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace
{
// A WAV file in memory: frames of a quiet sine at rate, in channels.
juce::MemoryBlock wavBytes (double rate, int frames, int channels)
{
    juce::MemoryBlock block;
    {
        auto* stream = new juce::MemoryOutputStream (block, false);
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream, rate, (unsigned) channels, 16, {}, 0));
        juce::AudioBuffer<float> buffer (channels, frames);
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < frames; ++i)
                buffer.setSample (c, i, 0.25f * (float) std::sin (0.05 * i * (c + 1)));
        writer->writeFromAudioSampleBuffer (buffer, 0, frames);
    }
    return block;
}

TEST (SampleLibrary, EveryNameOnceWithItsResourceAndFileName)
{
    auto& lib = SampleLibrary::get();
    ASSERT_EQ (grum::resources::kCount, 235);
    std::set<std::string> resourceNames;
    for (int i = 0; i < grum::resources::kCount; ++i)
        EXPECT_TRUE (resourceNames.insert (grum::resources::kAll[i].resourceName).second) << grum::resources::kAll[i].resourceName;

    juce::StringArray indexed;
    for (const char* expected : grum::test::kExpectedSamples)
    {
        const juce::String name (expected), resource = name + "_flac";
        int size = 0;
        EXPECT_NE (grum::resources::getNamedResource (resource.toRawUTF8(), size), nullptr) << expected;
        EXPECT_GT (size, 0) << expected;
        EXPECT_EQ (juce::String (grum::resources::getNamedResourceOriginalFilename (resource.toRawUTF8())), name + ".flac");
        if (! name.startsWith ("Lp"))
        {
            indexed.add (name);
            EXPECT_EQ (lib.resourceNameOf (name), resource);
        }
        else
        {
            EXPECT_EQ (lib.resourceNameOf (name), "") << "loops are never indexed";
        }
    }
    // Natural order: categories alphabetically, then numbers (all two digits,
    // so a plain sort of the names gives the same order).
    std::vector<std::string> sorted;
    for (const auto& n : indexed)
        sorted.push_back (n.toStdString());
    std::sort (sorted.begin(), sorted.end());
    std::vector<std::string> actual;
    for (const auto& n : lib.names())
        actual.push_back (n.toStdString());
    EXPECT_EQ (actual, sorted);
    int size = 1;
    EXPECT_EQ (grum::resources::getNamedResource ("nothing_flac", size), nullptr);
    EXPECT_EQ (size, 0);
}

TEST (SampleLibrary, CategoriesAndNamesIn)
{
    EXPECT_EQ (SampleLibrary::categoryOf ("Lp04_Bass_5step_F_130"), "Lp");
    EXPECT_EQ (SampleLibrary::categoryOf ("K01_909_Punch"), "K");
    EXPECT_EQ (SampleLibrary::categoryOf (""), "");
    auto& lib = SampleLibrary::get();
    EXPECT_TRUE (lib.namesIn ("Lp").isEmpty());
    const struct { const char* category; int count; } counts[] = {
        { "K", 29 }, { "H", 24 }, { "C", 19 }, { "P", 48 }, { "B", 22 }, { "S", 17 },
        { "L", 11 }, { "T", 12 }, { "V", 8 }, { "X", 14 }, { "F", 16 },
    };
    for (const auto& c : counts)
        EXPECT_EQ (lib.namesIn (c.category).size(), c.count) << c.category;
    EXPECT_EQ (lib.namesIn ("K")[8], "K09_Sub_Boom_F");   // 9 before 10
}

TEST (SampleLibrary, LoadsOnceAndKeepsTheSample)
{
    auto& lib = SampleLibrary::get();
    const grum::SampleData* a = lib.load ("K29_Stad_Kick_F");
    ASSERT_NE (a, nullptr);
    EXPECT_EQ (a->root, 5);
    EXPECT_EQ (a->sourceRate, 44100.0);
    EXPECT_EQ (a->left.back(), 0.0f);
    EXPECT_EQ (lib.load ("K29_Stad_Kick_F"), a);
    EXPECT_EQ (lib.load ("Lp01_Perc_Swedish_130"), nullptr);   // embedded, not indexed
    EXPECT_EQ (lib.load ("K99_Nothing"), nullptr);
    EXPECT_EQ (lib.load (""), nullptr);
}

TEST (SampleLibrary, FixtureFilesDecodeCutOrFailCleanly)
{
    const auto longFile = wavBytes (1000.0, 20000, 1);      // 20 s at 1 kHz
    const auto stereo = wavBytes (8000.0, 800, 3);          // three channels
    const auto oneFrame = wavBytes (8000.0, 1, 1);
    const char garbage[] = "this is not audio at all, whatever its name says";
    const auto u8 = [] (const juce::MemoryBlock& b) { return static_cast<const unsigned char*> (b.getData()); };
    SampleLibrary lib ({
        { "X01_Long_flac", "X01_Long.flac", u8 (longFile), (int) longFile.getSize() },
        { "X02_Wide_F_flac", "X02_Wide_F.flac", u8 (stereo), (int) stereo.getSize() },
        { "X03_Tiny_flac", "X03_Tiny.flac", u8 (oneFrame), (int) oneFrame.getSize() },
        { "X04_Junk_flac", "X04_Junk.flac", reinterpret_cast<const unsigned char*> (garbage), (int) sizeof (garbage) },
        { "X05_Empty_flac", "X05_Empty.flac", nullptr, 0 },
        { "X06_Text_txt", "X06_Text.txt", u8 (stereo), (int) stereo.getSize() },
        { "Lp01_Loop_flac", "Lp01_Loop.flac", u8 (stereo), (int) stereo.getSize() },
    });
    EXPECT_EQ (lib.names(), juce::StringArray ({ "X01_Long", "X02_Wide_F", "X03_Tiny", "X04_Junk", "X05_Empty" }));

    const auto* cut = lib.load ("X01_Long");
    ASSERT_NE (cut, nullptr);
    EXPECT_EQ (cut->frames(), 12000 + 1);   // 12 seconds and the appended zero
    EXPECT_FALSE (cut->stereo());
    EXPECT_EQ (cut->root, -1);

    const auto* wide = lib.load ("X02_Wide_F");
    ASSERT_NE (wide, nullptr);
    EXPECT_TRUE (wide->stereo());
    EXPECT_EQ (wide->frames(), 801);
    EXPECT_EQ (wide->right.size(), wide->left.size());
    EXPECT_EQ (wide->root, 5);
    EXPECT_NE (wide->left[10], wide->right[10]);   // the first two channels, not one twice

    for (const char* failing : { "X03_Tiny", "X04_Junk", "X05_Empty", "X06_Text", "Lp01_Loop" })
        EXPECT_EQ (lib.load (failing), nullptr) << failing;
    EXPECT_EQ (lib.decodedCount(), 2);
}

} // namespace
