#include "Parameters.h"

#include "conductor/Types.h"

#include <cmath>

namespace params
{
namespace
{
using juce::String;
using juce::StringArray;

String utf8 (const char* text) { return String::fromUTF8 (text); }

StringArray utf8List (std::initializer_list<const char*> texts)
{
    StringArray list;
    for (auto* t : texts)
        list.add (utf8 (t));
    return list;
}

float percentValue (const String& text) { return text.upToFirstOccurrenceOf ("%", false, false).trim().getFloatValue() / 100.0f; }

auto percentAttributes()
{
    return juce::AudioParameterFloatAttributes()
        .withStringFromValueFunction ([] (float v, int) { return percentText (v); })
        .withValueFromStringFunction (percentValue);
}

std::unique_ptr<juce::RangedAudioParameter> percent (const String& id, const String& name, float lo, float hi, float def)
{
    return std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 1 }, name,
                                                        juce::NormalisableRange<float> (lo, hi), def, percentAttributes());
}

std::unique_ptr<juce::RangedAudioParameter> choice (const String& id, const String& name, const StringArray& choices, int def)
{
    return std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { id, 1 }, name, choices, def);
}

std::unique_ptr<juce::RangedAudioParameter> integer (const String& id, const String& name, int lo, int hi, int def)
{
    return std::make_unique<juce::AudioParameterInt> (juce::ParameterID { id, 1 }, name, lo, hi, def);
}

std::unique_ptr<juce::RangedAudioParameter> boolean (const String& id, const String& name, bool def)
{
    return std::make_unique<juce::AudioParameterBool> (juce::ParameterID { id, 1 }, name, def);
}

// The style choice: AUTO, the sixteen built-in styles in table order, the learned style.
const char* const kStilChoices[] = {
    "AUTO (SEED)",
    "LESS IS MORE", "HYPNOS", "SPASTIK", "MINIMAL NATION", "PURPOSE MAKER", "DUBKANALEN",
    "PERLON SKEV", "FASFÖRSKJUTNING", "SVENSK LOOP", "INDUSTRI", "LOSING CONTROL", "DIMMA",
    "BERGHAIN DUB", "BIRMINGHAM", "SKIVSPELARE", "ACID MINIMAL",
    "LÄRD (MIDI)",
};

// AUTO follows the style; then the 44 kits in kit-table order.
const char* const kKitChoices[] = {
    "AUTO (följer stilen)",
    "Smedjan", "Järnverket", "Klockgjuteriet", "Valsverk Euklid", "Rost och Gnistor",
    "Kall Härdning", "Dorvan Grund", "Peak Time Ren", "Berlin Djup", "Hardgroove 909",
    "Tech House Ren", "Tribal Ren", "Detroit 909", "Minimal Ren", "Dub Ren",
    "Afro Ren", "Acid Ren", "Industri Ren", "Industriell 909", "Detroit Morgon",
    "Plastik Minimal", "Svensk Loop", "Dub Kanal", "Acid Lager", "Rave 93",
    "Tribal Mörker", "Dorvanbunker", "Röstmaskin", "Glitch Labb", "Maskinrummet",
    "Rullande Tunnel", "Hypnos Minimal", "Varvet", "Stålverk", "Bunker 140",
    "Ångvalsen", "Dimhamn", "Djuphavet", "Ångvälten", "Hardgroove 97",
    "Rostfabriken", "Valsverk 140", "Lagerlokal", "Stålpressen",
};
static_assert (std::size (kStilChoices) == 18);
static_assert (std::size (kKitChoices) == 45);

StringArray fromTable (const char* const* texts, size_t count)
{
    StringArray list;
    for (size_t i = 0; i < count; ++i)
        list.add (utf8 (texts[i]));
    return list;
}

