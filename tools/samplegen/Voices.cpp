#include "Voices.h"

namespace samplegen
{

Buf kick (const KickP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n);
    double phase = 0, phase2 = 0;
    Svf clickF; clickF.set (p.clickHz, 0.9);
    const double c = decayCoef (p.decay);
    double env = 1.0;
    for (int i = 0; i < n; ++i)
    {
        const double t = i / kRate;
        const double f = p.f1 + (p.f0 - p.f1) * std::exp (-t / p.tau);
        phase += f / kRate; phase -= std::floor (phase);
        phase2 += 1.57 * f / kRate; phase2 -= std::floor (phase2);
        double s = std::sin (kTwoPi * phase);
        if (p.tom > 0) s += p.tom * std::sin (kTwoPi * phase2) * std::exp (-t / 0.08);
        if (t >= p.hold) env *= c;
        const double clickEnv = std::exp (-t / 0.0012);
        const double cl = p.click * (clickF.bp (rng.bi()) * 2.0 + 0.5 * std::sin (kTwoPi * p.clickHz * 0.5 * t)) * clickEnv;
        double y = s * env + cl;
        if (p.drive > 0) y = softClip (y, p.drive);
        if (p.clip > 0) y = hardClip (y, p.clip) * std::min (1.0, env * 4.0 + 0.05) / std::min (1.0, 1.0);
        b.l[(size_t) i] = y;
    }
    if (p.rumble > 0)
    {
        // The kick fed into a short dark room and overdriven: the rumble under techno kicks.
        Buf wet = b;
        Reverb rv (0.09, p.rumbleT, 0.5);
        Svf lp1, lp2; lp1.set (p.rumbleHz, 0.8); lp2.set (p.rumbleHz, 0.8);
        for (int i = 0; i < n; ++i)
        {
            double ol, orr;
            rv.process (b.l[(size_t) i], b.l[(size_t) i], ol, orr);
            const double t = i / kRate;
            const double duck = 1.0 - std::exp (-t / 0.07);
            wet.l[(size_t) i] = softClip (lp2.lp (lp1.lp (ol + orr)) * 3.0, 2.0) * duck;
        }
        b.mix (wet, 0, p.rumble);
    }
    if (p.bits > 0 || p.sh > 1) crush (b, p.sh, p.bits);
    return b;
}

Buf hat (const HatP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n);
    static const double kF[6] = { 205.3, 304.4, 369.6, 522.7, 540.0, 800.0 };
    double ph[6];
    for (auto& v : ph) v = rng.unit();
    Svf bp, hp; bp.set (p.bp, p.bpQ); hp.set (p.hp, 0.7);
    static const double kBell[5] = { 1.0, 1.393, 1.687, 2.214, 2.871 };
    const double c = decayCoef (p.decay), cb = decayCoef (p.bellDecay);
    double env = 1.0, benv = 1.0, tapeLp = 0;
    OnePole tape; tape.set (7500);
    for (int i = 0; i < n; ++i)
    {
        const double t = i / kRate;
        double metal = 0;
        for (int k = 0; k < 6; ++k)
        {
            ph[k] += p.tone * kF[k] / kRate; if (ph[k] >= 1) ph[k] -= 1;
            metal += ph[k] < 0.5 ? 1.0 : -1.0;
        }
        metal /= 6.0;
        const double x = rng.bi() * p.noise + (1.0 - p.noise) * metal;
        double y = hp.hp (2.0 * bp.bp (x));
        const double att = p.attack > 0 ? std::min (1.0, t / p.attack) : 1.0;
        y *= env * att;
        env *= c;
        if (p.bell > 0)
        {
            double bell = 0;
            for (int k = 0; k < 5; ++k) bell += std::sin (kTwoPi * p.bellHz * kBell[k] * t + k) / (1.0 + k * 0.5);
            y += p.bell * bell * 0.25 * benv * att;
            benv *= cb;
        }
        if (p.drive > 0) y = softClip (y * 2.0, p.drive) * 0.5;
        if (p.tape > 0) { tapeLp = tape.tick (std::tanh (y * (1.0 + 3.0 * p.tape))); y = tapeLp; }
        b.l[(size_t) i] = y;
    }
    if (p.bits > 0 || p.sh > 1) crush (b, p.sh, p.bits);
    if (p.width > 0)
    {
        // A few milliseconds of offset between the sides: width without phasey mono.
        b.makeStereo();
        const int d = frames (0.0007 * p.width);
        for (int i = n - 1; i >= d; --i) b.r[(size_t) i] = b.r[(size_t) (i - d)];
        for (int i = 0; i < d; ++i) b.r[(size_t) i] = 0;
    }
    if (p.verb > 0) addReverb (b, 0.12, p.verbT, 0.45, p.verb, p.verbT * 0.9);
    return b;
}

