// The recipes of all 235 recordings. Keyed names are played at their key:
// kicks at F1, basses at F2 (the BAS track plays note 41 untransposed on an
// F root), chords with their root lowest, forge anvils and bells at the note
// named. Loops are exact whole bars at the tempo in their names.

#include "Library.h"

#include "Voices.h"

#include <map>

namespace samplegen
{
namespace
{
constexpr double F1 = 29, F2 = 41, F3 = 53, F4 = 65, F5 = 77;
const std::vector<double> kMinor { 0, 3, 7 }, kMinor7 { 0, 3, 7, 10 }, kMinor9 { 0, 3, 7, 10, 14 }, kFifths { 0, 7, 12 };

std::vector<Mode> membrane (double d)   // a drum head: the circular membrane's first modes
{
    return { { 1.0, 1.0, d }, { 1.59, 0.45, d * 0.6 }, { 2.14, 0.3, d * 0.45 }, { 2.30, 0.2, d * 0.4 }, { 2.65, 0.12, d * 0.3 } };
}
std::vector<Mode> bar (double d)        // a free bar: wood, claves, pipes
{
    return { { 1.0, 1.0, d }, { 2.756, 0.4, d * 0.6 }, { 5.404, 0.18, d * 0.35 }, { 8.933, 0.08, d * 0.2 } };
}
std::vector<Mode> anvil (double d)
{
    return { { 1.0, 1.0, d }, { 2.38, 0.5, d * 0.75 }, { 3.87, 0.35, d * 0.5 }, { 5.21, 0.22, d * 0.35 }, { 6.93, 0.12, d * 0.25 } };
}

KickP kickOf (double f0, double f1, double tau, double decay, double click, double drive, double len)
{
    KickP p; p.f0 = f0; p.f1 = f1; p.tau = tau; p.decay = decay; p.click = click; p.drive = drive; p.len = len;
    return p;
}
HatP hatOf (double decay, double len)
{
    HatP p; p.decay = decay; p.len = len; return p;
}
ModalP modalOf (double hz, std::vector<Mode> modes, double len, double exAmt = 0.3, double exHz = 3000)
{
    ModalP p; p.hz = hz; p.modes = std::move (modes); p.len = len; p.exAmt = exAmt; p.exHz = exHz; return p;
}
Buf drum (double hz, double d, double bend, double exAmt, double exHz, double len, Rand& r, double drive = 0)
{
    ModalP p = modalOf (hz, membrane (d), len, exAmt, exHz); p.bend = bend; p.drive = drive; return modal (p, r);
}
SynthP synthOf (double root, Wave w, double cutoff, double env, double envDecay, double decay, double sustain, double gate, double len)
{
    SynthP p; p.root = root; p.wave = w; p.cutoff = cutoff; p.env = env; p.envDecay = envDecay;
    p.decay = decay; p.sustain = sustain; p.gate = gate; p.release = 0.12; p.len = len;
    return p;
}
FmP fmOf (double hz, double ratio, double index, double indexT, double decay, double len)
{
    FmP p; p.hz = hz; p.ratio = ratio; p.index = index; p.indexT = indexT; p.decay = decay; p.len = len; return p;
}

// A loop: hits placed on sixteenth steps, tails wrapping round to the start.
struct LoopBuilder
{
    double bpm; int bars; double stepFrames; Buf b;
    LoopBuilder (double tempo, int barCount) : bpm (tempo), bars (barCount), stepFrames (60.0 / tempo / 4.0 * kRate), b (frames (barCount * 240.0 / tempo), true) {}
    int length() const { return (int) std::lround (bars * 240.0 / bpm * kRate); }
    void hit (double step, const Buf& s, double gain = 1.0, double pan = 0.0)
    {
        const int n = length();
        const int at = (int) std::lround (step * stepFrames);
        const double gl = gain * std::min (1.0, 1.0 - pan), gr = gain * std::min (1.0, 1.0 + pan);
        for (int i = 0; i < s.size(); ++i)
        {
            const size_t k = (size_t) ((at + i) % n);
            b.l[k] += s.l[(size_t) i] * gl;
            b.r[k] += (s.stereo() ? s.r[(size_t) i] : s.l[(size_t) i]) * gr;
        }
    }
    // One hit per 'x' in the pattern, repeated over every bar; swing delays odd steps.
    void pattern (const char* cells, const Buf& s, double gain, double pan = 0.0, double swing = 0.0, Rand* accents = nullptr)
    {
        const int len = (int) std::string (cells).size();
        for (int st = 0; st < bars * 16; ++st)
        {
            const char c = cells[st % len];
            if (c == '.') continue;
            const double g = gain * (c == 'X' ? 1.0 : c == 'x' ? 0.7 : 0.4) * (accents ? 0.85 + 0.15 * accents->unit() : 1.0);
            hit (st + ((st % 2) ? swing : 0.0), s, g, pan);
        }
    }
};

Buf steamHiss (double len, Rand& r)
{
    Buf b = noiseSweep (len, 3500, 5000, 0.6, 2, r);
    envelope (b, { { 0.0, 0.0 }, { 0.04, 1.0 }, { len * 0.5, 0.8 }, { len, 0.0 } });
    return b;
}

Buf sparkles (double len, double density, double hz, Rand& r)
{
    Buf b (frames (len), true);
    Svf hl, hr; hl.set (hz, 2.0); hr.set (hz * 1.1, 2.0);
    for (int i = 0; i < b.size(); ++i)
    {
        const double t = i / kRate, rate = density * std::exp (-t * 3.0 / len);
        const double imp = r.unit() < rate / kRate ? r.bi() * 4.0 : 0.0;
        const bool left = r.unit() < 0.5;
        b.l[(size_t) i] = hl.bp (left ? imp : 0.0) + 0.02 * r.bi() * std::exp (-t * 3.0 / len);
        b.r[(size_t) i] = hr.bp (left ? 0.0 : imp) + 0.02 * r.bi() * std::exp (-t * 3.0 / len);
    }
    filterHigh (b, 2500);
    return b;
}

// A spring: a low thud, then dispersive chirps that fall each time the wave
// returns along the coil.
Buf spring (double len, double thudHz, Rand& r)
{
    Buf b = drum (thudHz, 0.25, 0.2, 0.2, 900, len, r);
    b.scale (0.6);
    const double period = 0.041;
    for (int e = 0; e < (int) (len / period); ++e)
    {
        const int start = frames (e * period);
        const double g = 0.35 * std::pow (0.78, e);
        double ph = 0;
        for (int i = 0; i < frames (period * 1.3) && start + i < b.size(); ++i)
        {
            const double t = i / kRate;
            const double f = 250.0 + 2600.0 * std::exp (-t / 0.012);
            ph += f / kRate;
            b.l[(size_t) (start + i)] += g * std::sin (kTwoPi * ph) * std::exp (-t / 0.02);
        }
    }
    return b;
}

Buf metalClusters (int hits, double spread, double lo, double hi, double decay, Rand& r)
{
    Buf b (frames (spread + decay * 1.5), true);
    for (int h = 0; h < hits; ++h)
    {
        ModalP p; p.hz = r.range (lo, hi); p.len = decay * 1.4; p.exAmt = 0.4; p.exHz = 5000;
        for (int k = 0; k < 4; ++k) p.modes.push_back ({ 1.0 + k * r.range (0.9, 1.7), r.range (0.3, 1.0), decay * r.range (0.3, 1.0) });
        b.mix (modal (p, r), frames (r.unit() * spread), r.range (0.4, 1.0), r.bi() * 0.7);
    }
    return b;
}

Buf sequence (double bpm, const std::vector<std::pair<double, double>>& stepsNotes, SynthP p, double noteSteps, Rand& r)
{
    const double step = 60.0 / bpm / 4.0;
    Buf b;
    p.gate = noteSteps * step;
    p.len = p.gate + 0.3;
    for (const auto& sn : stepsNotes)
    {
        SynthP q = p; q.root = p.root + sn.second;
        b.mix (synth (q, r), frames (sn.first * step), 0.6);
    }
    return b;
}

Buf crash (double len, double bright, Rand& r)
{
    Buf b (frames (len), true);
    for (int ch = 0; ch < 2; ++ch)
    {
        ModalP p; p.hz = 300; p.len = len; p.exAmt = 0.0;
        for (int k = 0; k < 24; ++k) p.modes.push_back ({ r.range (1.0, 30.0), r.range (0.2, 1.0) / 24.0, len * r.range (0.35, 0.8) });
        Buf m = modal (p, r);
        Buf nz = noiseSweep (len, 9000 * bright, 6000 * bright, 0.5, 2, r, false);
        envelope (nz, { { 0.0, 1.0 }, { 0.05, 0.6 }, { len, 0.0 } });
        for (int i = 0; i < b.size(); ++i)
        {
            const double t = i / kRate, e = std::exp (-t * 4.0 / len);
            (ch == 0 ? b.l : b.r)[(size_t) i] = (m.l[(size_t) i] * 1.5 + 0.5 * nz.l[(size_t) i] * e);
        }
    }
    filterHigh (b, 600);
    return b;
}

Buf tapeStop (Rand& r)
{
    SynthP p = synthOf (F3, SAW, 1500, 0.5, 0.3, 1.0, 1.0, 2.0, 2.0); p.notes = kMinor7; p.voices = 2; p.detune = 8;
    const Buf src = synth (p, r);
    Buf b (frames (1.6), true);
    double pos = 0, speed = 1.0;
    for (int i = 0; i < b.size() && pos < src.size() - 2; ++i)
    {
        const double t = i / kRate;
        if (t > 0.35) speed = std::exp (-(t - 0.35) * 3.2);
        const int k = (int) pos; const double fr = pos - k;
        b.l[(size_t) i] = (src.l[(size_t) k] * (1 - fr) + src.l[(size_t) k + 1] * fr) * std::min (1.0, speed * 3.0);
        b.r[(size_t) i] = (src.r[(size_t) k] * (1 - fr) + src.r[(size_t) k + 1] * fr) * std::min (1.0, speed * 3.0);
        pos += speed;
    }
    filterLow (b, 5000);
    return b;
}

Buf hum (double len, double hz, int harmonics, double level, Rand& r)
{
    Buf b (frames (len), true);
    for (int i = 0; i < b.size(); ++i)
    {
        const double t = i / kRate;
        double v = 0;
        for (int h = 1; h <= harmonics; ++h) v += std::sin (kTwoPi * hz * h * t + h) / (h * (h % 2 ? 1.0 : 1.8));
        b.l[(size_t) i] = v * level * (1.0 + 0.1 * std::sin (kTwoPi * 0.3 * t));
        b.r[(size_t) i] = v * level * (1.0 + 0.1 * std::sin (kTwoPi * 0.37 * t + 1.0));
    }
    (void) r;
    return b;
}

// The loops draw on the same instruments as the one-shots.
Buf kLoopKick (Rand& r) { return kick (kickOf (220, 52, 0.028, 0.45, 0.3, 1.5, 0.6), r); }
Buf hClosed (Rand& r, double d = 0.04) { return hat (hatOf (d, 0.2), r); }
Buf hOpen (Rand& r) { return hat (hatOf (0.3, 0.6), r); }

std::vector<Recipe> build()
{
    std::vector<Recipe> all;
    auto add = [&] (const char* name, std::function<Buf (Rand&)> f) { all.push_back ({ name, std::move (f), 0, 0 }); };
    auto loop = [&] (const char* name, double bpm, int bars, std::function<void (LoopBuilder&, Rand&)> f)
    {
        all.push_back ({ name, [bpm, bars, f] (Rand& r) { LoopBuilder lb (bpm, bars); f (lb, r); return lb.b; }, (double) bars, bpm });
    };

    //== K: kicks ==============================================================
    add ("K01_909_Punch", [] (Rand& r) { return kick (kickOf (230, 52, 0.030, 0.45, 0.35, 1.6, 0.8), r); });
    add ("K02_Deep_Long", [] (Rand& r) { return kick (kickOf (150, 45, 0.040, 1.1, 0.10, 1.1, 1.5), r); });
    add ("K03_Distorted", [] (Rand& r) { return kick (kickOf (220, 50, 0.030, 0.55, 0.30, 5.0, 0.9), r); });
    add ("K04_Minimal_Tight", [] (Rand& r) { return kick (kickOf (200, 58, 0.018, 0.22, 0.30, 1.2, 0.4), r); });
    add ("K05_Lofi_12bit", [] (Rand& r) { auto p = kickOf (200, 52, 0.028, 0.45, 0.25, 1.5, 0.8); p.bits = 12; p.sh = 3; return kick (p, r); });
    add ("K06_Industrial_Crushed", [] (Rand& r) { auto p = kickOf (260, 48, 0.030, 0.6, 0.6, 6.0, 0.9); p.bits = 8; p.sh = 4; return kick (p, r); });
    add ("K07_Hard_Clipped", [] (Rand& r) { auto p = kickOf (240, 54, 0.025, 0.5, 0.3, 2.0, 0.8); p.clip = 0.35; return kick (p, r); });
    add ("K08_Rumble_Combo", [] (Rand& r) { auto p = kickOf (180, 48, 0.030, 0.5, 0.25, 1.5, 1.6); p.rumble = 0.6; return kick (p, r); });
    add ("K09_Sub_Boom_F", [] (Rand& r) { return kick (kickOf (120, midiHz (F1), 0.05, 1.4, 0.05, 1.0, 1.8), r); });
    add ("K10_Click_Thump", [] (Rand& r) { auto p = kickOf (300, 60, 0.010, 0.25, 0.8, 1.3, 0.45); p.clickHz = 4500; return kick (p, r); });
    add ("K11_Angvalt", [] (Rand& r) { auto p = kickOf (200, 50, 0.030, 0.7, 0.3, 4.0, 1.8); p.rumble = 0.8; p.rumbleT = 1.6; return kick (p, r); });
    add ("K12_Rumble_Tunnel", [] (Rand& r) { auto p = kickOf (170, 46, 0.030, 0.6, 0.2, 1.5, 2.4); p.rumble = 0.9; p.rumbleT = 2.2; p.rumbleHz = 110; return kick (p, r); });
    add ("K13_Stampen", [] (Rand& r) { auto p = kickOf (260, 55, 0.020, 0.35, 0.5, 3.5, 0.6); p.clip = 0.6; return kick (p, r); });
    add ("K14_Rost_Kick_F", [] (Rand& r) { auto p = kickOf (210, midiHz (F1), 0.03, 0.6, 0.3, 3.0, 1.0); p.bits = 10; return kick (p, r); });
    add ("K15_Hardgroove_909", [] (Rand& r) { return kick (kickOf (240, 54, 0.025, 0.40, 0.45, 2.5, 0.7), r); });
    add ("K16_Anghammare", [] (Rand& r) { auto p = kickOf (280, 50, 0.025, 0.5, 0.7, 5.0, 1.0); p.clip = 0.5; p.rumble = 0.3; return kick (p, r); });
    add ("K17_Bunker_Long_F", [] (Rand& r) { auto p = kickOf (170, midiHz (F1), 0.035, 1.3, 0.2, 2.0, 1.9); p.rumble = 0.4; return kick (p, r); });
    add ("K18_Tunga_Vals", [] (Rand& r) { auto p = kickOf (200, 48, 0.030, 0.8, 0.3, 3.0, 1.5); p.rumble = 0.6; return kick (p, r); });
    add ("K19_Tech_House", [] (Rand& r) { return kick (kickOf (180, 55, 0.025, 0.35, 0.25, 1.4, 0.6), r); });
    add ("K20_Round_Deep_F", [] (Rand& r) { return kick (kickOf (140, midiHz (F1), 0.035, 0.9, 0.10, 1.2, 1.3), r); });
    add ("K21_Tribal_Tom_Kick", [] (Rand& r) { auto p = kickOf (200, 65, 0.040, 0.45, 0.2, 1.3, 0.8); p.tom = 0.5; return kick (p, r); });
    add ("K22_Grund_Techno_F", [] (Rand& r) { return kick (kickOf (200, midiHz (F1), 0.03, 0.55, 0.30, 1.8, 1.0), r); });
    add ("K23_Peak_Punch", [] (Rand& r) { return kick (kickOf (260, 55, 0.022, 0.42, 0.40, 2.2, 0.7), r); });
    add ("K24_Berlin_Deep_F", [] (Rand& r) { auto p = kickOf (160, midiHz (F1), 0.035, 0.95, 0.15, 1.5, 1.5); p.rumble = 0.25; return kick (p, r); });
    add ("K25_Hardgroove_Tight", [] (Rand& r) { return kick (kickOf (250, 56, 0.018, 0.28, 0.45, 2.5, 0.5), r); });
    add ("K26_Rund_Minimal", [] (Rand& r) { return kick (kickOf (170, 56, 0.025, 0.30, 0.15, 1.1, 0.5), r); });
    add ("K27_909_Classic", [] (Rand& r) { return kick (kickOf (220, 52, 0.028, 0.50, 0.35, 1.4, 0.8), r); });
    add ("K28_Lang_Svans_F", [] (Rand& r) { auto p = kickOf (180, midiHz (F1), 0.03, 1.8, 0.2, 1.4, 2.4); p.hold = 0.05; return kick (p, r); });
    add ("K29_Stad_Kick_F", [] (Rand& r)
    {
        Buf b = kick (kickOf (200, midiHz (F1), 0.03, 0.6, 0.3, 1.8, 1.1), r);
        b.mix (modal (modalOf (midiHz (F5), anvil (0.9), 1.0, 0.2, 4000), r), 0, 0.08);   // the anvil in the kick
        return b;
    });

    //== H: hats and cymbals ===================================================
    add ("H01_Closed", [] (Rand& r) { return hat (hatOf (0.045, 0.2), r); });
    add ("H02_Closed_Short", [] (Rand& r) { return hat (hatOf (0.022, 0.12), r); });
    add ("H03_Open", [] (Rand& r) { return hat (hatOf (0.42, 0.9), r); });
    add ("H04_Ride", [] (Rand& r) { auto p = hatOf (1.4, 2.5); p.bell = 0.5; p.bellDecay = 1.8; p.noise = 0.5; p.bp = 8000; return hat (p, r); });
    add ("H05_Closed_12bit", [] (Rand& r) { auto p = hatOf (0.05, 0.2); p.bits = 12; p.sh = 2; return hat (p, r); });
    add ("H06_Industrial_6bit", [] (Rand& r) { auto p = hatOf (0.06, 0.25); p.bits = 6; p.sh = 3; p.drive = 2; return hat (p, r); });
    add ("H07_Ride_Pitched_Verb", [] (Rand& r) { auto p = hatOf (1.2, 2.2); p.bell = 0.6; p.bellHz = 2600; p.verb = 0.35; return hat (p, r); });
    add ("H08_Open_Long_Metal", [] (Rand& r) { auto p = hatOf (0.9, 1.6); p.tone = 0.85; p.noise = 0.2; return hat (p, r); });
    add ("H09_Hard_Closed_Dist", [] (Rand& r) { auto p = hatOf (0.05, 0.2); p.drive = 4; return hat (p, r); });
    add ("H10_Open_Trash", [] (Rand& r) { auto p = hatOf (0.5, 1.0); p.drive = 3; p.bits = 8; p.noise = 0.5; return hat (p, r); });
    add ("H11_Ride_Crunch", [] (Rand& r) { auto p = hatOf (1.2, 2.2); p.bell = 0.4; p.drive = 2.5; p.bits = 10; return hat (p, r); });
    add ("H12_Hat_Tape_909", [] (Rand& r) { auto p = hatOf (0.06, 0.25); p.tape = 0.6; return hat (p, r); });
    add ("H13_Hat_Shuffle_Fat", [] (Rand& r) { auto p = hatOf (0.08, 0.3); p.bp = 7500; p.hp = 5000; p.drive = 1.5; p.width = 1; return hat (p, r); });
    add ("H14_Hat_Closed_Crisp", [] (Rand& r) { auto p = hatOf (0.035, 0.15); p.bp = 11000; p.hp = 8500; return hat (p, r); });
    add ("H15_Hat_Open_House", [] (Rand& r) { auto p = hatOf (0.35, 0.8); p.tone = 1.05; p.width = 1; return hat (p, r); });
    add ("H16_Ride_Tech", [] (Rand& r) { auto p = hatOf (1.0, 2.0); p.bell = 0.45; p.bellHz = 3400; return hat (p, r); });
    add ("H17_Closed_Clean", [] (Rand& r) { auto p = hatOf (0.04, 0.18); p.noise = 0.45; return hat (p, r); });
    add ("H18_Closed_Tight", [] (Rand& r) { return hat (hatOf (0.028, 0.15), r); });
    add ("H19_Open_Clean", [] (Rand& r) { auto p = hatOf (0.38, 0.85); p.noise = 0.45; return hat (p, r); });
    add ("H20_Ride_Clean", [] (Rand& r) { auto p = hatOf (1.3, 2.4); p.bell = 0.5; return hat (p, r); });
    add ("H21_Hat_Pedal", [] (Rand& r) { auto p = hatOf (0.05, 0.2); p.attack = 0.003; p.tone = 0.9; p.bp = 8000; p.hp = 6000; return hat (p, r); });
    add ("H22_Shaker_Clean", [] (Rand& r) { ShakeP p; p.grains = 2; p.spacing = 0.018; return shaker (p, r); });
    add ("H23_Smideshat", [] (Rand& r)
    {
        auto p = hatOf (0.06, 0.3); p.tone = 1.3;
        Buf b = hat (p, r);
        b.mix (modal (modalOf (4200, anvil (0.12), 0.3, 0.0), r), 0, 0.25);   // a forged, ringing edge
        return b;
    });
    add ("H24_Smide_Open", [] (Rand& r)
    {
        auto p = hatOf (0.45, 1.0); p.tone = 1.3;
        Buf b = hat (p, r);
        b.mix (modal (modalOf (4200, anvil (0.6), 1.0, 0.0), r), 0, 0.2);
        return b;
    });

    //== C: claps and snares ===================================================
    auto rim = [] (double hz, double drive, Rand& r)
    {
        ModalP p = modalOf (hz, { { 1.0, 1.0, 0.035 }, { 0.31, 0.7, 0.05 }, { 2.2, 0.3, 0.02 } }, 0.15, 0.5, 5000); p.drive = drive; p.exTau = 0.0008;
        return modal (p, r);
    };
    add ("C01_Clap_909ish", [] (Rand& r) { return clap (ClapP {}, r); });
    add ("C02_Clap_Gated", [] (Rand& r) { ClapP p; p.tail = 0.5; p.gate = 0.12; p.verb = 0.3; return clap (p, r); });
    add ("C03_Snare_Tight", [] (Rand& r) { SnareP p; p.body = 220; p.bodyDecay = 0.08; p.noiseDecay = 0.12; p.len = 0.35; return snare (p, r); });
    add ("C04_Snare_Noise_Industrial", [] (Rand& r) { SnareP p; p.bodyAmt = 0.3; p.noiseAmt = 1.0; p.drive = 3; p.bits = 8; p.sh = 2; p.noiseDecay = 0.25; return snare (p, r); });
    add ("C05_Rim", [rim] (Rand& r) { return rim (1700, 0.0, r); });
    add ("C06_Clap_Layer_Verb", [] (Rand& r) { ClapP a; Buf b = clap (a, r); ClapP c; c.hz = 1600; c.spacing = 0.013; c.verb = 0.45; b.mix (clap (c, r), 0, 0.7); return b; });
    add ("C07_Clap_Smash", [] (Rand& r) { ClapP p; p.drive = 3; p.tail = 0.25; p.bursts = 5; return clap (p, r); });
    add ("C08_Clap_Warehouse", [] (Rand& r) { ClapP p; p.verb = 0.5; p.verbT = 1.8; p.len = 0.4; return clap (p, r); });
    add ("C09_Snare_Rost", [] (Rand& r) { SnareP p; p.drive = 2.5; p.bits = 10; p.noiseHp = 1200; return snare (p, r); });
    add ("C10_Clap_Stack_Hard", [] (Rand& r) { ClapP p; p.bursts = 5; p.drive = 2; p.hz = 1400; return clap (p, r); });
    add ("C11_Clap_House", [] (Rand& r) { ClapP p; p.tail = 0.25; p.verb = 0.15; p.hz = 1100; return clap (p, r); });
    add ("C12_Snap", [] (Rand& r) { ClapP p; p.bursts = 1; p.spacing = 0.002; p.tail = 0.035; p.hz = 2400; p.q = 2; p.len = 0.15; return clap (p, r); });
    add ("C13_Clap_Tight_Room", [] (Rand& r) { ClapP p; p.tail = 0.12; p.verb = 0.25; p.verbT = 0.5; p.len = 0.3; return clap (p, r); });
    add ("C14_Snare_Tech_House", [] (Rand& r) { SnareP p; p.body = 200; p.noiseAmt = 0.7; p.noiseDecay = 0.15; p.verb = 0.1; return snare (p, r); });
    add ("C15_Clap_Clean", [] (Rand& r) { ClapP p; p.width = 0.1; return clap (p, r); });
    add ("C16_Clap_Wide_Room", [] (Rand& r) { ClapP p; p.width = 0.9; p.verb = 0.35; return clap (p, r); });
    add ("C17_Snare_909_Clean", [] (Rand& r) { SnareP p; p.body = 180; p.body2 = 330; p.noiseHp = 1500; return snare (p, r); });
    add ("C18_Snare_Fat", [] (Rand& r) { SnareP p; p.body = 160; p.bodyDecay = 0.2; p.noiseDecay = 0.3; p.drive = 1.5; p.len = 0.8; return snare (p, r); });
    add ("C19_Rim_909", [rim] (Rand& r) { return rim (1650, 1.3, r); });

    //== P: percussion =========================================================
    add ("P01_Tom_Low", [] (Rand& r) { return drum (90, 0.6, 0.25, 0.15, 1500, 1.0, r); });
    add ("P02_Tom_Mid", [] (Rand& r) { return drum (130, 0.5, 0.25, 0.15, 1800, 0.9, r); });
    add ("P03_Tom_High", [] (Rand& r) { return drum (180, 0.45, 0.25, 0.15, 2000, 0.8, r); });
    add ("P04_Metal_FM", [] (Rand& r) { return fm (fmOf (320, 1.41, 4.0, 0.15, 0.3, 0.5), r); });
    add ("P05_Bell_FM", [] (Rand& r) { return fm (fmOf (880, 3.5, 2.5, 0.6, 1.2, 1.5), r); });
    add ("P06_Wood", [] (Rand& r) { return modal (modalOf (520, bar (0.12), 0.3, 0.3, 2500), r); });
    add ("P07_Woodblock_6bit", [] (Rand& r) { auto p = modalOf (900, bar (0.1), 0.25, 0.3, 3000); p.bits = 6; p.sh = 2; return modal (p, r); });
    add ("P08_Shaker", [] (Rand& r) { ShakeP p; p.grains = 2; p.spacing = 0.02; p.hz = 6000; return shaker (p, r); });
    add ("P09_Blip", [] (Rand& r) { return fm (fmOf (1200, 1.0, 0.5, 0.02, 0.07, 0.15), r); });
    add ("P10_Blip_Low", [] (Rand& r) { return fm (fmOf (500, 1.0, 0.6, 0.02, 0.1, 0.2), r); });
    add ("P11_Conga_Low", [] (Rand& r) { return drum (190, 0.35, 0.1, 0.2, 1500, 0.6, r); });
    add ("P12_Conga_High", [] (Rand& r) { return drum (280, 0.3, 0.1, 0.2, 1800, 0.5, r); });
    auto cowbell = [] (double hz, double d, Rand& r)
    {
        return modal (modalOf (hz, { { 1.0, 1.0, d }, { 1.48, 0.8, d * 0.9 }, { 3.0, 0.3, d * 0.5 }, { 4.44, 0.25, d * 0.45 }, { 5.0, 0.15, d * 0.3 } }, d * 1.5, 0.2, 2500), r);
    };
    add ("P13_Cowbell_Dark", [cowbell] (Rand& r) { return cowbell (480, 0.25, r); });
    add ("P14_Clave", [] (Rand& r) { return modal (modalOf (2500, { { 1.0, 1.0, 0.08 }, { 2.76, 0.1, 0.03 } }, 0.15, 0.2, 4000), r); });
    add ("P15_Metal_Hit", [] (Rand& r) { return modal (modalOf (600, anvil (0.8), 1.2, 0.4, 4000), r); });
    add ("P16_Spring_Thud", [] (Rand& r) { return spring (0.9, 75, r); });
    add ("P17_Metal_Pipe", [] (Rand& r) { return modal (modalOf (420, bar (1.5), 2.0, 0.2, 3000), r); });
    add ("P18_Anvil", [] (Rand& r) { auto p = modalOf (950, anvil (2.0), 2.5, 0.6, 5000); p.exTau = 0.003; return modal (p, r); });
    add ("P19_Tom_Dist_Low", [] (Rand& r) { return drum (95, 0.5, 0.3, 0.2, 1500, 0.9, r, 3.0); });
    add ("P20_Hammer_Clank", [] (Rand& r) { auto p = modalOf (1300, anvil (0.2), 0.5, 0.8, 2500); p.drive = 1.5; return modal (p, r); });
    add ("P21_Tom_Dist_Mid", [] (Rand& r) { return drum (140, 0.45, 0.3, 0.2, 1800, 0.8, r, 3.0); });
    add ("P22_Rim_Crack", [rim] (Rand& r) { Buf b = rim (1900, 2.0, r); b.mix (noiseSweep (0.03, 3000, 2000, 0.8, 1, r, false), 0, 0.4); return b; });
    add ("P23_Bongo_High", [] (Rand& r) { return drum (420, 0.12, 0.08, 0.25, 3000, 0.25, r); });
    add ("P24_Bongo_Low", [] (Rand& r) { return drum (300, 0.15, 0.08, 0.25, 2500, 0.3, r); });
    add ("P25_Conga_Slap", [] (Rand& r) { auto p = modalOf (300, membrane (0.1), 0.25, 0.8, 3000); return modal (p, r); });
    add ("P26_Conga_Open", [] (Rand& r) { return drum (230, 0.5, 0.06, 0.15, 1500, 0.7, r); });
    add ("P27_Conga_Mute", [] (Rand& r) { return drum (240, 0.06, 0.05, 0.3, 1500, 0.15, r); });
    add ("P28_Djembe_Bass", [] (Rand& r) { return drum (80, 0.3, 0.3, 0.2, 600, 0.5, r); });
    add ("P29_Djembe_Tone", [] (Rand& r) { return drum (260, 0.25, 0.08, 0.25, 1500, 0.4, r); });
    add ("P30_Djembe_Slap", [] (Rand& r) { auto p = modalOf (380, membrane (0.08), 0.25, 1.0, 3500); p.exTau = 0.006; return modal (p, r); });
    auto timbale = [] (double hz, Rand& r)
    {
        auto p = modalOf (hz, { { 1.0, 1.0, 0.5 }, { 1.5, 0.5, 0.6 }, { 2.2, 0.35, 0.7 }, { 2.9, 0.3, 0.8 }, { 4.3, 0.2, 0.6 } }, 0.9, 0.4, 3500);
        return modal (p, r);
    };
    add ("P31_Timbale_High", [timbale] (Rand& r) { return timbale (520, r); });
    add ("P32_Timbale_Low", [timbale] (Rand& r) { return timbale (380, r); });
    add ("P33_Tambourine", [] (Rand& r) { ShakeP p; p.attack = 0.002; p.decay = 0.25; p.jingle = 0.6; p.hz = 7500; p.grains = 3; p.spacing = 0.012; p.len = 0.4; return shaker (p, r); });
    add ("P34_Log_Drum_F", [] (Rand& r) { auto p = modalOf (midiHz (F3), { { 1.0, 1.0, 0.6 }, { 2.9, 0.25, 0.2 }, { 4.1, 0.1, 0.1 } }, 0.8, 0.1, 1500); p.bend = 0.05; return modal (p, r); });
    add ("P35_Log_Drum_Low_F", [] (Rand& r) { auto p = modalOf (midiHz (F2), { { 1.0, 1.0, 0.8 }, { 2.9, 0.2, 0.25 } }, 1.0, 0.1, 1000); p.bend = 0.05; return modal (p, r); });
    add ("P36_Cabasa", [] (Rand& r) { ShakeP p; p.hz = 9000; p.q = 0.8; p.decay = 0.08; p.attack = 0.004; return shaker (p, r); });
    add ("P37_Guiro", [] (Rand& r) { ShakeP p; p.grains = 12; p.spacing = 0.012; p.decay = 0.012; p.attack = 0.002; p.hz = 3500; p.q = 2.0; p.hp = 1500; p.len = 0.3; return shaker (p, r); });
    auto agogo = [] (double hz, Rand& r) { return modal (modalOf (hz, { { 1.0, 1.0, 0.5 }, { 2.32, 0.4, 0.3 }, { 3.9, 0.2, 0.2 } }, 0.7, 0.15, 4000), r); };
    add ("P38_Agogo_High", [agogo] (Rand& r) { return agogo (900, r); });
    add ("P39_Agogo_Low", [agogo] (Rand& r) { return agogo (640, r); });
    add ("P40_Shaker_Soft", [] (Rand& r) { ShakeP p; p.attack = 0.02; p.decay = 0.1; p.hz = 5500; return shaker (p, r); });
    add ("P41_Woodblock_Tribal", [] (Rand& r) { return modal (modalOf (700, bar (0.14), 0.3, 0.3, 2500), r); });
    add ("P42_Talking_Drum", [] (Rand& r) { auto p = modalOf (170, membrane (0.5), 0.8, 0.2, 1500); p.slide = 0.45; p.slideTau = 0.08; return modal (p, r); });
    add ("P43_Tom_909_Low", [] (Rand& r) { return drum (110, 0.5, 0.35, 0.05, 1500, 0.8, r); });
    add ("P44_Tom_909_Mid", [] (Rand& r) { return drum (150, 0.45, 0.35, 0.05, 1800, 0.7, r); });
    add ("P45_Tom_909_High", [] (Rand& r) { return drum (200, 0.4, 0.35, 0.05, 2000, 0.6, r); });
    add ("P46_Cowbell_808", [cowbell] (Rand& r) { return cowbell (540, 0.35, r); });
    add ("P47_Clave_Clean", [] (Rand& r) { return modal (modalOf (2500, { { 1.0, 1.0, 0.1 } }, 0.15, 0.1, 4000), r); });
    add ("P48_Hammarknack", [] (Rand& r) { return modal (modalOf (2100, { { 1.0, 1.0, 0.15 }, { 2.4, 0.5, 0.1 }, { 3.7, 0.3, 0.08 } }, 0.25, 0.6, 4000), r); });

    //== B: basses, recorded at F2 =============================================
    add ("B01_Sub_Roll_F", [] (Rand& r) { auto p = synthOf (F2, SINE, 0, 0, 0.1, 0.3, 0.7, 0.6, 1.0); p.drive = 1.5; return synth (p, r); });
    add ("B02_Offbeat_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 500, 2.0, 0.12, 0.15, 0.4, 0.25, 0.6); p.res = 0.3; return synth (p, r); });
    add ("B03_Acid_Squelch_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 250, 3.5, 0.25, 0.3, 0.6, 0.45, 0.8); p.res = 0.85; p.drive = 2; return synth (p, r); });
    add ("B04_Acid_Soft_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 300, 2.0, 0.3, 0.3, 0.6, 0.45, 0.8); p.res = 0.6; return synth (p, r); });
    add ("B05_Reese_Dist_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 900, 0, 0.1, 0.5, 0.9, 1.0, 1.4); p.voices = 3; p.detune = 25; p.drive = 3; return synth (p, r); });
    add ("B06_FM_Bass_F", [] (Rand& r) { return fm (fmOf (midiHz (F2), 1.0, 3.0, 0.15, 0.8, 1.0), r); });
    add ("B07_Rumble_Tone_F", [] (Rand& r)
    {
        auto p = synthOf (F2, SINE, 0, 0, 0.1, 0.8, 0.5, 0.6, 1.4); p.drive = 2.5;
        Buf b = synth (p, r);
        addReverb (b, 0.08, 1.0, 0.3, 0.5, 0.6);
        filterLow (b, 400);
        return b;
    });
    add ("B08_Saw_Stab_Bass_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 700, 2.5, 0.1, 0.2, 0.3, 0.2, 0.6); p.voices = 2; p.detune = 12; return synth (p, r); });
    add ("B09_Pluck_Bass_F", [] (Rand& r) { auto p = synthOf (F2, PULSE, 300, 3.0, 0.08, 0.25, 0.0, 0.3, 0.7); p.pw = 0.3; return synth (p, r); });
    add ("B10_Square_Sub_F", [] (Rand& r) { auto p = synthOf (F2, PULSE, 400, 0, 0.1, 0.4, 0.8, 0.8, 1.2); p.res = 0.1; p.sub = 0.6; return synth (p, r); });
    add ("B11_Rumble_Angvalt_138", [] (Rand& r)
    {
        // One beat at 138 of overdriven, room-smeared sub: the steamroller's offbeat.
        auto p = synthOf (F2, SINE, 0, 0, 0.1, 0.3, 0.6, 60.0 / 138.0, 0.9); p.drive = 3.5;
        Buf b = synth (p, r);
        addReverb (b, 0.07, 0.8, 0.3, 0.6, 0.4);
        filterLow (b, 300);
        return b;
    });
    add ("B12_Rumble_Breath_F", [] (Rand& r) { auto p = synthOf (F2, SINE, 0, 0, 0.1, 0.6, 0.7, 0.7, 1.2); p.attack = 0.02; Buf b = synth (p, r); Buf n = noiseSweep (1.2, 220, 160, 0.7, 0, r, false); envelope (n, { { 0, 0 }, { 0.05, 1 }, { 0.7, 0.6 }, { 1.1, 0 } }); b.mix (n, 0, 0.8); return b; });
    add ("B13_Growl_Bass_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 400, 1.5, 0.2, 0.4, 0.7, 0.6, 1.0); p.voices = 2; p.detune = 8; p.res = 0.5; p.fold = 0.4; p.drive = 2; return synth (p, r); });
    add ("B14_Dist_Saw_Bass_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 1200, 0.5, 0.1, 0.4, 0.6, 0.5, 0.9); p.drive = 4; return synth (p, r); });
    add ("B15_Grind_FM_Bass_F", [] (Rand& r) { auto p = fmOf (midiHz (F2), 2.0, 5.0, 0.5, 0.9, 1.0); p.feedback = 0.8; p.drive = 3; return fm (p, r); });
    add ("B16_Hoover_Bass_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 2500, 0, 0.1, 0.5, 0.8, 0.7, 1.1); p.voices = 5; p.detune = 30; p.bend = -7; p.bendTau = 0.025; return synth (p, r); });
    add ("B17_Organ_Bass_F", [] (Rand& r) { return synth (synthOf (F2, ORGAN, 0, 0, 0.1, 0.3, 0.9, 0.8, 1.1), r); });
    add ("B18_Tech_Pluck_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 200, 3.5, 0.06, 0.15, 0.0, 0.2, 0.5); p.res = 0.4; return synth (p, r); });
    add ("B19_Rubber_Bass_F", [] (Rand& r) { auto p = synthOf (F2, SINE, 0, 0, 0.1, 0.3, 0.5, 0.4, 0.8); p.bend = 7; p.bendTau = 0.03; p.drive = 2; return synth (p, r); });
    add ("B20_Sub_Sine_F", [] (Rand& r) { auto p = synthOf (F2, SINE, 0, 0, 0.1, 0.5, 0.9, 0.8, 1.2); p.drive = 1.05; return synth (p, r); });
    add ("B21_Techno_Bas_F", [] (Rand& r) { auto p = synthOf (F2, SAW, 350, 1.8, 0.15, 0.3, 0.5, 0.35, 0.8); p.res = 0.35; p.sub = 0.4; return synth (p, r); });
    add ("B22_Offbeat_Ren_F", [] (Rand& r) { auto p = synthOf (F2, PULSE, 450, 1.5, 0.1, 0.15, 0.3, 0.2, 0.55); p.pw = 0.4; return synth (p, r); });

    //== S: stabs and chords, root lowest ======================================
    auto dubStab = [] (double root, std::vector<double> chord, double drive, Rand& r)
    {
        auto p = synthOf (root, SAW, 900, 1.5, 0.12, 0.25, 0.2, 0.15, 0.7); p.notes = std::move (chord); p.voices = 2; p.detune = 6; p.res = 0.3; p.drive = drive;
        return synth (p, r);
    };
    const double dubEcho = 60.0 / 126.0 * 0.75;
    add ("S01_Dub_Fm7_Dry", [dubStab] (Rand& r) { return dubStab (F3, kMinor7, 0, r); });
    add ("S02_Dub_Fm7_Echo", [dubStab, dubEcho] (Rand& r) { Buf b = dubStab (F3, kMinor7, 0, r); addEcho (b, dubEcho, 0.55, 0.6, 3.5); return b; });
    add ("S03_Dub_Bbm7_Echo", [dubStab, dubEcho] (Rand& r) { Buf b = dubStab (46, { 0, 7, 10, 15 }, 0, r); addEcho (b, dubEcho, 0.55, 0.6, 3.5); return b; });
    add ("S04_Organ_Fm", [] (Rand& r) { auto p = synthOf (F3, ORGAN, 0, 0, 0.1, 0.3, 0.6, 0.3, 0.8); p.notes = kMinor; return synth (p, r); });
    auto rave = [] (double drive, Rand& r)
    {
        auto p = synthOf (F3, SAW, 2500, 1.0, 0.15, 0.25, 0.3, 0.2, 0.8); p.notes = { 0, 3, 7, 12 }; p.voices = 3; p.detune = 18; p.chorus = 0.3; p.drive = drive;
        return synth (p, r);
    };
    add ("S05_Rave_Stab_Fm", [rave] (Rand& r) { return rave (0, r); });
    add ("S06_Crushed_Noise_Chord", [] (Rand& r) { auto p = synthOf (F3, SAW, 2000, 1.0, 0.1, 0.3, 0.3, 0.25, 0.8); p.notes = kMinor7; p.noise = 0.3; p.bits = 6; p.sh = 4; p.drive = 2; return synth (p, r); });
    add ("S07_Detroit_Strings_Fm", [] (Rand& r)
    {
        auto p = synthOf (F3, SAW, 2500, 0, 0.1, 1.0, 0.9, 1.6, 2.8); p.notes = kMinor7; p.voices = 3; p.detune = 14; p.attack = 0.25; p.release = 0.6; p.res = 0.1; p.chorus = 0.5;
        return synth (p, r);
    });
    add ("S08_Minor_Ring_Fm", [] (Rand& r) { Buf b; for (double n : kMinor) b.mix (fm (fmOf (midiHz (F3 + n), 2.0, 1.2, 0.4, 1.5, 1.6), r), 0, 0.5); return b; });
    add ("S09_Fifths_Stab_F", [] (Rand& r) { auto p = synthOf (F3, SAW, 1500, 1.2, 0.12, 0.3, 0.25, 0.2, 0.8); p.notes = kFifths; p.voices = 2; p.detune = 8; return synth (p, r); });
    add ("S10_Skew_Detuned_Fm", [] (Rand& r) { auto p = synthOf (F3, SAW, 1200, 1.0, 0.15, 0.3, 0.3, 0.2, 0.8); p.notes = { 0, 3.15, 6.9 }; p.voices = 3; p.detune = 40; return synth (p, r); });
    add ("S11_Rave_Stab_Dist_Fm", [rave] (Rand& r) { return rave (4.0, r); });
    add ("S12_Industrial_Stab_Fm", [] (Rand& r) { auto p = synthOf (F3, PULSE, 1800, 1.5, 0.1, 0.25, 0.3, 0.2, 0.7); p.pw = 0.3; p.notes = kMinor; p.drive = 2.5; p.sh = 2; return synth (p, r); });
    add ("S13_Hoover_Stab_Fm", [] (Rand& r) { auto p = synthOf (F3, SAW, 3000, 0, 0.1, 0.3, 0.5, 0.3, 0.9); p.notes = kMinor; p.voices = 5; p.detune = 35; p.bend = -7; p.bendTau = 0.03; p.chorus = 0.4; return synth (p, r); });
    add ("S14_Dub_Stab_Dirty_Fm", [dubStab, dubEcho] (Rand& r) { Buf b = dubStab (F3, kMinor7, 2.5, r); addEcho (b, dubEcho, 0.5, 0.5, 3.0, 1800); return b; });
    add ("S15_Organ_Stab_House_Fm", [] (Rand& r) { auto p = synthOf (F3, ORGAN, 0, 0, 0.1, 0.2, 0.4, 0.2, 0.7); p.notes = kMinor7; p.chorus = 0.2; return synth (p, r); });
    add ("S16_Chord_Stab_Tech_Fm9", [] (Rand& r) { auto p = synthOf (F3, SAW, 1400, 1.5, 0.12, 0.2, 0.2, 0.2, 0.8); p.notes = kMinor9; p.voices = 2; p.detune = 10; return synth (p, r); });
    add ("S17_Marimba_F", [] (Rand& r) { return modal (modalOf (midiHz (F4), { { 1.0, 1.0, 0.9 }, { 3.99, 0.35, 0.25 }, { 9.9, 0.1, 0.08 } }, 1.2, 0.1, 2000), r); });

    //== L: leads ==============================================================
    add ("L01_Hoover_F", [] (Rand& r) { auto p = synthOf (F3, SAW, 4000, 0, 0.1, 0.5, 0.9, 1.0, 1.6); p.voices = 5; p.detune = 35; p.bend = -7; p.bendTau = 0.03; p.chorus = 0.4; p.release = 0.3; return synth (p, r); });
    add ("L02_Saw_Seq_F_130", [] (Rand& r)
    {
        auto p = synthOf (F3, SAW, 600, 2.5, 0.1, 0.15, 0.2, 0.1, 0.4); p.res = 0.4;
        return sequence (130, { { 0, 0 }, { 2, 12 }, { 3, 0 }, { 5, 7 }, { 6, 0 }, { 8, 10 }, { 10, 0 }, { 11, 3 }, { 13, 0 }, { 14, 12 } }, p, 0.8, r);
    });
    add ("L03_FM_Pling_F", [] (Rand& r) { return fm (fmOf (midiHz (F5), 2.0, 3.0, 0.08, 0.8, 1.0), r); });
    add ("L04_Bleep_High", [] (Rand& r) { auto p = fmOf (2093, 1.0, 0.3, 0.1, 0.25, 0.3); p.attack = 0.001; return fm (p, r); });
    add ("L05_Arp_Fm_130", [] (Rand& r)
    {
        auto p = synthOf (F4, PULSE, 1800, 1.5, 0.08, 0.12, 0.2, 0.1, 0.4); p.pw = 0.35;
        Buf b = sequence (130, { { 0, 0 }, { 1, 3 }, { 2, 7 }, { 3, 12 }, { 4, 7 }, { 5, 3 }, { 6, 0 }, { 7, 3 }, { 8, 7 }, { 9, 12 }, { 10, 15 }, { 11, 12 }, { 12, 7 }, { 13, 3 }, { 14, 7 }, { 15, 3 } }, p, 0.7, r);
        addEcho (b, 60.0 / 130.0 * 0.75, 0.3, 0.25, 1.0);
        return b;
    });
    add ("L06_Square_Lead_F", [] (Rand& r) { auto p = synthOf (F4, PULSE, 3500, 0, 0.1, 0.4, 0.8, 1.0, 1.4); p.vibHz = 5.5; p.vibDepth = 0.15; return synth (p, r); });
    add ("L07_Metal_Pling_Detuned", [] (Rand& r) { auto p = fmOf (1000, 3.5, 2.0, 0.2, 1.0, 1.2); p.detune = 25; return fm (p, r); });
    add ("L08_Sync_Scream_F", [] (Rand& r) { auto p = synthOf (F4, SAW, 5000, 0, 0.1, 0.4, 0.8, 0.9, 1.3); p.sync = 2.5; p.syncEnv = 1.2; p.drive = 1.5; return synth (p, r); });
    add ("L09_Acid_Dist_F", [] (Rand& r) { auto p = synthOf (F3, SAW, 400, 3.0, 0.2, 0.3, 0.6, 0.5, 0.9); p.res = 0.9; p.drive = 4; return synth (p, r); });
    add ("L10_Screech_F", [] (Rand& r) { auto p = synthOf (F5, SAW, 2000, 1.0, 0.3, 0.4, 0.8, 0.7, 1.0); p.voices = 2; p.detune = 20; p.res = 0.8; p.drive = 3; return synth (p, r); });
    add ("L11_Alarm", [] (Rand& r)
    {
        Buf b (frames (1.6));
        Osc o; Svf f; f.set (3000, 0.7);
        for (int i = 0; i < b.size(); ++i) { const double t = i / kRate; b.l[(size_t) i] = f.lp (o.pulse (std::fmod (t, 0.25) < 0.125 ? 960.0 : 770.0)) * 0.6; }
        envelope (b, { { 0, 0 }, { 0.01, 1 }, { 1.5, 1 }, { 1.6, 0 } });
        (void) r;
        return b;
    });

    //== T: textures ===========================================================
    add ("T01_Dark_Pad_Fm", [] (Rand& r)
    {
        auto p = synthOf (F2, SAW, 700, 0, 0.1, 1.0, 1.0, 4.5, 6.0); p.notes = { 0, 7, 12, 15 }; p.voices = 3; p.detune = 12; p.attack = 1.2; p.release = 1.2; p.chorus = 0.5; p.res = 0.15;
        Buf b = synth (p, r);
        addReverb (b, 0.3, 3.0, 0.3, 0.4, 0.0);
        return b;
    });
    add ("T02_Industrial_Noise", [] (Rand& r)
    {
        Buf b = noiseSweep (5.0, 400, 1200, 1.2, 1, r);
        crush (b, 3, 6);
        for (int i = 0; i < b.size(); ++i) { const double g = 0.6 + 0.4 * std::sin (kTwoPi * 2.17 * i / kRate); b.l[(size_t) i] *= g; b.r[(size_t) i] *= 1.6 - g; }
        envelope (b, { { 0, 0 }, { 0.5, 1 }, { 4.0, 1 }, { 5.0, 0 } });
        return b;
    });
    add ("T03_Steam", [] (Rand& r) { return steamHiss (2.5, r); });
    add ("T04_Subway_Hum", [] (Rand& r)
    {
        Buf b = hum (6.0, 50.0, 8, 0.3, r);
        b.mix (noiseSweep (6.0, 120, 80, 0.7, 0, r), 0, 1.2);
        envelope (b, { { 0, 0 }, { 1.0, 1 }, { 5.0, 1 }, { 6.0, 0 } });
        return b;
    });
    add ("T05_Metal_Drone_F", [] (Rand& r)
    {
        Buf b (frames (6.0), true);
        static const double kP[7][2] = { { 1, 1.0 }, { 2, 0.6 }, { 3, 0.45 }, { 4.23, 0.3 }, { 5.91, 0.25 }, { 7.37, 0.15 }, { 9.8, 0.1 } };
        for (int i = 0; i < b.size(); ++i)
        {
            const double t = i / kRate;
            double l = 0, rr = 0;
            for (int k = 0; k < 7; ++k)
            {
                const double f = midiHz (F2) * kP[k][0];
                l += kP[k][1] * std::sin (kTwoPi * f * t) * (0.7 + 0.3 * std::sin (kTwoPi * (0.11 + 0.05 * k) * t));
                rr += kP[k][1] * std::sin (kTwoPi * f * 1.0012 * t + k) * (0.7 + 0.3 * std::sin (kTwoPi * (0.13 + 0.04 * k) * t + 1));
            }
            b.l[(size_t) i] = l; b.r[(size_t) i] = rr;
        }
        (void) r;
        envelope (b, { { 0, 0 }, { 1.0, 1 }, { 4.8, 1 }, { 6.0, 0 } });
        return b;
    });
    add ("T06_Tape_Hiss", [] (Rand& r)
    {
        Buf b = noiseSweep (4.0, 6000, 6000, 0.3, 1, r);
        envelope (b, { { 0, 0 }, { 0.3, 1 }, { 3.5, 1 }, { 4.0, 0 } });
        return b;
    });
    add ("T07_Rumble_Bed_130", [] (Rand& r)
    {
        Buf b = noiseSweep (2.0 * 240.0 / 130.0 + 0.5, 110, 90, 0.8, 0, r);
        for (int beat = 0; beat < 8; ++beat)
            b.mix (kick (kickOf (90, 45, 0.03, 0.5, 0.0, 2.5, 0.5), r), frames (beat * 60.0 / 130.0), 0.3);
        envelope (b, { { 0, 0 }, { 0.2, 1 }, { 3.2, 1 }, { 4.2, 0 } });
        return b;
    });
    add ("T08_Drone_Dark_F", [] (Rand& r)
    {
        auto p = synthOf (F1, SAW, 260, 0, 0.1, 1.0, 1.0, 5.0, 6.0); p.notes = { 0, 12 }; p.voices = 3; p.detune = 9; p.attack = 1.0; p.release = 1.0; p.res = 0.3;
        return synth (p, r);
    });
    add ("T09_Wind_Tunnel", [] (Rand& r)
    {
        Buf b (frames (6.0), true);
        for (int ch = 0; ch < 2; ++ch)
        {
            Svf f; auto& out = ch == 0 ? b.l : b.r;
            for (int i = 0; i < b.size(); ++i)
            {
                const double t = i / kRate;
                if (i % 16 == 0) f.set (500.0 * std::pow (2.0, 1.2 * std::sin (kTwoPi * 0.09 * t + ch) + 0.4 * std::sin (kTwoPi * 0.23 * t)), 2.0);
                out[(size_t) i] = f.bp (r.bi());
            }
        }
        envelope (b, { { 0, 0 }, { 1.0, 1 }, { 5.0, 1 }, { 6.0, 0 } });
        return b;
    });
    add ("T10_Machine_Room", [] (Rand& r)
    {
        Buf b = hum (6.0, 60.0, 10, 0.25, r);
        b.mix (noiseSweep (6.0, 300, 300, 0.8, 1, r), 0, 0.3);
        for (double t = 0.1; t < 5.5; t += 0.4)
            b.mix (modal (modalOf (r.range (700, 900), anvil (0.15), 0.3, 0.3, 3000), r), frames (t), 0.25, r.bi() * 0.5);
        envelope (b, { { 0, 0 }, { 0.5, 1 }, { 5.3, 1 }, { 6.0, 0 } });
        return b;
    });
    add ("T11_Steamroller_138", [] (Rand& r)
    {
        const double eighth = 60.0 / 138.0 / 2.0;
        Buf b (frames (16 * eighth + 0.5), true);
        for (int k = 0; k < 16; ++k)
        {
            Buf chug = noiseSweep (0.25, 700, 300, 0.9, 0, r);
            envelope (chug, { { 0, 0 }, { 0.005, 1 }, { 0.2, 0 } });
            b.mix (chug, frames (k * eighth), k % 2 ? 0.6 : 1.0);
            if (k % 2 == 0) b.mix (kick (kickOf (110, 50, 0.02, 0.2, 0.0, 2.0, 0.25), r), frames (k * eighth), 0.5);
        }
        b.mix (steamHiss (1.5, r), frames (6.0 * eighth), 0.3);
        return b;
    });
    add ("T12_Jungle_Night", [] (Rand& r)
    {
        Buf b = noiseSweep (6.0, 2500, 2500, 0.4, 1, r);
        b.scale (0.15);
        for (double t = 0.05; t < 5.6; t += r.range (0.15, 0.5))
        {
            // A cricket: a chirp of four pulses of a high tone.
            Buf c (frames (0.12));
            const double hz = r.range (4200, 5200);
            for (int i = 0; i < c.size(); ++i) { const double tt = i / kRate; c.l[(size_t) i] = std::sin (kTwoPi * hz * tt) * std::max (0.0, std::sin (kTwoPi * 33.0 * tt)); }
            b.mix (c, frames (t), 0.3, r.bi() * 0.8);
        }
        for (double t = 0.4; t < 5.2; t += r.range (0.7, 1.4))
        {
            VoiceP frog; frog.root = r.range (50, 56); frog.vowels = { UU }; frog.len = 0.18; frog.attack = 0.01; frog.release = 0.05; frog.robot = true;
            b.mix (voice (frog, r), frames (t), 0.4, r.bi() * 0.6);
        }
        envelope (b, { { 0, 0 }, { 0.5, 1 }, { 5.3, 1 }, { 6.0, 0 } });
        return b;
    });

    //== V: voices =============================================================
    add ("V01_Ah_F", [] (Rand& r) { VoiceP p; p.root = F3; p.vowels = { AH }; return voice (p, r); });
    add ("V02_Oh_F", [] (Rand& r) { VoiceP p; p.root = F3; p.vowels = { OH }; return voice (p, r); });
    add ("V03_Vocoder_Ee_F", [] (Rand& r) { VoiceP p; p.root = F3; p.vowels = { EE }; p.robot = true; return voice (p, r); });
    add ("V04_Formant_Chop", [] (Rand& r)
    {
        VoiceP p; p.root = F3; p.vowels = { AH, EE, OH, EH }; p.vowelTime = 0.12; p.len = 0.96; p.release = 0.05;
        Buf b = voice (p, r);
        for (int i = 0; i < b.size(); ++i) { const double ph = std::fmod (i / kRate, 0.12) / 0.12; b.l[(size_t) i] *= ph < 0.7 ? std::min (1.0, ph / 0.02) : std::max (0.0, 1.0 - (ph - 0.7) / 0.05); }
        return b;
    });
    add ("V05_Robot_Vowels_130", [] (Rand& r)
    {
        VoiceP p; p.root = F3; p.vowels = { AH, EE, OH, UU, EH, OH, EE, AH }; p.vowelTime = 30.0 / 130.0; p.robot = true; p.len = 8 * 30.0 / 130.0;
        return voice (p, r);
    });
    add ("V06_Whisper", [] (Rand& r) { VoiceP p; p.whisper = true; p.vowels = { AH, EE, OH }; p.vowelTime = 0.25; p.len = 1.0; p.attack = 0.08; p.release = 0.3; return voice (p, r); });
    add ("V07_Hey_Shout", [] (Rand& r)
    {
        VoiceP p; p.root = 57; p.vowels = { EH }; p.fall = 3; p.attack = 0.01; p.len = 0.45; p.release = 0.12; p.breath = 0.15; p.vibDepth = 0;
        Buf b = voice (p, r);
        Buf h = noiseSweep (0.06, 1800, 1500, 0.8, 1, r, false);   // the breathy onset
        envelope (h, { { 0, 0 }, { 0.01, 1 }, { 0.06, 0 } });
        b.mix (h, 0, 0.4);
        return b;
    });
    add ("V08_Chant_Oh_F", [] (Rand& r) { VoiceP p; p.root = F2; p.vowels = { OH }; p.choir = 5; p.len = 2.5; p.attack = 0.2; p.release = 0.6; Buf b = voice (p, r); addReverb (b, 0.3, 2.5, 0.4, 0.35, 2.0); return b; });

    //== X: effects ============================================================
    add ("X01_Noise_Riser", [] (Rand& r) { Buf b = noiseSweep (4.0, 300, 9000, 1.5, 1, r); envelope (b, { { 0, 0.05 }, { 3.9, 1 }, { 4.0, 0 } }); return b; });
    add ("X02_Downlifter", [] (Rand& r) { Buf b = noiseSweep (3.0, 8000, 200, 1.5, 1, r); envelope (b, { { 0, 0 }, { 0.02, 1 }, { 3.0, 0 } }); return b; });
    add ("X03_Crash", [] (Rand& r) { return crash (4.0, 1.0, r); });
    add ("X04_Crash_Reverse", [] (Rand& r)
    {
        Buf b = reversed (crash (2.5, 1.0, r));
        envelope (b, { { 0, 0 }, { 0.3, 1 }, { 2.44, 1 }, { 2.5, 0 } });   // swells in, closes in 60 ms
        return b;
    });
    add ("X05_Zap_Down", [] (Rand& r)
    {
        Buf b (frames (0.35)); double ph = 0;
        for (int i = 0; i < b.size(); ++i) { const double t = i / kRate; ph += (60.0 + 3000.0 * std::exp (-t / 0.05)) / kRate; b.l[(size_t) i] = std::sin (kTwoPi * ph) * std::exp (-t / 0.12); }
        (void) r; return b;
    });
    add ("X06_Siren", [] (Rand& r)
    {
        Buf b (frames (3.0)); Osc o; Svf f; f.set (2500, 0.8);
        for (int i = 0; i < b.size(); ++i) { const double t = i / kRate, tri = 1.0 - 4.0 * std::fabs (std::fmod (t * 0.5, 1.0) - 0.5); b.l[(size_t) i] = f.lp (o.saw (600.0 * std::pow (2.0, tri))) * 0.5; }
        addReverb (b, 0.2, 1.5, 0.5, 0.3, 0.0);
        envelope (b, { { 0, 0 }, { 0.05, 1 }, { 2.7, 1 }, { 3.0, 0 } });
        (void) r; return b;
    });
    add ("X07_Laser", [] (Rand& r) { auto p = fmOf (200, 1.5, 3.0, 0.1, 0.3, 0.4); p.bend = 4.3; p.bendTau = 0.04; return fm (p, r); });
    add ("X08_Radio_Scrape", [] (Rand& r)
    {
        Buf b (frames (2.0), true);
        Svf f; double ph = 0;
        for (int i = 0; i < b.size(); ++i)
        {
            const double t = i / kRate;
            if (i % 32 == 0) f.set (800.0 * std::pow (2.0, 2.0 * std::sin (kTwoPi * 1.3 * t) + std::sin (kTwoPi * 4.1 * t)), 4.0);
            ph += (1200.0 + 900.0 * std::sin (kTwoPi * 0.7 * t)) / kRate;
            const double v = f.bp (r.bi()) * 1.5 + 0.15 * std::sin (kTwoPi * ph) * (std::sin (kTwoPi * 3.0 * t) > 0.3 ? 1.0 : 0.0);
            b.l[(size_t) i] = v; b.r[(size_t) i] = v * 0.8;
        }
        envelope (b, { { 0, 0 }, { 0.05, 1 }, { 1.7, 1 }, { 2.0, 0 } });
        return b;
    });
    add ("X09_Glitch_Granular", [] (Rand& r)
    {
        Buf b (frames (1.6), true);
        for (double t = 0; t < 1.45; t += r.range (0.02, 0.09))
        {
            const double len = r.range (0.01, 0.05);
            Buf g = r.unit() < 0.5 ? fm (fmOf (r.range (200, 3000), r.range (1, 4), r.range (0, 5), 0.05, len * 2, len), r) : noiseSweep (len, r.range (500, 8000), r.range (500, 8000), 2.0, 1, r, false);
            envelope (g, { { 0, 0 }, { 0.002, 1 }, { len - 0.003, 1 }, { len, 0 } });
            b.mix (g, frames (t), r.range (0.3, 1.0), r.bi() * 0.9);
        }
        return b;
    });
    add ("X10_Tape_Stop", [] (Rand& r) { return tapeStop (r); });
    add ("X11_Metal_Slam", [] (Rand& r)
    {
        Buf b = modal (modalOf (180, anvil (1.8), 2.5, 0.8, 2500), r);
        b.mix (kick (kickOf (150, 45, 0.03, 0.5, 0.4, 3.0, 0.6), r), 0, 0.7);
        b.mix (metalClusters (5, 0.05, 400, 2000, 0.8, r), 0, 0.5);
        return b;
    });
    add ("X12_Impact_Steel", [] (Rand& r)
    {
        Buf b = kick (kickOf (80, 32, 0.1, 2.0, 0.3, 2.0, 2.5), r);
        b.mix (modal (modalOf (310, anvil (2.2), 2.5, 0.5, 3000), r), 0, 0.5);
        addReverb (b, 0.35, 2.5, 0.4, 0.35, 0.5);
        return b;
    });
    add ("X13_Riser_Grind_138", [] (Rand& r)
    {
        const double len = 4 * 240.0 / 138.0, sixteenth = 60.0 / 138.0 / 4.0;
        Buf b (frames (len), true); Osc o1, o2; Ladder lad;
        for (int i = 0; i < b.size(); ++i)
        {
            const double t = i / kRate, x = t / len;
            const double f = midiHz (F2) * std::pow (2.0, 2.0 * x);
            lad.set (300.0 * std::pow (2.0, 5.0 * x), 0.5);
            double v = softClip (lad.tick (o1.saw (f) + o2.saw (f * 1.01) + 0.3 * r.bi()), 3.0);
            const double gate = std::fmod (t, sixteenth) / sixteenth < 0.5 + 0.5 * (1.0 - x) ? 1.0 : 0.2;
            b.l[(size_t) i] = v * gate * x; b.r[(size_t) i] = v * gate * x;
        }
        envelope (b, { { 0, 1 }, { len - 0.08, 1 }, { len, 0 } });
        return b;
    });
    add ("X14_Crash_Clean", [] (Rand& r) { return crash (3.5, 1.2, r); });

    //== F: the forge ==========================================================
    auto anvilHit = [] (double hz, double ring, Rand& r)
    {
        auto p = modalOf (hz, anvil (ring), ring * 1.1, 0.6, 4000); p.exTau = 0.003;
        Buf b = modal (p, r);
        b.mix (drum (150, 0.04, 0.2, 0.0, 1000, 0.06, r), 0, 0.3);   // the hammer's own thud
        return b;
    };
    add ("F01_Stad_F", [anvilHit] (Rand& r) { return anvilHit (midiHz (F5), 2.0, r); });
    add ("F02_Stad_Ab", [anvilHit] (Rand& r) { return anvilHit (midiHz (80), 2.0, r); });
    add ("F03_Stad_C", [anvilHit] (Rand& r) { return anvilHit (midiHz (84), 1.8, r); });
    add ("F04_Stad_Lag_F", [anvilHit] (Rand& r) { return anvilHit (midiHz (F4), 2.4, r); });
    add ("F05_Hammare_Stal", [] (Rand& r) { auto p = modalOf (1800, { { 1.0, 1.0, 0.35 }, { 2.6, 0.6, 0.25 }, { 4.1, 0.4, 0.2 } }, 0.8, 0.8, 3000); p.drive = 1.5; return modal (p, r); });
    add ("F06_Slagga_Tung", [] (Rand& r) { Buf b = drum (90, 0.3, 0.3, 0.6, 1200, 0.6, r); b.mix (modal (modalOf (520, anvil (1.2), 1.5, 0.3, 2500), r), 0, 0.5); return b; });
    add ("F07_Platslag", [] (Rand& r)
    {
        Buf b (frames (2.5), true);
        for (int ch = 0; ch < 2; ++ch)
        {
            ModalP p; p.hz = 200; p.len = 2.5; p.exAmt = 0.5; p.exHz = 2000;
            for (int k = 0; k < 20; ++k) p.modes.push_back ({ r.range (1.0, 15.0), r.range (0.2, 1.0) / 10.0, r.range (0.6, 2.0) });
            Buf m = modal (p, r);
            (ch == 0 ? b.l : b.r) = m.l;
        }
        return b;
    });
    add ("F08_Kedja", [] (Rand& r) { return metalClusters (25, 0.6, 2000, 5000, 0.12, r); });
    add ("F09_Fjader", [] (Rand& r)
    {
        Buf b = spring (1.2, 110, r);
        double ph = 0;
        for (int i = 0; i < b.size(); ++i) { const double t = i / kRate; ph += (200.0 * (1.0 + 0.3 * std::sin (kTwoPi * 7.0 * t) * std::exp (-t / 0.4))) / kRate; b.l[(size_t) i] += 0.4 * std::sin (kTwoPi * ph) * std::exp (-t / 0.3); }
        return b;
    });
    add ("F10_Hardning", [] (Rand& r)
    {
        Buf b = noiseSweep (2.5, 5000, 3000, 0.5, 2, r);
        envelope (b, { { 0, 0 }, { 0.02, 1 }, { 0.4, 0.6 }, { 2.5, 0 } });
        b.mix (sparkles (2.0, 400, 3000, r), 0, 0.6);
        return b;
    });
    add ("F11_Blasbalg", [] (Rand& r)
    {
        Buf b = noiseSweep (1.4, 500, 900, 0.7, 0, r);
        envelope (b, { { 0, 0 }, { 0.5, 1 }, { 0.65, 0.3 }, { 1.3, 0.8 }, { 1.4, 0 } });
        return b;
    });
    add ("F12_Gjutklocka_F", [] (Rand& r)
    {
        // Hum, prime, minor tierce, quint, nominal: a minor-third bell on F.
        auto p = modalOf (midiHz (F3), { { 1.0, 1.0, 4.5 }, { 2.0, 0.8, 3.5 }, { 2.378, 0.5, 2.5 }, { 2.997, 0.35, 2.0 }, { 4.0, 0.45, 1.6 }, { 5.04, 0.2, 1.0 }, { 6.7, 0.1, 0.7 } }, 5.0, 0.3, 2500);
        return modal (p, r);
    });
    add ("F13_Ror_Stort", [] (Rand& r) { return modal (modalOf (260, bar (2.5), 3.0, 0.3, 2500), r); });
    add ("F14_Rorslag_Kort", [] (Rand& r) { return modal (modalOf (620, bar (0.35), 0.8, 0.4, 3000), r); });
    add ("F15_Skrot", [] (Rand& r) { Buf b = metalClusters (4, 0.15, 300, 1500, 0.6, r); b.apply ([] (double x) { return softClip (x, 1.5); }); return b; });
    add ("F16_Gnista", [] (Rand& r) { return sparkles (0.9, 900, 5000, r); });

    //== Lp: loops, exact whole bars ===========================================
    loop ("Lp01_Perc_Swedish_130", 130, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("x..x..x...x..x..", modal (modalOf (700, bar (0.14), 0.3), r), 0.8, -0.4);
        lb.pattern ("....X.......X...", modal (modalOf (2500, { { 1.0, 1.0, 0.1 } }, 0.15, 0.1), r), 0.5, 0.3);
        lb.pattern ("..x...x.x..x..x.", drum (230, 0.4, 0.06, 0.15, 1500, 0.6, r), 0.7, 0.2);
        ShakeP s; lb.pattern ("xxXxxxXxxxXxxxXx", shaker (s, r), 0.35, 0.5, 0.08, &r);
    });
    loop ("Lp02_Minimal_Click_130", 130, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("X...X...X...X...", kick (kickOf (170, 56, 0.025, 0.3, 0.15, 1.1, 0.5), r), 1.0);
        lb.pattern ("..x...x...x...xx", hClosed (r, 0.025), 0.5, 0.2);
        lb.pattern ("...x.....x...x..", fm (fmOf (1200, 1.0, 0.5, 0.02, 0.07, 0.15), r), 0.4, -0.3);
        lb.pattern ("......X.......X.", modal (modalOf (1650, { { 1.0, 1.0, 0.035 }, { 0.31, 0.7, 0.05 } }, 0.15, 0.5, 5000), r), 0.5, 0.1);
    });
    loop ("Lp03_Industrial_Perc_130", 130, 2, [] (LoopBuilder& lb, Rand& r)
    {
        auto h = hatOf (0.06, 0.25); h.bits = 6; h.sh = 3; h.drive = 2;
        lb.pattern ("x.xxx.xxx.xxx.xx", hat (h, r), 0.4, 0.3);
        lb.pattern ("X.....x...X..x..", modal (modalOf (600, anvil (0.5), 0.8, 0.4, 4000), r), 0.6, -0.3);
        SnareP s; s.bodyAmt = 0.3; s.noiseAmt = 1.0; s.drive = 3; s.bits = 8;
        lb.pattern ("....X.......X...", snare (s, r), 0.7);
        lb.pattern ("..x.....x.x.....", fm (fmOf (320, 1.41, 4.0, 0.15, 0.3, 0.5), r), 0.4, 0.4);
    });
    loop ("Lp04_Bass_5step_F_130", 130, 2, [] (LoopBuilder& lb, Rand& r)
    {
        auto p = synthOf (F2, SAW, 350, 1.8, 0.12, 0.2, 0.4, 0.2, 0.5); p.res = 0.4; p.sub = 0.3;
        const Buf root = synth (p, r); p.root = F2 + 7; const Buf fifth = synth (p, r); p.root = F2 + 12; const Buf oct = synth (p, r);
        for (int st = 0; st < 32; st += 5) lb.hit (st, (st / 5) % 3 == 2 ? fifth : (st / 5) % 4 == 3 ? oct : root, 0.8);
    });
    auto acidLine = [] (LoopBuilder& lb, Rand& r, int stepLen, double res, double drive)
    {
        static const double kNotes[7] = { 0, 12, 0, 3, 0, 10, 7 };
        for (int st = 0, k = 0; st < 32; ++st, ++k)
        {
            if (st % 16 == 15) continue;
            auto p = synthOf (F2 + kNotes[k % stepLen], SAW, 220, (k % stepLen) == 1 ? 4.0 : 2.5, 0.15, 0.2, 0.5, 0.09, 0.35);
            p.res = res; p.drive = drive;
            lb.hit (st, synth (p, r), (k % stepLen) == 1 ? 0.8 : 0.6);
        }
    };
    loop ("Lp05_Acid_7step_F_130", 130, 2, [acidLine] (LoopBuilder& lb, Rand& r) { acidLine (lb, r, 7, 0.7, 1.5); });
    loop ("Lp06_Chord_11step_Fm_130", 130, 2, [] (LoopBuilder& lb, Rand& r)
    {
        auto p = synthOf (F3, SAW, 900, 1.5, 0.12, 0.25, 0.2, 0.15, 0.6); p.notes = kMinor7; p.voices = 2; p.detune = 6;
        const Buf chord = synth (p, r);
        for (int st = 0; st < 32; st += 11) lb.hit (st, chord, 0.8);
        Buf echo = chord; addEcho (echo, 60.0 / 130.0 * 0.75, 0.5, 0.5, 2.0);
        for (int st = 0; st < 32; st += 11) lb.hit (st, echo, 0.25);
    });
    loop ("Lp07_Acid_Screaming_F_130", 130, 2, [acidLine] (LoopBuilder& lb, Rand& r) { acidLine (lb, r, 5, 0.85, 4.0); });
    loop ("Lp08_Full_Groove_130", 130, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("X...X...X...X...", kLoopKick (r), 1.0);
        lb.pattern ("..x...x...x...x.", hOpen (r), 0.35, 0.2);
        lb.pattern ("x.x.x.x.x.x.x.x.", hClosed (r), 0.3, -0.2, 0.05);
        lb.pattern ("....X.......X...", clap (ClapP {}, r), 0.5);
        auto p = synthOf (F2, SAW, 350, 1.8, 0.15, 0.3, 0.5, 0.15, 0.4); p.res = 0.35; p.sub = 0.4;
        lb.pattern ("..X...X...X...X.", synth (p, r), 0.6);
    });
    loop ("Lp09_Hardgroove_Perc_138", 138, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("X...X...X...X...", kick (kickOf (240, 54, 0.025, 0.4, 0.45, 2.5, 0.5), r), 1.0);
        lb.pattern ("xxXxxxXxxxXxxxXx", hat (hatOf (0.06, 0.25), r), 0.35, 0.2, 0.0, &r);
        lb.pattern ("..x..x....x..x.x", modal (modalOf (1900, { { 1.0, 1.0, 0.035 }, { 0.31, 0.7, 0.05 } }, 0.15, 0.5, 5000), r), 0.45, -0.3);
        lb.pattern ("......X.......X.", modal (modalOf (480, { { 1.0, 1.0, 0.25 }, { 1.48, 0.8, 0.22 }, { 3.0, 0.3, 0.12 } }, 0.4), r), 0.4, 0.3);
    });
    loop ("Lp10_Angvalt_Top_138", 138, 2, [] (LoopBuilder& lb, Rand& r)
    {
        auto h = hatOf (0.08, 0.3); h.drive = 3;
        lb.pattern ("xXxxxXxxxXxxxXxx", hat (h, r), 0.4, 0.2, 0.0, &r);
        auto ride = hatOf (1.0, 1.5); ride.bell = 0.4; ride.drive = 2.5;
        lb.pattern ("..X...X...X...X.", hat (ride, r), 0.3, -0.2);
        lb.pattern ("....X.......X..x", modal (modalOf (1300, anvil (0.2), 0.5, 0.8, 2500), r), 0.4);
    });
    loop ("Lp11_Angvalt_Groove_138", 138, 2, [] (LoopBuilder& lb, Rand& r)
    {
        auto k = kickOf (200, 50, 0.03, 0.6, 0.3, 4.0, 1.2); k.rumble = 0.8;
        lb.pattern ("X...X...X...X...", kick (k, r), 1.0);
        auto h = hatOf (0.08, 0.3); h.drive = 3;
        lb.pattern ("..x...x...x...x.", hat (h, r), 0.35, 0.2);
        lb.pattern ("....X.......X...", modal (modalOf (1300, anvil (0.2), 0.5, 0.8, 2500), r), 0.35, -0.2);
    });
    loop ("Lp12_Tech_House_Top_125", 125, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("..X...X...X...X.", hat (hatOf (0.3, 0.6), r), 0.35, 0.2);
        ShakeP s; lb.pattern ("xxXxxxXxxxXxxxXx", shaker (s, r), 0.3, -0.3, 0.1, &r);
        ClapP c; c.tail = 0.25; c.verb = 0.15;
        lb.pattern ("....X.......X...", clap (c, r), 0.45);
        lb.pattern ("x..x..x...x..x..", hat (hatOf (0.035, 0.15), r), 0.25, 0.4, 0.1);
    });
    loop ("Lp13_Tribal_Perc_125", 125, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("X..x..X...x.x...", drum (190, 0.35, 0.1, 0.2, 1500, 0.6, r), 0.7, -0.3);
        lb.pattern ("..X..x....X..x.x", drum (280, 0.3, 0.1, 0.2, 1800, 0.5, r), 0.6, 0.3);
        lb.pattern ("x.......x..x....", drum (90, 0.6, 0.25, 0.15, 1500, 1.0, r), 0.7);
        lb.pattern ("....x.......x...", modal (modalOf (700, bar (0.14), 0.3), r), 0.4, 0.5);
    });
    loop ("Lp14_Afro_3mot4_125", 125, 2, [] (LoopBuilder& lb, Rand& r)
    {
        // Three against four: a bell in dotted eighths over four even beats.
        const Buf bell = modal (modalOf (900, { { 1.0, 1.0, 0.5 }, { 2.32, 0.4, 0.3 } }, 0.7, 0.15, 4000), r);
        for (double st = 0; st < 32; st += 16.0 / 3.0) lb.hit (st, bell, 0.5, 0.3);
        lb.pattern ("X...X...X...X...", drum (80, 0.3, 0.3, 0.2, 600, 0.5, r), 0.8);
        lb.pattern ("..x...x...x...x.", drum (260, 0.25, 0.08, 0.25, 1500, 0.4, r), 0.5, -0.3);
        ShakeP s; lb.pattern ("xxxxxxxxxxxxxxxx", shaker (s, r), 0.25, 0.4, 0.06, &r);
    });
    loop ("Lp15_Bongo_Loop_125", 125, 2, [] (LoopBuilder& lb, Rand& r)
    {
        lb.pattern ("X.x.X.xxX.x.X.x.", drum (420, 0.12, 0.08, 0.25, 3000, 0.25, r), 0.6, 0.3, 0.05);
        lb.pattern (".x..x.x..x..x.xx", drum (300, 0.15, 0.08, 0.25, 2500, 0.3, r), 0.6, -0.3, 0.05);
    });
    return all;
}
} // namespace

const std::vector<Recipe>& recipes()
{
    static const std::vector<Recipe> all = build();
    return all;
}

double targetLoudness (const std::string& name)
{
    if (name.rfind ("Lp", 0) == 0) return -12.0;
    static const std::map<char, double> kByCategory {
        { 'K', -6.0 }, { 'H', -17.0 }, { 'C', -14.0 }, { 'P', -14.0 }, { 'B', -11.0 }, { 'S', -14.0 },
        { 'L', -14.0 }, { 'T', -18.0 }, { 'V', -14.0 }, { 'X', -14.0 }, { 'F', -14.0 },
    };
    const auto it = kByCategory.find (name[0]);
    return it != kByCategory.end() ? it->second : -14.0;
}

} // namespace samplegen