//                         mal  spar steg slag rot takt djup   decay
struct LaneDefaults { int mal, spar, steg, slag, rot, takt; float djup, decay; };
constexpr LaneDefaults kLaneDefaults[kNumBanor] = {
    { 3, 5,  8, 3, 2, 1, 0.8f, 0.35f },
    { 1, 1, 16, 5, 0, 1, 0.6f, 0.25f },
    { 6, 3, 13, 2, 0, 1, 0.5f, 0.2f  },
    { 7, 4,  7, 3, 0, 2, 0.4f, 0.5f  },
    { 0, 2, 16, 4, 0, 1, 0.7f, 0.3f  },
    { 0, 5, 12, 5, 0, 4, 0.7f, 0.3f  },
    { 0, 3,  9, 4, 1, 1, 0.7f, 0.3f  },
    { 0, 6, 16, 3, 0, 7, 0.7f, 0.3f  },
};

constexpr float kEkoDefaults[kNumTracks] = { 0.0f, 0.0f, 0.08f, 0.08f, 0.0f, 0.15f };
} // namespace

const char* const kGlobalIds[kNumGlobal] = {
    "seed", "stil", "kaos", "fras", "langd", "energiAuto", "energi", "svang", "pump", "rot",
    "volym", "tempo", "spela", "midiUt", "kanaler", "evighet", "stilVandring", "tonVandring",
    "kit", "kross", "skev", "ekoTid", "ekoFb", "ekoTon", "ekoNiv",
};

const char* const kLaneSuffixes[kNumLaneParams] = { "mal", "spar", "steg", "slag", "rot", "takt", "djup", "decay" };

juce::String laneParamId (int lane, int which) { return "b" + String (lane + 1) + kLaneSuffixes[which]; }
juce::String trackParamId (const char* prefix, int track) { return String (prefix) + String (track); }

juce::String percentText (float value) { return String ((int) std::lround (value * 100.0f)) + "%"; }
juce::String tempoText (float value) { return String (value, 1) + " BPM"; }