Buf shaker (const ShakeP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n);
    Svf bp, hp; bp.set (p.hz, p.q); hp.set (p.hp, 0.7);
    for (int g = 0; g < p.grains; ++g)
    {
        const int start = frames (g * p.spacing);
        const double level = g == 0 ? 1.0 : 0.55 + 0.2 * rng.unit();
        for (int i = start; i < n; ++i)
        {
            const double t = (i - start) / kRate;
            const double e = (1.0 - std::exp (-t / p.attack)) * std::exp (-t / (p.decay / 6.9));
            double x = rng.bi();
            if (p.jingle > 0)
                x = x * (1.0 - p.jingle) + p.jingle * std::sin (kTwoPi * 6200.0 * t) * std::sin (kTwoPi * 9100.0 * t + g);
            b.l[(size_t) i] += x * e * level;
        }
    }
    for (auto& v : b.l) v = hp.hp (bp.bp (v) * 2.0);
    return b;
}

Buf clap (const ClapP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n, true);
    Svf fl, fr, hl, hr; fl.set (p.hz, p.q); fr.set (p.hz * 1.04, p.q); hl.set (p.hp, 0.7); hr.set (p.hp, 0.7);
    const double tailStart = (p.bursts - 1) * p.spacing;
    for (int i = 0; i < n; ++i)
    {
        const double t = i / kRate;
        double e = 0;
        for (int k = 0; k < p.bursts; ++k)
        {
            const double tk = t - k * p.spacing * (1.0 + 0.15 * (k % 2));
            if (tk >= 0 && tk < p.spacing * 1.4) e = std::max (e, std::exp (-tk / 0.0032) * (k == p.bursts - 1 ? 1.0 : 0.8));
        }
        if (t >= tailStart)
        {
            double tail = std::exp (-(t - tailStart) / (p.tail / 6.9));
            if (p.gate > 0 && t - tailStart > p.gate) tail *= std::exp (-(t - tailStart - p.gate) / 0.004);
            e = std::max (e, tail);
        }
        const double nl = rng.bi(), nr = p.width * rng.bi() + (1.0 - p.width) * nl;
        b.l[(size_t) i] = hl.hp (fl.bp (nl)) * e * 2.5;
        b.r[(size_t) i] = hr.hp (fr.bp (nr)) * e * 2.5;
    }
    if (p.drive > 0) b.apply ([&] (double v) { return softClip (v, p.drive); });
    if (p.bits > 0) crush (b, 1, p.bits);
    if (p.verb > 0) addReverb (b, 0.2, p.verbT, 0.5, p.verb, p.verbT);
    return b;
}

