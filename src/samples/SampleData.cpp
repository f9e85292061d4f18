#include "samples/SampleData.h"

namespace grum
{

int rootPitchClassOf (const std::string& name)
{
    // Flats before naturals, so "Bbm7" is Bb and not B.
    static const struct { const char* key; int pitchClass; } kKeys[] = {
        { "C", 0 }, { "Db", 1 }, { "D", 2 }, { "Eb", 3 }, { "E", 4 }, { "F", 5 },
        { "Gb", 6 }, { "G", 7 }, { "Ab", 8 }, { "A", 9 }, { "Bb", 10 }, { "B", 11 },
    };
    static const char* const kSuffixes[] = { "", "m", "m7", "m9", "7" };

    std::vector<std::string> tokens;
    std::string::size_type start = 0;
    for (;;)
    {
        const auto end = name.find ('_', start);
        tokens.push_back (name.substr (start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }

    for (size_t t = tokens.size(); t-- > 1;)
        for (const auto& k : kKeys)
        {
            const std::string& token = tokens[t];
            const std::string key = k.key;
            if (token.compare (0, key.size(), key) != 0)
                continue;
            const std::string rest = token.substr (key.size());
            for (const char* suffix : kSuffixes)
                if (rest == suffix)
                    return k.pitchClass;
        }
    return -1;
}

} // namespace grum
