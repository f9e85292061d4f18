#pragma once

// The instrument families the recordings are played on. Each takes a small
// parameter record and the recording's own random stream.

#include "Dsp.h"

#include <vector>

namespace samplegen
{

struct KickP
{
    double f0 = 190, f1 = 50, tau = 0.025;   // pitch sweep: start, end (Hz), time constant (s)
    double decay = 0.45, hold = 0.0;         // amplitude: 60 dB time after a hold (s)
    double click = 0.25, clickHz = 3000;     // beater transient
    double drive = 1.3, clip = 0.0;          // tanh drive; hard clip level (0 = off)
    int bits = 0, sh = 1;                    // crush
    double rumble = 0.0, rumbleT = 1.2, rumbleHz = 140;
    double tom = 0.0;                        // second membrane mode
    double len = 0.9;
};
Buf kick (const KickP& p, Rand& rng);

struct HatP
{
    double decay = 0.05, tone = 1.0, bp = 9500, bpQ = 1.1, hp = 7000, noise = 0.35;
    double attack = 0.0003, drive = 0.0;
    int bits = 0, sh = 1;
    double bell = 0.0, bellDecay = 1.5, bellHz = 3100;   // ride partials
    double verb = 0.0, verbT = 1.2;
    double len = 0.3, tape = 0.0, width = 0.0;
};
Buf hat (const HatP& p, Rand& rng);

// Noise grains with a soft attack: shakers, cabasa, tambourine jingles.
struct ShakeP
{
    double attack = 0.012, decay = 0.07, hz = 7000, q = 1.2, hp = 3000;
    int grains = 1; double spacing = 0.03, jingle = 0.0, len = 0.25;
};
Buf shaker (const ShakeP& p, Rand& rng);

struct ClapP
{
    int bursts = 4; double spacing = 0.010, hz = 1150, q = 1.4, tail = 0.2;
    double gate = 0.0, verb = 0.0, verbT = 1.0, drive = 0.0, width = 0.3, hp = 500;
    int bits = 0; double len = 0.6;
};
Buf clap (const ClapP& p, Rand& rng);

struct SnareP
{
    double body = 190, body2 = 330, bodyDecay = 0.12, bodyAmt = 0.7, bend = 0.4;
    double noiseAmt = 0.6, noiseHp = 1800, noiseLp = 9000, noiseDecay = 0.18;
    double drive = 0.0, verb = 0.0, verbT = 0.9; int bits = 0, sh = 1; double len = 0.6;
};
Buf snare (const SnareP& p, Rand& rng);

struct Mode { double ratio, amp, t60; };
struct ModalP
{
    double hz = 200;
    std::vector<Mode> modes;
    double bend = 0.0, bendTau = 0.03;      // pitch starts bend octaves high
    double exAmt = 0.3, exTau = 0.002, exHz = 3000, exQ = 0.8;   // noise exciter
    double drive = 0.0, verb = 0.0, verbT = 1.0; int bits = 0, sh = 1;
    double len = 1.0, attack = 0.0002, slide = 0.0, slideTau = 0.1;   // slide: a late bend (talking drum)
};
Buf modal (const ModalP& p, Rand& rng);

struct FmP
{
    double hz = 440, ratio = 1.0, index = 2.0, indexT = 0.2, decay = 0.5, feedback = 0.0;
    double ratio2 = 0.0, index2 = 0.0, drive = 0.0, bend = 0.0, bendTau = 0.02, attack = 0.0005;
    double detune = 0.0, len = 1.0; int bits = 0, sh = 1;
};
Buf fm (const FmP& p, Rand& rng);

enum Wave { SAW, PULSE, SINE, TRI, ORGAN };
struct SynthP
{
    double root = 41;                 // MIDI note of the recording's root
    std::vector<double> notes { 0 };  // chord, semitones above the root
    Wave wave = SAW; double pw = 0.5, pwm = 0.0;
    int voices = 1; double detune = 0.0;           // unison spread in cents
    double sub = 0.0, noise = 0.0;
    double cutoff = 1500, res = 0.2, env = 0.0, envDecay = 0.2;   // env in octaves
    bool ladder = true;
    double attack = 0.004, decay = 0.4, sustain = 0.6, gate = 0.4, release = 0.15;
    double bend = 0.0, bendTau = 0.05;             // pitch starts bend semitones away
    double vibHz = 0.0, vibDepth = 0.0;            // depth in semitones
    double sync = 0.0, syncEnv = 0.0;              // slave ratio, and its sweep
    double drive = 0.0, fold = 0.0; int bits = 0, sh = 1;
    double chorus = 0.0, len = 1.5;
};
Buf synth (const SynthP& p, Rand& rng);

enum Vowel { AH, OH, EE, EH, UU };
struct VoiceP
{
    double root = 53; std::vector<Vowel> vowels { AH }; double vowelTime = 0.0;   // 0: hold the first
    double vibHz = 5.2, vibDepth = 0.25, jitter = 0.15, breath = 0.04;
    bool whisper = false, robot = false;
    double attack = 0.04, len = 1.2, release = 0.2, fall = 0.0;   // fall: semitones over the note
    int choir = 1;
};
Buf voice (const VoiceP& p, Rand& rng);

// A noise band whose centre moves from hz0 to hz1 (exponentially) under env.
Buf noiseSweep (double len, double hz0, double hz1, double q, int mode, Rand& rng, bool stereo = true);
// Shapes b by a piecewise-linear envelope of (seconds, level) points.
void envelope (Buf& b, const std::vector<std::pair<double, double>>& pts);
Buf reversed (const Buf& b);

} // namespace samplegen