juce::AudioProcessorValueTreeState::ParameterLayout createLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    auto id = [] (Global g) { return String (kGlobalIds[g]); };

    layout.add (integer (id (seed), "SEED", 1, 9999, 126),
                choice (id (stil), "STIL", fromTable (kStilChoices, std::size (kStilChoices)), 0),
                percent (id (kaos), "KAOS", 0.0f, 1.0f, 0.35f),
                choice (id (fras), "FRAS", { "4", "8", "16", "32" }, 1),
                choice (id (langd), utf8 ("LÄNGD"), { "64", "128", "192", "256", "512" }, 1),
                boolean (id (energiAuto), "ENERGI AUTO", true),
                percent (id (energi), "ENERGI", 0.0f, 1.0f, 0.6f),
                percent (id (svang), utf8 ("SVÄNG"), 0.0f, 1.0f, 0.15f),
                percent (id (pump), "PUMP", 0.0f, 1.0f, 0.55f),
                choice (id (rot), "ROT", { "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" }, 7),
                percent (id (volym), "VOLYM", 0.0f, 1.0f, 0.75f));

    layout.add (std::make_unique<juce::AudioParameterFloat> (
        juce::ParameterID { id (tempo), 1 }, "TEMPO", juce::NormalisableRange<float> (80.0f, 160.0f, 0.1f), 126.0f,
        juce::AudioParameterFloatAttributes()
            .withStringFromValueFunction ([] (float v, int) { return tempoText (v); })
            .withValueFromStringFunction ([] (const String& t) { return t.upToFirstOccurrenceOf ("BPM", false, true).trim().getFloatValue(); })));

    layout.add (boolean (id (spela), "SPELA", false),
                boolean (id (midiUt), "MIDI UT", true),
                choice (id (kanaler), "MIDI-KANALER", utf8List ({ "GM (trummor 10)", "ETT PER SPÅR" }), 1),
                boolean (id (evighet), "EVIGHET", true),
                boolean (id (stilVandring), "STILVANDRING", true),
                boolean (id (tonVandring), "TONVANDRING", true),
                choice (id (kit), "KIT", fromTable (kKitChoices, std::size (kKitChoices)), 0),
                percent (id (kross), "KROSS", 0.0f, 1.0f, 0.0f),
                percent (id (skev), "SKEV", 0.0f, 1.0f, 0.0f),
                choice (id (ekoTid), "EKO TID", { "1/16", "1/8", "1/8T", "1/8.", "1/4", "1/4.", "5/16" }, 3),
                percent (id (ekoFb), utf8 ("EKO ÅTERKOPPLING"), 0.0f, 1.0f, 0.55f),
                percent (id (ekoTon), "EKO TON", 0.0f, 1.0f, 0.45f),
                percent (id (ekoNiv), utf8 ("EKO NIVÅ"), 0.0f, 1.0f, 0.7f));

    const auto targets = utf8List ({ "Av", "Filter", "Ton", "Eko-kast", "Kross", "Hacka", "Stutter",
                                     "M1", "M2", "M3", "M4", "Rotera nästa" });
    const StringArray tracks { "KICK", "HAT", "CLICK", "PERC", "BAS", "STAB", "ALLA" };
    const StringArray rates { "1/32", "1/16", "1/8", "1/4", "1/16T", "1/8T", "3/16", "5/16", "5-del" };

    for (int n = 0; n < kNumBanor; ++n)
    {
        const auto& d = kLaneDefaults[n];
        const auto name = "BANA " + String (n + 1);
        layout.add (choice (laneParamId (n, mal), name + utf8 (" MÅL"), targets, d.mal),
                    choice (laneParamId (n, spar), name + utf8 (" SPÅR"), tracks, d.spar),
                    integer (laneParamId (n, steg), name + " STEG", 1, 32, d.steg),
                    integer (laneParamId (n, slag), name + " SLAG", 0, 32, d.slag),
                    integer (laneParamId (n, laneRot), name + " ROTERA", 0, 31, d.rot),
                    choice (laneParamId (n, takt), name + " TAKT", rates, d.takt),
                    percent (laneParamId (n, djup), name + " DJUP", -1.0f, 1.0f, d.djup),
                    percent (laneParamId (n, decay), name + " DECAY", 0.0f, 1.0f, d.decay));
    }

    for (int t = 0; t < kNumTracks; ++t)
        layout.add (percent (trackParamId ("eko", t), String (grum::laneName (t)) + " EKO", 0.0f, 1.0f, kEkoDefaults[t]));
    for (int t = 0; t < kNumTracks; ++t)
        layout.add (percent (trackParamId ("lvl", t), String (grum::laneName (t)) + " NIV", 0.0f, 1.5f, 1.0f));
    for (int t = 0; t < kNumTracks; ++t)
        layout.add (boolean (trackParamId ("las", t), String (grum::laneName (t)) + utf8 (" LÅS"), false));

    return layout;
}

void Pointers::lookUp (juce::AudioProcessorValueTreeState& tree)
{
    auto find = [&tree] (const String& paramId)
    {
        auto* p = tree.getRawParameterValue (paramId);
        jassert (p != nullptr);
        if (p == nullptr)
            throw std::logic_error ("no parameter " + paramId.toStdString());
        return p;
    };

    for (int g = 0; g < kNumGlobal; ++g)
        global[(size_t) g] = find (kGlobalIds[g]);
    for (int n = 0; n < kNumBanor; ++n)
        for (int k = 0; k < kNumLaneParams; ++k)
            lane[(size_t) n][(size_t) k] = find (laneParamId (n, k));
    for (int t = 0; t < kNumTracks; ++t)
    {
        lvl[(size_t) t] = find (trackParamId ("lvl", t));
        las[(size_t) t] = find (trackParamId ("las", t));
        eko[(size_t) t] = find (trackParamId ("eko", t));
    }
}

} // namespace params
