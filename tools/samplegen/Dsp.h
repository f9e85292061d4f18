#pragma once

// The building blocks the sample synthesiser makes every recording from.
// Everything is double precision and seeded: the same build gives the same
// bytes, so a recording only changes when its recipe does.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace samplegen
{

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

inline int frames (double seconds) { return (int) std::lround (seconds * kRate); }
inline double midiHz (double note) { return 440.0 * std::pow (2.0, (note - 69.0) / 12.0); }
inline double dbToGain (double db) { return std::pow (10.0, db / 20.0); }
// Level factor per sample that falls 60 dB in t60 seconds.
inline double decayCoef (double t60) { return std::exp (-6.907755 / std::max (t60 * kRate, 1.0)); }

//==============================================================================
// A recording in progress: one or two channels of doubles.
struct Buf
{
    std::vector<double> l, r;   // r is empty for a mono recording

    Buf() = default;
    explicit Buf (int n, bool stereo = false) : l ((size_t) n, 0.0), r (stereo ? (size_t) n : 0, 0.0) {}

    int size() const { return (int) l.size(); }
    bool stereo() const { return ! r.empty(); }
    void makeStereo() { if (r.empty()) r = l; }
    void resize (int n) { l.resize ((size_t) n, 0.0); if (stereo()) r.resize ((size_t) n, 0.0); }

    // Mixes src in at offset (frames), scaled; a mono source feeds both sides.
    void mix (const Buf& src, int offset, double gain = 1.0, double pan = 0.0)
    {
        if (src.stereo() || pan != 0.0)
            makeStereo();
        if (offset + src.size() > size())
            resize (offset + src.size());
        const double gl = gain * std::min (1.0, 1.0 - pan), gr = gain * std::min (1.0, 1.0 + pan);
        for (int i = 0; i < src.size(); ++i)
        {
            const double a = src.l[(size_t) i], b = src.stereo() ? src.r[(size_t) i] : a;
            l[(size_t) (offset + i)] += a * (stereo() ? gl : gain);
            if (stereo())
                r[(size_t) (offset + i)] += b * gr;
        }
    }
    void scale (double g)
    {
        for (auto& v : l) v *= g;
        for (auto& v : r) v *= g;
    }
    template <typename F> void apply (F&& f)   // f(double) -> double on every sample
    {
        for (auto& v : l) v = f (v);
        for (auto& v : r) v = f (v);
    }
};

//==============================================================================
// xorshift64*; every recording seeds its own from its name.
struct Rand
{
    std::uint64_t s;
    explicit Rand (std::uint64_t seed) : s (seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) { if (s == 0) s = 1; next(); }
    explicit Rand (const std::string& name) : Rand (hash (name)) {}

    static std::uint64_t hash (const std::string& t)
    {
        std::uint64_t h = 1469598103934665603ull;   // FNV-1a
        for (unsigned char c : t) { h ^= c; h *= 1099511628211ull; }
        return h;
    }
    std::uint64_t next()
    {
        s ^= s >> 12; s ^= s << 25; s ^= s >> 27;
        return s * 0x2545F4914F6CDD1Dull;
    }
    double unit() { return (double) (next() >> 11) * (1.0 / 9007199254740992.0); }   // [0, 1)
    double bi() { return 2.0 * unit() - 1.0; }                                      // [-1, 1)
    double range (double a, double b) { return a + (b - a) * unit(); }
};

//==============================================================================
// Trapezoidal state-variable filter; q is resonance as 1/damping.
struct Svf
{
    double g = 0, k = 1, a1 = 0, a2 = 0, a3 = 0, z1 = 0, z2 = 0;
    double low = 0, band = 0, high = 0;

    void set (double fc, double q)
    {
        fc = std::clamp (fc, 5.0, 0.49 * kRate);
        g = std::tan (kPi * fc / kRate);
        k = 1.0 / std::max (q, 0.05);
        a1 = 1.0 / (1.0 + g * (g + k)); a2 = g * a1; a3 = g * a2;
    }
    double tick (double x)
    {
        const double v3 = x - z2;
        band = a1 * z1 + a2 * v3;
        low = z2 + a2 * z1 + a3 * v3;
        z1 = 2.0 * band - z1;
        z2 = 2.0 * low - z2;
        high = x - k * band - low;
        return low;
    }
    double lp (double x) { tick (x); return low; }
    double bp (double x) { tick (x); return band; }
    double hp (double x) { tick (x); return high; }
};

struct OnePole   // low-pass
{
    double a = 0, z = 0;
    void set (double fc) { a = 1.0 - std::exp (-kTwoPi * std::clamp (fc, 1.0, 0.49 * kRate) / kRate); }
    double tick (double x) { z += a * (x - z); return z; }
};

// Four one-pole stages with resonance feedback and soft saturation: the
// squelchy low-pass the acid and bass recipes need.
struct Ladder
{
    double s[4] {}, g = 0, res = 0;
    void set (double fc, double resonance)
    {
        g = 1.0 - std::exp (-kTwoPi * std::clamp (fc, 10.0, 0.45 * kRate) / kRate);
        res = resonance;
    }
    double tick (double x)
    {
        const double in = std::tanh (x - 4.0 * res * s[3]);
        s[0] += g * (in - s[0]);
        s[1] += g * (s[0] - s[1]);
        s[2] += g * (s[1] - s[2]);
        s[3] += g * (s[2] - s[3]);
        return s[3] * (1.0 + 1.5 * res);
    }
};

// Band-limited-enough oscillators: polyBLEP saw and pulse.
inline double blep (double t, double dt)
{
    if (t < dt) { t /= dt; return t + t - t * t - 1.0; }
    if (t > 1.0 - dt) { t = (t - 1.0) / dt; return t * t + t + t + 1.0; }
    return 0.0;
}
struct Osc
{
    double phase = 0;
    double saw (double hz)
    {
        const double dt = hz / kRate;
        double v = 2.0 * phase - 1.0 - blep (phase, dt);
        phase += dt; if (phase >= 1.0) phase -= 1.0;
        return v;
    }
    double pulse (double hz, double width = 0.5)
    {
        const double dt = hz / kRate;
        double t2 = phase + (1.0 - width); if (t2 >= 1.0) t2 -= 1.0;
        double v = (phase < width ? 1.0 : -1.0) + blep (phase, dt) - blep (t2, dt);
        phase += dt; if (phase >= 1.0) phase -= 1.0;
        return v;
    }
    double sine (double hz)
    {
        const double v = std::sin (kTwoPi * phase);
        phase += hz / kRate; if (phase >= 1.0) phase -= std::floor (phase);
        return v;
    }
    double tri (double hz)
    {
        const double v = 1.0 - 4.0 * std::fabs (phase - 0.5);
        phase += hz / kRate; if (phase >= 1.0) phase -= 1.0;
        return v;
    }
};

//==============================================================================
// A stereo feedback-delay network: eight lines, Householder mixing, damped.
struct Reverb
{
    std::vector<double> line[8];
    size_t pos[8] {};
    double damp[8] {}, fb = 0.8, lpA = 0.3;

    Reverb (double sizeSeconds, double t60, double brightness)
    {
        static const double kLen[8] = { 1.0, 1.137, 1.283, 1.411, 1.559, 1.693, 1.831, 1.973 };
        double mean = 0;
        for (int i = 0; i < 8; ++i)
        {
            line[i].assign ((size_t) std::max (8, frames (sizeSeconds * kLen[i] * 0.5)), 0.0);
            mean += (double) line[i].size();
        }
        mean /= 8.0;
        fb = std::pow (10.0, -3.0 * mean / kRate / std::max (t60, 0.05));
        lpA = std::clamp (brightness, 0.05, 1.0);
    }
    void process (double inL, double inR, double& outL, double& outR)
    {
        double v[8], sum = 0;
        for (int i = 0; i < 8; ++i) { v[i] = line[i][pos[i]]; sum += v[i]; }
        sum *= 0.25;   // Householder: v - 2/N * sum
        outL = v[0] + v[2] + v[4] + v[6];
        outR = v[1] + v[3] + v[5] + v[7];
        for (int i = 0; i < 8; ++i)
        {
            double x = (v[i] - sum) * fb + ((i & 1) ? inR : inL) * 0.35;
            damp[i] += lpA * (x - damp[i]);
            line[i][pos[i]] = damp[i];
            if (++pos[i] >= line[i].size()) pos[i] = 0;
        }
        outL *= 0.35; outR *= 0.35;
    }
};

// Adds a reverb to b (made stereo), extending it by tail seconds.
inline void addReverb (Buf& b, double size, double t60, double bright, double wet, double tail)
{
    b.makeStereo();
    b.resize (b.size() + frames (tail));
    Reverb rv (size, t60, bright);
    for (int i = 0; i < b.size(); ++i)
    {
        double ol, orr;
        rv.process (b.l[(size_t) i], b.r[(size_t) i], ol, orr);
        b.l[(size_t) i] += wet * ol;
        b.r[(size_t) i] += wet * orr;
    }
}

// A tempo echo, ping-pong between the sides, darkening as it repeats.
inline void addEcho (Buf& b, double delaySeconds, double feedback, double wet, double tail, double tone = 2500.0)
{
    b.makeStereo();
    b.resize (b.size() + frames (tail));
    const size_t d = (size_t) frames (delaySeconds);
    std::vector<double> lineL (d, 0.0), lineR (d, 0.0);
    OnePole fl, fr; fl.set (tone); fr.set (tone);
    Svf hl, hr; hl.set (200.0, 0.7); hr.set (200.0, 0.7);
    size_t w = 0;
    for (int i = 0; i < b.size(); ++i)
    {
        const double tl = lineL[w], tr = lineR[w];
        const double in = 0.5 * (b.l[(size_t) i] + b.r[(size_t) i]);
        lineL[w] = in + feedback * fl.tick (hl.hp (tr));
        lineR[w] = feedback * fr.tick (hr.hp (tl));
        if (++w >= d) w = 0;
        b.l[(size_t) i] += wet * tl;
        b.r[(size_t) i] += wet * tr;
    }
}

inline double softClip (double x, double drive) { return std::tanh (x * drive) / std::tanh (drive); }
inline double hardClip (double x, double level) { return std::clamp (x, -level, level) / level; }
inline double quantise (double x, int bits) { const double q = std::pow (2.0, bits - 1); return std::round (x * q) / q; }

// Sample-and-hold rate reduction by an integer factor, then bit reduction.
inline void crush (Buf& b, int hold, int bits)
{
    auto one = [&] (std::vector<double>& ch)
    {
        double held = 0;
        for (size_t i = 0; i < ch.size(); ++i)
        {
            if (hold <= 1 || i % (size_t) hold == 0) held = ch[i];
            ch[i] = bits > 0 ? quantise (held, bits) : held;
        }
    };
    one (b.l);
    if (b.stereo()) one (b.r);
}

inline void filterLow (Buf& b, double fc, double q = 0.707)
{
    Svf f; f.set (fc, q);
    for (auto& v : b.l) v = f.lp (v);
    if (b.stereo()) { Svf g; g.set (fc, q); for (auto& v : b.r) v = g.lp (v); }
}
inline void filterHigh (Buf& b, double fc, double q = 0.707)
{
    Svf f; f.set (fc, q);
    for (auto& v : b.l) v = f.hp (v);
    if (b.stereo()) { Svf g; g.set (fc, q); for (auto& v : b.r) v = g.hp (v); }
}

} // namespace samplegen
