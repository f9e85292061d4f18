#include "BarDump.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "Conductor.h"
#include "LaneText.h"
#include "PinList.h"

namespace grum
{

namespace
{
const char* const kUsage =
    "usage: grum bars [--seed 1..9999] [--style -1..16] [--fras 4|8|16|32] [--langd 64|128|192|256|512] "
    "[--kaos 0..1] [--energy-auto 0|1] [--energy 0..1] [--endless 0|1] [--style-wander 0|1] "
    "[--key-wander 0|1] [--locked 000000] [--pins FILE] [--from A] [--to B]";

void appendFloat (std::string& line, float value)
{
    char text[40];
    std::snprintf (text, sizeof (text), "%.17g", (double) value);
    line += text;
}

void appendInt (std::string& line, long long value)
{
    line += std::to_string (value);
}

bool parseInteger (const char* text, long long lo, long long hi, long long& value)
{
    if (text == nullptr || *text == '\0')
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll (text, &end, 10);
    if (*end != '\0' || errno != 0 || v < lo || v > hi || std::strchr (" \t\n+", text[0]) != nullptr)
        return false;
    value = v;
    return true;
}

bool parseUnit (const char* text, float& value)
{
    if (text == nullptr || *text == '\0' || std::strchr (" \t\n+", text[0]) != nullptr)
        return false;
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof (text, &end);    // the float nearest the decimal, as a literal would give
    if (*end != '\0' || errno != 0 || ! std::isfinite (v) || v < 0.0f || v > 1.0f)
        return false;
    value = v;
    return true;
}

//==============================================================================
// The pins file: [{"bar": N, "lanes": ["16;0,124,0,100,0,0", ...six...]}, ...]
class PinsReader
{
public:
    explicit PinsReader (const std::string& text) : s (text) {}

    // Fills pins, or returns the reason it could not.
    std::string read (std::vector<Pin>& pins)
    {
        if (! expect ('['))
            return "expected '['";
        skip();
        if (peek() == ']')
        {
            ++i;
            return end();
        }
        for (;;)
        {
            Pin pin;
            const std::string problem = readPin (pin);
            if (! problem.empty())
                return problem;
            pins.push_back (pin);
            skip();
            if (peek() == ',')
            {
                ++i;
                continue;
            }
            if (! expect (']'))
                return "expected ',' or ']' after a pin";
            return end();
        }
    }

private:
    std::string readPin (Pin& pin)
    {
        if (! expect ('{'))
            return "expected '{' for a pin";
        bool haveBar = false, haveLanes = false;
        for (;;)
        {
            std::string key;
            if (! readString (key))
                return "expected a key in a pin";
            if (! expect (':'))
                return "expected ':' after \"" + key + "\"";
            if (key == "bar" && ! haveBar)
            {
                skip();
                std::size_t start = i;
                while (i < s.size() && (std::isdigit ((unsigned char) s[i]) || (i == start && s[i] == '-')))
                    ++i;
                long long bar = 0;
                if (! parseInteger (s.substr (start, i - start).c_str(), 0, (1ll << 62), bar))
                    return "a pin's \"bar\" must be a whole number of 0 or more";
                pin.bar = bar;
                haveBar = true;
            }
            else if (key == "lanes" && ! haveLanes)
            {
                if (! expect ('['))
                    return "expected '[' for \"lanes\"";
                for (int lane = 0; lane < kNumLanes; ++lane)
                {
                    if (lane > 0 && ! expect (','))
                        return "a pin needs exactly six lanes";
                    std::string code;
                    if (! readString (code))
                        return "a pin's lanes must be strings";
                    if (! decodeLane (code.c_str(), pin.lanes[lane]))
                        return "bad lane encoding \"" + code + "\"";
                }
                if (! expect (']'))
                    return "a pin needs exactly six lanes";
                haveLanes = true;
            }
            else
            {
                return "unexpected key \"" + key + "\" in a pin";
            }
            skip();
            if (peek() == ',')
            {
                ++i;
                continue;
            }
            if (! expect ('}'))
                return "expected ',' or '}' in a pin";
            if (! haveBar || ! haveLanes)
                return "a pin needs \"bar\" and \"lanes\"";
            return {};
        }
    }

    bool readString (std::string& out)
    {
        if (! expect ('"'))
            return false;
        while (i < s.size() && s[i] != '"')
        {
            if (s[i] == '\\' || (unsigned char) s[i] < 0x20)
                return false;   // lane codes and keys never need escapes
            out += s[i++];
        }
        if (i >= s.size())
            return false;
        ++i;
        return true;
    }

    std::string end()
    {
        skip();
        return i == s.size() ? std::string() : std::string ("unexpected text after the pins");
    }

    void skip()
    {
        while (i < s.size() && std::strchr (" \t\r\n", s[i]) != nullptr)
            ++i;
    }

    char peek() const { return i < s.size() ? s[i] : '\0'; }

    bool expect (char c)
    {
        skip();
        if (peek() != c)
            return false;
        ++i;
        return true;
    }