Buf snare (const SnareP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n);
    double ph1 = 0, ph2 = 0;
    Svf hp, lp; hp.set (p.noiseHp, 0.7); lp.set (p.noiseLp, 0.7);
    for (int i = 0; i < n; ++i)
    {
        const double t = i / kRate;
        const double bend = 1.0 + p.bend * std::exp (-t / 0.01);
        ph1 += p.body * bend / kRate; ph2 += p.body2 * bend / kRate;
        const double bodyEnv = std::exp (-t / (p.bodyDecay / 6.9));
        const double body = (std::sin (kTwoPi * ph1) + 0.6 * std::sin (kTwoPi * ph2)) * bodyEnv * p.bodyAmt;
        const double nz = lp.lp (hp.hp (rng.bi())) * std::exp (-t / (p.noiseDecay / 6.9)) * p.noiseAmt * 1.8;
        double y = body + nz;
        if (p.drive > 0) y = softClip (y, p.drive);
        b.l[(size_t) i] = y;
    }
    if (p.bits > 0 || p.sh > 1) crush (b, p.sh, p.bits);
    if (p.verb > 0) addReverb (b, 0.15, p.verbT, 0.5, p.verb, p.verbT);
    return b;
}

Buf modal (const ModalP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n);
    std::vector<double> ph (p.modes.size(), 0.0), env (p.modes.size(), 1.0), coef;
    for (const auto& m : p.modes) coef.push_back (decayCoef (m.t60));
    Svf ex; ex.set (p.exHz, p.exQ);
    for (int i = 0; i < n; ++i)
    {
        const double t = i / kRate;
        const double bend = std::pow (2.0, p.bend * std::exp (-t / p.bendTau) + p.slide * (1.0 - std::exp (-t / p.slideTau)));
        const double att = p.attack > 0 ? std::min (1.0, t / p.attack) : 1.0;
        double y = 0;
        for (size_t k = 0; k < p.modes.size(); ++k)
        {
            ph[k] += p.hz * p.modes[k].ratio * bend / kRate; ph[k] -= std::floor (ph[k]);
            y += std::sin (kTwoPi * ph[k]) * p.modes[k].amp * env[k];
            env[k] *= coef[k];
        }
        y = y * att + p.exAmt * ex.bp (rng.bi()) * 3.0 * std::exp (-t / p.exTau);
        if (p.drive > 0) y = softClip (y, p.drive);
        b.l[(size_t) i] = y;
    }
    if (p.bits > 0 || p.sh > 1) crush (b, p.sh, p.bits);
    if (p.verb > 0) addReverb (b, 0.14, p.verbT, 0.5, p.verb, p.verbT);
    return b;
}

Buf fm (const FmP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n, p.detune > 0);
    for (int side = 0; side < (p.detune > 0 ? 2 : 1); ++side)
    {
        const double det = side == 0 ? 1.0 : std::pow (2.0, p.detune / 1200.0);
        double pc = 0, pm = 0, pm2 = 0, prev = 0, env = 1.0;
        const double c = decayCoef (p.decay);
        auto& out = side == 0 ? b.l : b.r;
        for (int i = 0; i < n; ++i)
        {
            const double t = i / kRate;
            const double f = p.hz * det * std::pow (2.0, p.bend * std::exp (-t / p.bendTau));
            const double idx = p.index * std::exp (-t / std::max (p.indexT, 1e-4));
            pm2 += f * p.ratio2 / kRate; pm2 -= std::floor (pm2);
            const double m2 = p.ratio2 > 0 ? p.index2 * std::exp (-t / std::max (p.indexT, 1e-4)) * std::sin (kTwoPi * pm2) : 0.0;
            pm += f * p.ratio / kRate; pm -= std::floor (pm);
            const double m = std::sin (kTwoPi * pm + m2 + p.feedback * prev);
            prev = m;
            pc += f / kRate; pc -= std::floor (pc);
            const double att = std::min (1.0, t / std::max (p.attack, 1e-5));
            double y = std::sin (kTwoPi * pc + idx * m) * env * att;
            if (p.drive > 0) y = softClip (y, p.drive);
            out[(size_t) i] = y;
            env *= c;
        }
    }
    if (p.bits > 0 || p.sh > 1) crush (b, p.sh, p.bits);
    (void) rng;
    return b;
}

