#pragma once

// The 44 kits, which kits each style picks, and the track sources: how a
// track's source string becomes engine settings, its display name, and the
// shuffle to another sound of the same kind. Framework-free; the processor
// calls these on the message thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace grum
{

struct SampleData;

struct Kit
{
    const char* name;
    const char* group;
    const char* kick;
    const char* hatClosed;
    const char* hatOpen;     // the HAT sample engine's alternative
    const char* click;
    const char* perc;
    const char* percAlt;     // played on flagged PERC steps
    const char* bas;
    const char* stab;
};

constexpr int kNumKits = 44;
extern const Kit kKits[kNumKits];

// The sample a kit gives track 0..5 (HAT: the closed hat); "" outside 0..5.
const char* kitSample (const Kit& kit, int track) noexcept;

// For each of the sixteen styles, the kits it chooses among.
struct StyleKits
{
    const char* kits[5];
    int count;
};
constexpr int kNumStyleKitRows = 16;
extern const StyleKits kStyleKits[kNumStyleKitRows];

// Index of the kit with exactly this name, or -1.
int kitIndexOf (const std::string& name) noexcept;

// What decides the kit in force: the parameters (their raw values) and what
// the audio thread last published.
struct KitChoice
{
    float kitParam = 0.0f;      // 0 AUTO, 1..44 a kit
    float seedParam = 126.0f;
    float styleParam = 0.0f;    // 0 AUTO, 1..16 a style, 17 the learned style
    bool playing = false;       // published: the transport runs
    std::int64_t songId = -1;   // published: seed * 64 + style setting of the song playing
    int barStyle = 0;           // published: the style of the bar playing
    bool learned = false;       // a style has been learned from MIDI
};

// The kit index 0..43 that should be in force, or -1 when a named kit does
// not exist.
int wantedKit (const KitChoice& choice) noexcept;

//==============================================================================
// Track sources. "" follows the kit, "synt" is the classic synthesiser,
// "grum:R:V" the GRUM synth with recipe R and variant V, anything else names
// a library sample.
enum SourceSelector : int { kSelectSynth = 0, kSelectSample = 1, kSelectGrum = 2 };

struct TrackSoundPlan
{
    int selector = kSelectSynth;
    bool setSamples = false;            // false: leave the sample engine as it is
    const SampleData* main = nullptr;
    const SampleData* alternative = nullptr;
    bool setRecipe = false;             // true: recipe and variant go to the GRUM synth, with a rebuild
    int recipe = 0;
    int variant = 0;
    std::string shown;                  // the sound applied, "" for the classic synthesiser
};

using SampleLoader = std::function<const SampleData* (const std::string& sampleName)>;

// How track 0..5 sounds under kit 0..43 with this source. load returns null
// for a name that is not in the library (or cannot be decoded); a missing
// sample falls back to the kit's, then to the classic synthesiser.
TrackSoundPlan planTrackSound (int kit, int track, const std::string& source, const SampleLoader& load);

// The recipe and variant fields of a "grum:" string; missing or non-numeric
// fields read as 0.
void parseGrumSource (const std::string& source, int& recipe, int& variant);

// The display name of a track's shown name: "SYNT", "GRUM <recipe> <variant
// mod 100>", or the sample name after its category code with spaces.
std::string laneSoundName (const std::string& shown);

// The sample names a shuffle of the track may land on, in index order, without
// the one it plays now. namesIn lists the library's names of a category.
std::vector<std::string> shufflePool (int track, const std::string& shown,
                                      const std::function<std::vector<std::string> (const std::string&)>& namesIn);

// The source a shuffle gives: a "grum:" source keeps its recipe 70 % of the
// time with a new variant 1..999; otherwise a uniform draw from the pool. unit
// draws uniformly from [0, 1). Returns the source unchanged if the pool is empty.
std::string shuffledSource (int track, const std::string& source, const std::string& shown,
                            const std::function<std::vector<std::string> (const std::string&)>& namesIn,
                            const std::function<double()>& unit);

} // namespace grum