    const std::string& s;
    std::size_t i = 0;
};
} // namespace

//==============================================================================
void writeBarJson (std::ostream& out, const BarState& st)
{
    std::string line;
    line.reserve (4096);
    line += "{\"bar\":";            appendInt (line, st.bar);
    line += ",\"style\":";          appendInt (line, st.style);
    line += ",\"pendingStyle\":";   appendInt (line, st.pendingStyle);
    line += ",\"phase\":";          appendInt (line, (long long) st.phase);
    line += ",\"energy\":";         appendFloat (line, st.energy);
    line += ",\"arcIndex\":";       appendInt (line, st.arcIndex);
    line += ",\"arcStart\":";       appendInt (line, st.arcStart);
    line += ",\"arcBars\":";        appendInt (line, st.arcBars);
    line += ",\"keyOffset\":";      appendInt (line, st.keyOffset);
    line += ",\"cutLane\":";        appendInt (line, st.cutLane);
    line += ",\"cutUntil\":";       appendInt (line, st.cutUntil);
    line += ",\"density\":";        appendInt (line, st.density);
    line += ",\"densityTarget\":";  appendInt (line, st.densityTarget);
    line += ",\"stabDelay\":";      appendFloat (line, st.stabDelay);
    line += ",\"swingBoost\":";     appendFloat (line, st.swingBoost);

    line += ",\"laneOn\":[";
    for (int lane = 0; lane < kNumLanes; ++lane)
        line += lane > 0 ? (st.laneOn[lane] ? ",1" : ",0") : (st.laneOn[lane] ? "1" : "0");

    line += "],\"timbre\":[";
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        line += lane > 0 ? ",[" : "[";
        for (int i = 0; i < 4; ++i)
        {
            if (i > 0)
                line += ',';
            appendFloat (line, st.timbre[lane][i]);
        }
        line += ']';
    }

    line += "],\"lanes\":[";
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        line += lane > 0 ? ",\"" : "\"";
        line += encodeLane (st.lanes[lane]);
        line += '"';
    }
    line += "]}\n";

    out << line;
}

int runBarsCommand (int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    Settings s;     // the defaults are the reference song's
    long long from = 0, to = 0;
    const char* pinsPath = nullptr;

    const auto fail = [&err] (const std::string& message)
    {
        err << "grum bars: " << message << '\n';
        return 2;
    };

    for (int a = 0; a < argc; ++a)
    {
        const std::string flag = argv[a] != nullptr ? argv[a] : "";
        if (flag == "--help" || flag == "-h")
        {
            out << kUsage << '\n';
            return 0;
        }
        if (a + 1 >= argc || argv[a + 1] == nullptr)
            return fail (flag.rfind ("--", 0) == 0 ? flag + " needs a value" : "unknown argument \"" + flag + "\"");
        const char* value = argv[++a];

        long long n = 0;
        const auto integer = [&] (long long lo, long long hi) { return parseInteger (value, lo, hi, n); };
        const auto oneOf = [&] (std::initializer_list<long long> allowed)
        {
            if (! parseInteger (value, -(1ll << 62), 1ll << 62, n))
                return false;
            for (long long v : allowed)
                if (v == n)
                    return true;
            return false;
        };
        const auto flagValue = [&] (bool& target)
        {
            if (! integer (0, 1))
                return false;
            target = n != 0;
            return true;
        };

        bool ok = true;
        if (flag == "--seed")               { ok = integer (1, 9999); s.seed = (int) n; }
        else if (flag == "--style")         { ok = integer (-1, 16); s.style = (int) n; }
        else if (flag == "--fras")          { ok = oneOf ({ 4, 8, 16, 32 }); s.phraseBars = (int) n; }
        else if (flag == "--langd")         { ok = oneOf ({ 64, 128, 192, 256, 512 }); s.songBars = (int) n; }
        else if (flag == "--kaos")          ok = parseUnit (value, s.chaos);
        else if (flag == "--energy")        ok = parseUnit (value, s.energy);
        else if (flag == "--energy-auto")   ok = flagValue (s.energyAuto);
        else if (flag == "--endless")       ok = flagValue (s.endless);
        else if (flag == "--style-wander")  ok = flagValue (s.styleWander);
        else if (flag == "--key-wander")    ok = flagValue (s.keyWander);
        else if (flag == "--from")          { ok = integer (0, 1ll << 40); from = n; }
        else if (flag == "--to")            { ok = integer (0, 1ll << 40); to = n; }
        else if (flag == "--pins")          pinsPath = value;
        else if (flag == "--locked")
        {
            ok = std::strlen (value) == kNumLanes;
            for (int lane = 0; ok && lane < kNumLanes; ++lane)
            {
                ok = value[lane] == '0' || value[lane] == '1';
                s.locked[lane] = value[lane] == '1';
            }
        }
        else
            return fail ("unknown argument \"" + flag + "\"");

        if (! ok)
            return fail ("bad value \"" + std::string (value) + "\" for " + flag);
    }

    if (from > to)
        return fail ("--from " + std::to_string (from) + " is after --to " + std::to_string (to));

    // The pin list lives on the heap: 32 pins are too big for a tool's stack.
    auto pinList = std::make_unique<PinList>();
    if (pinsPath != nullptr)
    {
        std::ifstream file (pinsPath, std::ios::binary);
        if (! file)
            return fail ("cannot read the pins file \"" + std::string (pinsPath) + "\"");
        std::stringstream text;
        text << file.rdbuf();
        const std::string content = text.str();

        std::vector<Pin> pins;
        const std::string problem = PinsReader (content).read (pins);
        if (! problem.empty())
            return fail ("pins file \"" + std::string (pinsPath) + "\": " + problem);
        if (pins.size() > (std::size_t) kMaxPins)
            return fail ("pins file \"" + std::string (pinsPath) + "\": more than 32 pins");
        pinList->assign (pins.data(), (int) pins.size());
        pinList->describe (s);
    }

    auto conductor = std::make_unique<Conductor>();
    for (long long bar = 0; bar <= to; ++bar)
    {
        const BarState& state = conductor->stateForBar (bar, s);
        if (bar >= from)
            writeBarJson (out, state);
    }
    return out.good() ? 0 : 1;
}

} // namespace grum