namespace
{
double organ (double phase)
{
    // Drawbars 16', 8', 5 1/3', 4', 2' and a little 1': the house organ.
    static const double kH[6] = { 1, 2, 3, 4, 8, 16 }, kA[6] = { 1.0, 0.8, 0.6, 0.5, 0.3, 0.12 };
    double v = 0;
    for (int k = 0; k < 6; ++k) v += kA[k] * std::sin (kTwoPi * phase * kH[k]);
    return v * 0.4;
}
} // namespace

Buf synth (const SynthP& p, Rand& rng)
{
    const int n = frames (p.len);
    const bool stereo = p.voices > 1 || p.chorus > 0;
    Buf b (n, stereo);
    struct V { Osc o, s, sub; double master = 0; double pan = 0; double ratio = 1; };
    std::vector<V> vs;
    for (double note : p.notes)
        for (int u = 0; u < p.voices; ++u)
        {
            V v;
            const double spread = p.voices > 1 ? (2.0 * u / (p.voices - 1) - 1.0) : 0.0;
            v.ratio = midiHz (p.root + note) * std::pow (2.0, spread * p.detune / 1200.0);
            v.pan = spread * 0.7;
            v.o.phase = v.s.phase = rng.unit();
            vs.push_back (v);
        }
    Ladder lad[2]; Svf svf[2];
    const double cAtt = p.attack, cRel = decayCoef (p.release);
    double amp = 0, relEnv = 1.0;
    OnePole vibSmooth; vibSmooth.set (30);
    for (int i = 0; i < n; ++i)
    {
        const double t = i / kRate;
        // Amplitude: attack, decay to sustain, release after the gate.
        if (t < cAtt) amp = t / cAtt;
        else amp = p.sustain + (1.0 - p.sustain) * std::exp (-(t - cAtt) / (p.decay / 6.9));
        if (t > p.gate) relEnv *= cRel;
        const double bend = p.bend * std::exp (-t / p.bendTau);
        const double vib = p.vibDepth * std::sin (kTwoPi * p.vibHz * t) * std::min (1.0, t / 0.3);
        const double pitch = std::pow (2.0, (bend + vib) / 12.0);
        const double fc = p.cutoff * std::pow (2.0, p.env * std::exp (-t / (p.envDecay / 6.9)));
        double sumL = 0, sumR = 0;
        for (auto& v : vs)
        {
            const double f = v.ratio * pitch;
            double x = 0;
            switch (p.wave)
            {
                case SAW:
                    if (p.sync > 0)
                    {
                        // Hard sync: the slave restarts with the master, its ratio sweeping down.
                        v.master += f / kRate;
                        const double ratio = p.sync * (1.0 + p.syncEnv * std::exp (-t / 0.25));
                        if (v.master >= 1.0) { v.master -= 1.0; v.s.phase = v.master * ratio; v.s.phase -= std::floor (v.s.phase); }
                        x = v.s.saw (f * ratio);
                    }
                    else x = v.o.saw (f);
                    break;
                case PULSE: x = v.o.pulse (f, std::clamp (p.pw + p.pwm * std::sin (kTwoPi * 0.7 * t), 0.05, 0.95)); break;
                case SINE: x = v.o.sine (f); break;
                case TRI: x = v.o.tri (f); break;
                case ORGAN: x = organ (v.o.phase); v.o.sine (f); break;
            }
            if (p.sub > 0) x += p.sub * v.sub.sine (f * 0.5);
            const double gl = std::min (1.0, 1.0 - v.pan), gr = std::min (1.0, 1.0 + v.pan);
            sumL += x * gl; sumR += x * gr;
        }
        const double norm = 1.0 / std::sqrt ((double) vs.size());
        sumL *= norm; sumR *= norm;
        if (p.noise > 0) { const double nz = rng.bi() * p.noise; sumL += nz; sumR += nz; }
        double outs[2] = { sumL, sumR };
        for (int ch = 0; ch < (stereo ? 2 : 1); ++ch)
        {
            double y = outs[ch];
            if (p.wave != SINE && p.wave != ORGAN)
            {
                if (p.ladder) { lad[ch].set (fc, p.res); y = lad[ch].tick (y * 0.7) * 1.4; }
                else { svf[ch].set (fc, 0.7 + p.res * 8.0); y = svf[ch].lp (y); }
            }
            if (p.fold > 0) y = std::sin (y * (1.0 + 4.0 * p.fold));
            if (p.drive > 0) y = softClip (y, p.drive);
            y *= amp * relEnv;
            (ch == 0 ? b.l : b.r)[(size_t) i] = y;
        }
    }
    if (p.bits > 0 || p.sh > 1) crush (b, p.sh, p.bits);
    {
        // Nothing below the lowest note: drive and detuning leave difference
        // tones down there that muddy the mix and blur the key.
        const double lowest = midiHz (p.root + *std::min_element (p.notes.begin(), p.notes.end()));
        filterHigh (b, 0.6 * lowest, 0.707);
        filterHigh (b, 0.6 * lowest, 0.707);
    }
    if (p.chorus > 0)
    {
        // Two modulated delay taps, one per side.
        Buf dry = b;
        for (int i = 0; i < n; ++i)
        {
            const double t = i / kRate;
            for (int ch = 0; ch < 2; ++ch)
            {
                const double d = (0.012 + 0.004 * std::sin (kTwoPi * 0.6 * t + ch * 1.7)) * kRate;
                const double pos = i - d;
                if (pos < 1) continue;
                const int k = (int) pos; const double fr = pos - k;
                const auto& src = ch == 0 ? dry.l : dry.r;
                const double v = src[(size_t) k] * (1 - fr) + src[(size_t) k + 1] * fr;
                (ch == 0 ? b.l : b.r)[(size_t) i] += p.chorus * v;
            }
        }
    }
    return b;
}

