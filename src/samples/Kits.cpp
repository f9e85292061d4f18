#include "samples/Kits.h"

#include "conductor/Types.h"
#include "sound/AcidEngine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace grum
{

// In kit-parameter order (1..44).
// name                  group     KICK, HAT closed, HAT open, CLICK, PERC, PERC alternative, BAS, STAB
const Kit kKits[kNumKits] = {
    { "Smedjan"           , "Smedja", "K29_Stad_Kick_F", "H23_Smideshat", "H24_Smide_Open", "P48_Hammarknack", "F01_Stad_F", "F02_Stad_Ab", "B21_Techno_Bas_F", "F12_Gjutklocka_F" },
    { "Järnverket"        , "Smedja", "K25_Hardgroove_Tight", "H23_Smideshat", "H24_Smide_Open", "C19_Rim_909", "F05_Hammare_Stal", "F15_Skrot", "B13_Growl_Bass_F", "S12_Industrial_Stab_Fm" },
    { "Klockgjuteriet"    , "Smedja", "K24_Berlin_Deep_F", "H18_Closed_Tight", "H24_Smide_Open", "P47_Clave_Clean", "F12_Gjutklocka_F", "F03_Stad_C", "B20_Sub_Sine_F", "S08_Minor_Ring_Fm" },
    { "Valsverk Euklid"   , "Smedja", "K22_Grund_Techno_F", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "F01_Stad_F", "F14_Rorslag_Kort", "B21_Techno_Bas_F", "F02_Stad_Ab" },
    { "Rost och Gnistor"  , "Smedja", "K27_909_Classic", "H23_Smideshat", "H24_Smide_Open", "P48_Hammarknack", "F16_Gnista", "F08_Kedja", "B22_Offbeat_Ren_F", "S06_Crushed_Noise_Chord" },
    { "Kall Härdning"     , "Smedja", "K26_Rund_Minimal", "H18_Closed_Tight", "H21_Hat_Pedal", "P48_Hammarknack", "F03_Stad_C", "F02_Stad_Ab", "B18_Tech_Pluck_F", "F12_Gjutklocka_F" },
    { "Dorvan Grund"      , "Rena grundkit", "K22_Grund_Techno_F", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "P41_Woodblock_Tribal", "P47_Clave_Clean", "B21_Techno_Bas_F", "S01_Dub_Fm7_Dry" },
    { "Peak Time Ren"     , "Rena grundkit", "K23_Peak_Punch", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "P46_Cowbell_808", "P25_Conga_Slap", "B22_Offbeat_Ren_F", "S16_Chord_Stab_Tech_Fm9" },
    { "Berlin Djup"       , "Rena grundkit", "K24_Berlin_Deep_F", "H18_Closed_Tight", "H19_Open_Clean", "C19_Rim_909", "P29_Djembe_Tone", "P47_Clave_Clean", "B20_Sub_Sine_F", "S02_Dub_Fm7_Echo" },
    { "Hardgroove 909"    , "Rena grundkit", "K25_Hardgroove_Tight", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "P46_Cowbell_808", "P25_Conga_Slap", "B22_Offbeat_Ren_F", "S15_Organ_Stab_House_Fm" },
    { "Tech House Ren"    , "Rena grundkit", "K19_Tech_House", "H14_Hat_Closed_Crisp", "H15_Hat_Open_House", "C19_Rim_909", "P25_Conga_Slap", "P33_Tambourine", "B17_Organ_Bass_F", "S15_Organ_Stab_House_Fm" },
    { "Tribal Ren"        , "Rena grundkit", "K21_Tribal_Tom_Kick", "H18_Closed_Tight", "H19_Open_Clean", "P41_Woodblock_Tribal", "P29_Djembe_Tone", "P30_Djembe_Slap", "B21_Techno_Bas_F", "S09_Fifths_Stab_F" },
    { "Detroit 909"       , "Rena grundkit", "K27_909_Classic", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "P05_Bell_FM", "P47_Clave_Clean", "B01_Sub_Roll_F", "S07_Detroit_Strings_Fm" },
    { "Minimal Ren"       , "Rena grundkit", "K26_Rund_Minimal", "H18_Closed_Tight", "H21_Hat_Pedal", "C19_Rim_909", "P09_Blip", "P47_Clave_Clean", "B18_Tech_Pluck_F", "S08_Minor_Ring_Fm" },
    { "Dub Ren"           , "Rena grundkit", "K24_Berlin_Deep_F", "H17_Closed_Clean", "H21_Hat_Pedal", "C19_Rim_909", "P27_Conga_Mute", "P47_Clave_Clean", "B20_Sub_Sine_F", "S02_Dub_Fm7_Echo" },
    { "Afro Ren"          , "Rena grundkit", "K19_Tech_House", "H14_Hat_Closed_Crisp", "H15_Hat_Open_House", "P31_Timbale_High", "P38_Agogo_High", "P39_Agogo_Low", "B19_Rubber_Bass_F", "S17_Marimba_F" },
    { "Acid Ren"          , "Rena grundkit", "K23_Peak_Punch", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "P46_Cowbell_808", "P47_Clave_Clean", "B03_Acid_Squelch_F", "B04_Acid_Soft_F" },
    { "Industri Ren"      , "Rena grundkit", "K25_Hardgroove_Tight", "H17_Closed_Clean", "H19_Open_Clean", "C19_Rim_909", "P17_Metal_Pipe", "P20_Hammer_Clank", "B13_Growl_Bass_F", "S12_Industrial_Stab_Fm" },
    { "Industriell 909"   , "Klassiska kit", "K06_Industrial_Crushed", "H06_Industrial_6bit", "H03_Open", "C05_Rim", "P07_Woodblock_6bit", "P04_Metal_FM", "B05_Reese_Dist_F", "S06_Crushed_Noise_Chord" },
    { "Detroit Morgon"    , "Klassiska kit", "K01_909_Punch", "H01_Closed", "H03_Open", "C05_Rim", "P06_Wood", "P05_Bell_FM", "B01_Sub_Roll_F", "S07_Detroit_Strings_Fm" },
    { "Plastik Minimal"   , "Klassiska kit", "K04_Minimal_Tight", "H02_Closed_Short", "H03_Open", "P14_Clave", "P09_Blip", "P10_Blip_Low", "B03_Acid_Squelch_F", "S08_Minor_Ring_Fm" },
    { "Svensk Loop"       , "Klassiska kit", "K01_909_Punch", "H01_Closed", "H03_Open", "C05_Rim", "P06_Wood", "P04_Metal_FM", "B02_Offbeat_F", "S04_Organ_Fm" },
    { "Dub Kanal"         , "Klassiska kit", "K02_Deep_Long", "H01_Closed", "H05_Closed_12bit", "C05_Rim", "P06_Wood", "P05_Bell_FM", "B01_Sub_Roll_F", "S02_Dub_Fm7_Echo" },
    { "Acid Lager"        , "Klassiska kit", "K03_Distorted", "H01_Closed", "H03_Open", "C05_Rim", "P09_Blip", "P04_Metal_FM", "B03_Acid_Squelch_F", "B04_Acid_Soft_F" },
    { "Rave 93"           , "Klassiska kit", "K07_Hard_Clipped", "H01_Closed", "H03_Open", "C05_Rim", "P13_Cowbell_Dark", "P05_Bell_FM", "B08_Saw_Stab_Bass_F", "S05_Rave_Stab_Fm" },
    { "Tribal Mörker"     , "Klassiska kit", "K02_Deep_Long", "H02_Closed_Short", "H08_Open_Long_Metal", "P14_Clave", "P11_Conga_Low", "P12_Conga_High", "B10_Square_Sub_F", "S09_Fifths_Stab_F" },
    { "Dorvanbunker"      , "Klassiska kit", "K07_Hard_Clipped", "H05_Closed_12bit", "H03_Open", "C05_Rim", "P07_Woodblock_6bit", "P04_Metal_FM", "B05_Reese_Dist_F", "S06_Crushed_Noise_Chord" },
    { "Röstmaskin"        , "Klassiska kit", "K01_909_Punch", "H01_Closed", "H03_Open", "C05_Rim", "P06_Wood", "P10_Blip_Low", "B06_FM_Bass_F", "V01_Ah_F" },
    { "Glitch Labb"       , "Klassiska kit", "K05_Lofi_12bit", "H05_Closed_12bit", "H06_Industrial_6bit", "P14_Clave", "P09_Blip", "P15_Metal_Hit", "B09_Pluck_Bass_F", "S10_Skew_Detuned_Fm" },
    { "Maskinrummet"      , "Klassiska kit", "K06_Industrial_Crushed", "H06_Industrial_6bit", "H08_Open_Long_Metal", "C05_Rim", "P07_Woodblock_6bit", "P04_Metal_FM", "B07_Rumble_Tone_F", "S01_Dub_Fm7_Dry" },
    { "Rullande Tunnel"   , "Techno: hypnotiskt, industriellt och dub", "K02_Deep_Long", "H02_Closed_Short", "H04_Ride", "C05_Rim", "P11_Conga_Low", "P06_Wood", "B01_Sub_Roll_F", "S08_Minor_Ring_Fm" },
    { "Hypnos Minimal"    , "Techno: hypnotiskt, industriellt och dub", "K04_Minimal_Tight", "H02_Closed_Short", "H03_Open", "P14_Clave", "P09_Blip", "P10_Blip_Low", "B10_Square_Sub_F", "S10_Skew_Detuned_Fm" },
    { "Varvet"            , "Techno: hypnotiskt, industriellt och dub", "K15_Hardgroove_909", "H12_Hat_Tape_909", "H11_Ride_Crunch", "P22_Rim_Crack", "P17_Metal_Pipe", "P13_Cowbell_Dark", "B16_Hoover_Bass_F", "S13_Hoover_Stab_Fm" },
    { "Stålverk"          , "Techno: hypnotiskt, industriellt och dub", "K16_Anghammare", "H09_Hard_Closed_Dist", "H08_Open_Long_Metal", "P22_Rim_Crack", "P17_Metal_Pipe", "P04_Metal_FM", "B15_Grind_FM_Bass_F", "S12_Industrial_Stab_Fm" },
    { "Bunker 140"        , "Techno: hypnotiskt, industriellt och dub", "K13_Stampen", "H09_Hard_Closed_Dist", "H10_Open_Trash", "P22_Rim_Crack", "P13_Cowbell_Dark", "P04_Metal_FM", "B14_Dist_Saw_Bass_F", "S11_Rave_Stab_Dist_Fm" },
    { "Ångvalsen"         , "Techno: hypnotiskt, industriellt och dub", "K11_Angvalt", "H13_Hat_Shuffle_Fat", "H10_Open_Trash", "P22_Rim_Crack", "P20_Hammer_Clank", "P18_Anvil", "B13_Growl_Bass_F", "S14_Dub_Stab_Dirty_Fm" },
    { "Dimhamn"           , "Techno: hypnotiskt, industriellt och dub", "K02_Deep_Long", "H05_Closed_12bit", "H07_Ride_Pitched_Verb", "C05_Rim", "P06_Wood", "P05_Bell_FM", "B10_Square_Sub_F", "S02_Dub_Fm7_Echo" },
    { "Djuphavet"         , "Techno: hypnotiskt, industriellt och dub", "K09_Sub_Boom_F", "H02_Closed_Short", "H07_Ride_Pitched_Verb", "P14_Clave", "P06_Wood", "P10_Blip_Low", "B01_Sub_Roll_F", "S03_Dub_Bbm7_Echo" },
    { "Ångvälten"         , "Rå och hård: ångvälts-techno", "K11_Angvalt", "H13_Hat_Shuffle_Fat", "H10_Open_Trash", "P22_Rim_Crack", "P17_Metal_Pipe", "P20_Hammer_Clank", "B13_Growl_Bass_F", "S11_Rave_Stab_Dist_Fm" },
    { "Hardgroove 97"     , "Rå och hård: ångvälts-techno", "K15_Hardgroove_909", "H12_Hat_Tape_909", "H10_Open_Trash", "P22_Rim_Crack", "P13_Cowbell_Dark", "P17_Metal_Pipe", "B14_Dist_Saw_Bass_F", "S13_Hoover_Stab_Fm" },
    { "Rostfabriken"      , "Rå och hård: ångvälts-techno", "K14_Rost_Kick_F", "H09_Hard_Closed_Dist", "H10_Open_Trash", "P22_Rim_Crack", "P20_Hammer_Clank", "P18_Anvil", "B15_Grind_FM_Bass_F", "S12_Industrial_Stab_Fm" },
    { "Valsverk 140"      , "Rå och hård: ångvälts-techno", "K18_Tunga_Vals", "H09_Hard_Closed_Dist", "H11_Ride_Crunch", "P22_Rim_Crack", "P17_Metal_Pipe", "P04_Metal_FM", "B16_Hoover_Bass_F", "S13_Hoover_Stab_Fm" },
    { "Lagerlokal"        , "Rå och hård: ångvälts-techno", "K17_Bunker_Long_F", "H12_Hat_Tape_909", "H11_Ride_Crunch", "P22_Rim_Crack", "P18_Anvil", "P13_Cowbell_Dark", "B13_Growl_Bass_F", "S14_Dub_Stab_Dirty_Fm" },
    { "Stålpressen"       , "Rå och hård: ångvälts-techno", "K13_Stampen", "H09_Hard_Closed_Dist", "H10_Open_Trash", "P22_Rim_Crack", "P18_Anvil", "P15_Metal_Hit", "B14_Dist_Saw_Bass_F", "S12_Industrial_Stab_Fm" },
};

// For styles 1..16, in the order of the style table; count = the slots in use.
const StyleKits kStyleKits[kNumStyleKitRows] = {
    { { "Minimal Ren", "Plastik Minimal", "Kall Härdning", "Hypnos Minimal", nullptr }, 4 },   // 1 "LESS IS MORE"
    { { "Hypnos Minimal", "Plastik Minimal", "Minimal Ren", "Rullande Tunnel", nullptr }, 4 },   // 2 "HYPNOS"
    { { "Plastik Minimal", "Glitch Labb", "Minimal Ren", "Hypnos Minimal", nullptr }, 4 },   // 3 "SPASTIK"
    { { "Detroit 909", "Detroit Morgon", "Hardgroove 909", "Dorvan Grund", nullptr }, 4 },   // 4 "MINIMAL NATION"
    { { "Detroit 909", "Peak Time Ren", "Hardgroove 909", "Dorvan Grund", nullptr }, 4 },   // 5 "PURPOSE MAKER"
    { { "Dub Ren", "Dub Kanal", "Dimhamn", "Djuphavet", nullptr }, 4 },   // 6 "DUBKANALEN"
    { { "Afro Ren", "Tribal Ren", "Minimal Ren", "Tech House Ren", nullptr }, 4 },   // 7 "PERLON SKEV"
    { { "Valsverk Euklid", "Klockgjuteriet", "Smedjan", "Kall Härdning", nullptr }, 4 },   // 8 "FASFÖRSKJUTNING"
    { { "Svensk Loop", "Hardgroove 97", "Varvet", "Hardgroove 909", nullptr }, 4 },   // 9 "SVENSK LOOP"
    { { "Industri Ren", "Industriell 909", "Dorvanbunker", "Stålverk", "Rostfabriken" }, 5 },   // 10 "INDUSTRI"
    { { "Minimal Ren", "Kall Härdning", "Plastik Minimal", nullptr, nullptr }, 3 },   // 11 "LOSING CONTROL"
    { { "Dimhamn", "Djuphavet", "Dub Ren", "Berlin Djup", nullptr }, 4 },   // 12 "DIMMA"
    { { "Berlin Djup", "Rullande Tunnel", "Dub Kanal", "Lagerlokal", nullptr }, 4 },   // 13 "BERGHAIN DUB"
    { { "Bunker 140", "Ångvälten", "Stålpressen", "Valsverk 140", "Järnverket" }, 5 },   // 14 "BIRMINGHAM"
    { { "Klockgjuteriet", "Valsverk Euklid", "Minimal Ren", nullptr, nullptr }, 3 },   // 15 "SKIVSPELARE"
    { { "Acid Ren", "Acid Lager", "Rave 93", nullptr, nullptr }, 3 },   // 16 "ACID MINIMAL"
};

const char* kitSample (const Kit& kit, int track) noexcept
{
    switch (track)
    {
        case KICK: return kit.kick;
        case HAT: return kit.hatClosed;
        case CLICK: return kit.click;
        case PERC: return kit.perc;
        case BAS: return kit.bas;
        case STAB: return kit.stab;
        default: return "";
    }
}

int kitIndexOf (const std::string& name) noexcept
{
    for (int i = 0; i < kNumKits; ++i)
        if (name == kKits[i].name)
            return i;
    return -1;
}

namespace
{
int integerPart (float value, int lo, int hi) noexcept
{
    // NaN and values beyond the limits land on the limits.
    if (! (value >= (float) lo)) return lo;
    if (value >= (float) hi) return hi;
    return (int) value;
}
} // namespace

int wantedKit (const KitChoice& c) noexcept
{
    const int k = integerPart (c.kitParam, 0, 1000);
    if (k >= 1)
        return std::min (k, kNumKits) - 1;

    const int seed = integerPart (c.seedParam, 1, 9999);
    const int setting = integerPart (c.styleParam, 0, 17);

    int style;
    if (c.playing && c.songId == (std::int64_t) seed * 64 + setting)
    {
        // The style of the bar playing: a style that wandered reaches the kit.
        if (c.barStyle < 0 || c.barStyle > 15)
            return kitIndexOf ("Dorvan Grund");
        style = c.barStyle;
    }
    else if (setting == 17)
    {
        if (c.learned)
            return kitIndexOf ("Dorvan Grund");
        style = 0;
    }
    else if (setting >= 1)
        style = setting - 1;
    else
        style = (int) (derive ((std::uint64_t) seed, 87, 0) & 15u);   // the conductor's AUTO choice

    const StyleKits& row = kStyleKits[style];
    const char* name = row.kits[seed % row.count];
    return kitIndexOf (name != nullptr ? name : "");
}

//==============================================================================
void parseGrumSource (const std::string& source, int& recipe, int& variant)
{
    // A field's integer value: leading digits with an optional sign, else 0.
    auto field = [&] (int index) -> int
    {
        std::string::size_type start = 0;
        for (int i = 0; i < index; ++i)
        {
            start = source.find (':', start);
            if (start == std::string::npos)
                return 0;
            ++start;
        }
        const auto end = source.find (':', start);
        const std::string text = source.substr (start, end == std::string::npos ? std::string::npos : end - start);
        const long v = std::strtol (text.c_str(), nullptr, 10);
        return (int) std::clamp (v, -1000000000L, 1000000000L);
    };
    recipe = field (1);
    variant = field (2);
}

TrackSoundPlan planTrackSound (int kitIndex, int track, const std::string& source, const SampleLoader& load)
{
    TrackSoundPlan plan;
    const Kit& kit = kKits[std::clamp (kitIndex, 0, kNumKits - 1)];
    if (source == "synt")
    {
        plan.setSamples = true;   // both samples become null
        plan.selector = kSelectSynth;
        return plan;
    }
    if (source.rfind ("grum:", 0) == 0)
    {
        int recipe = 0, variant = 0;
        parseGrumSource (source, recipe, variant);
        plan.setRecipe = true;
        plan.recipe = std::clamp (recipe, 0, kNumAcidRecipes - 1);
        plan.variant = std::max (variant, 0);
        plan.selector = kSelectGrum;
        plan.shown = source;
        return plan;
    }

    std::string name = source.empty() ? std::string (kitSample (kit, track)) : source;
    const SampleData* main = load (name);
    if (main == nullptr)
    {
        // A sample that is not in the library falls back to the kit's.
        name = kitSample (kit, track);
        main = load (name);
    }
    const SampleData* alternative = nullptr;
    if (track == HAT)
        alternative = load (kit.hatOpen);   // whatever the source, the open hat is the kit's
    else if (track == PERC && source.empty())
        alternative = load (kit.percAlt);

    plan.setSamples = true;
    plan.main = main;
    plan.alternative = alternative;
    plan.selector = main != nullptr ? kSelectSample : kSelectSynth;
    plan.shown = main != nullptr ? name : std::string();
    return plan;
}

std::string laneSoundName (const std::string& shown)
{
    if (shown.empty())
        return "SYNT";
    if (shown.rfind ("grum:", 0) == 0)
    {
        int recipe = 0, variant = 0;
        parseGrumSource (shown, recipe, variant);
        recipe = std::clamp (recipe, 0, kNumAcidRecipes - 1);
        // The variant the GRUM synth plays: never negative.
        return std::string ("GRUM ") + acidRecipes[recipe].name + " " + std::to_string (std::max (variant, 0) % 100);
    }
    const auto underscore = shown.find ('_');
    std::string text = underscore == std::string::npos ? std::string() : shown.substr (underscore + 1);
    std::replace (text.begin(), text.end(), '_', ' ');
    return text;
}

namespace
{
bool containsNoCase (const std::string& text, const char* word)
{
    std::string a = text, b = word;
    for (auto& ch : a) ch = (char) std::tolower ((unsigned char) ch);
    for (auto& ch : b) ch = (char) std::tolower ((unsigned char) ch);
    return a.find (b) != std::string::npos;
}
} // namespace

std::vector<std::string> shufflePool (int track, const std::string& shown,
                                      const std::function<std::vector<std::string> (const std::string&)>& namesIn)
{
    std::vector<std::string> pool;
    auto append = [&] (const std::vector<std::string>& names, bool (*keep) (const std::string&))
    {
        for (const auto& n : names)
            if (keep (n))
                pool.push_back (n);
    };
    auto all = [] (const std::string&) { return true; };
    switch (track)
    {
        case KICK: append (namesIn ("K"), all); break;
        case HAT:
            append (namesIn ("H"), [] (const std::string& n) { return ! containsNoCase (n, "Open") && ! containsNoCase (n, "Ride"); });
            break;
        case CLICK:
            append (namesIn ("C"), all);
            append (namesIn ("P"), [] (const std::string& n) { return containsNoCase (n, "Rim") || containsNoCase (n, "Clave") || containsNoCase (n, "Wood"); });
            break;
        case PERC:
            append (namesIn ("P"), all);
            append (namesIn ("F"), all);
            break;
        case BAS: append (namesIn ("B"), all); break;
        case STAB: append (namesIn ("S"), all); break;
        default: break;
    }
    pool.erase (std::remove (pool.begin(), pool.end(), shown), pool.end());
    return pool;
}

std::string shuffledSource (int track, const std::string& source, const std::string& shown,
                            const std::function<std::vector<std::string> (const std::string&)>& namesIn,
                            const std::function<double()>& unit)
{
    auto draw = [&] (int count)   // uniform 0 .. count - 1
    {
        const double x = std::min (std::max (unit(), 0.0), 0.9999999);
        return std::min ((int) (x * count), count - 1);
    };
    if (source.rfind ("grum:", 0) == 0)
    {
        int recipe = 0, variant = 0;
        parseGrumSource (source, recipe, variant);
        const double x = std::min (std::max (unit(), 0.0), 0.9999999);
        if (x < 0.3)
            recipe = draw (10);
        variant = 1 + draw (999);
        return "grum:" + std::to_string (recipe) + ":" + std::to_string (variant);
    }
    const auto pool = shufflePool (track, shown, namesIn);
    if (pool.empty())
        return source;
    return pool[(size_t) draw ((int) pool.size())];
}

} // namespace grum