namespace
{
struct Formant { double f[4], bw[4], g[4]; };
Formant formantOf (Vowel v)
{
    switch (v)
    {
        case AH: return { { 800, 1150, 2900, 3900 }, { 80, 90, 120, 130 }, { 1.0, 0.63, 0.10, 0.05 } };
        case OH: return { { 450, 800, 2830, 3800 }, { 70, 80, 100, 130 }, { 1.0, 0.35, 0.05, 0.03 } };
        case EE: return { { 280, 2250, 2890, 3600 }, { 60, 90, 100, 120 }, { 1.0, 0.20, 0.16, 0.08 } };
        case EH: return { { 530, 1840, 2480, 3500 }, { 60, 100, 120, 150 }, { 1.0, 0.40, 0.20, 0.08 } };
        case UU: return { { 325, 700, 2530, 3500 }, { 50, 60, 170, 180 }, { 1.0, 0.25, 0.02, 0.01 } };
    }
    return formantOf (AH);
}
} // namespace

Buf voice (const VoiceP& p, Rand& rng)
{
    const int n = frames (p.len);
    Buf b (n, p.choir > 1);
    for (int c = 0; c < p.choir; ++c)
    {
        Svf fs[4]; OnePole tilt; tilt.set (p.whisper ? 8000 : 1200);
        double phase = rng.unit(), jit = 0;
        const double detune = p.choir > 1 ? (c - (p.choir - 1) * 0.5) * 0.09 : 0.0;
        const double octave = (p.choir > 1 && c % 3 == 2) ? 12.0 : 0.0;
        auto& out = (p.choir > 1 && c % 2 == 1) ? b.r : b.l;
        for (int i = 0; i < n; ++i)
        {
            const double t = i / kRate;
            // Vowel: either held, or stepping through the list every vowelTime seconds with a glide.
            Formant fo;
            if (p.vowelTime <= 0 || p.vowels.size() < 2) fo = formantOf (p.vowels[0]);
            else
            {
                const double pos = t / p.vowelTime;
                const size_t a = (size_t) pos % p.vowels.size(), z = (a + 1) % p.vowels.size();
                const double fr = std::clamp ((pos - std::floor (pos) - 0.7) / 0.3, 0.0, 1.0);
                const Formant fa = formantOf (p.vowels[a]), fz = formantOf (p.vowels[z]);
                for (int k = 0; k < 4; ++k)
                {
                    fo.f[k] = fa.f[k] + (fz.f[k] - fa.f[k]) * fr;
                    fo.bw[k] = fa.bw[k]; fo.g[k] = fa.g[k] + (fz.g[k] - fa.g[k]) * fr;
                }
            }
            if (i % 32 == 0) jit = jit * 0.9 + 0.1 * rng.bi();
            const double semis = (p.robot ? 0.0 : p.vibDepth * std::sin (kTwoPi * p.vibHz * t + c) * std::min (1.0, t / 0.25) + p.jitter * jit)
                                 - p.fall * t / p.len + detune + octave;
            const double f0 = midiHz (p.root + semis);
            phase += f0 / kRate;
            double src;
            if (p.whisper) src = rng.bi() * 0.6;
            else
            {
                if (phase >= 1.0) phase -= 1.0;
                // A glottal pulse: a rounded opening, a sharp closure.
                src = phase < 0.6 ? 0.5 * (1.0 - std::cos (kPi * phase / 0.6)) : std::cos (kPi * (phase - 0.6) / 0.8);
                src = p.robot ? (2.0 * phase - 1.0) : src - 0.45;
                src += p.breath * rng.bi();
            }
            src = p.robot ? src : tilt.tick (src) * 3.0 + src * 0.15;
            double y = 0;
            for (int k = 0; k < 4; ++k)
            {
                fs[k].set (fo.f[k], fo.f[k] / fo.bw[k]);
                y += fs[k].bp (src) * fo.g[k];
            }
            const double env = std::min (1.0, t / p.attack) * std::min (1.0, std::max (0.0, (p.len - t) / p.release));
            out[(size_t) i] += y * env;
        }
    }
    if (p.choir > 1)
    {
        // Odd-numbered singers went right; give the left side its share of them too.
        for (int i = 0; i < n; ++i)
        {
            const double l = b.l[(size_t) i], r = b.r[(size_t) i];
            b.l[(size_t) i] = l + 0.4 * r; b.r[(size_t) i] = r + 0.4 * l;
        }
    }
    return b;
}

Buf noiseSweep (double len, double hz0, double hz1, double q, int mode, Rand& rng, bool stereo)
{
    const int n = frames (len);
    Buf b (n, stereo);
    for (int ch = 0; ch < (stereo ? 2 : 1); ++ch)
    {
        Svf f;
        auto& out = ch == 0 ? b.l : b.r;
        for (int i = 0; i < n; ++i)
        {
            if (i % 16 == 0) f.set (hz0 * std::pow (hz1 / hz0, (double) i / n), q);
            f.tick (rng.bi());
            out[(size_t) i] = mode == 0 ? f.low : mode == 1 ? f.band * 2.0 : f.high;
        }
    }
    return b;
}

void envelope (Buf& b, const std::vector<std::pair<double, double>>& pts)
{
    for (int i = 0; i < b.size(); ++i)
    {
        const double t = i / kRate;
        double g = pts.back().second;
        for (size_t k = 0; k + 1 < pts.size(); ++k)
            if (t >= pts[k].first && t < pts[k + 1].first)
            {
                const double fr = (t - pts[k].first) / (pts[k + 1].first - pts[k].first);
                g = pts[k].second + (pts[k + 1].second - pts[k].second) * fr;
                break;
            }
        if (t < pts.front().first) g = pts.front().second;
        b.l[(size_t) i] *= g;
        if (b.stereo()) b.r[(size_t) i] *= g;
    }
}

Buf reversed (const Buf& b)
{
    Buf r = b;
    std::reverse (r.l.begin(), r.l.end());
    std::reverse (r.r.begin(), r.r.end());
    return r;
}

} // namespace samplegen
