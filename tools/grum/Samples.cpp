#include "Samples.h"

#include "resources/SampleResources.h"
#include "samples/SampleLibrary.h"

#include <cmath>
#include <cstring>
#include <iomanip>

namespace cli
{

namespace
{
juce::String levelText (double gain)
{
    return gain > 0.0 ? juce::String (20.0 * std::log10 (gain), 1) : juce::String ("-inf");
}

int list (std::ostream& out, std::ostream& err)
{
    auto& library = SampleLibrary::get();
    int failures = 0;
    for (int i = 0; i < grum::resources::kCount; ++i)
    {
        const auto& r = grum::resources::kAll[i];
        const juce::String name = juce::String (r.fileName).upToLastOccurrenceOf (".", false, false);
        const bool indexed = library.resourceNameOf (name).isNotEmpty();
        // Loops are not indexed, so they are decoded here rather than cached.
        const auto data = library.decode (r.data, (size_t) r.size, name);
        if (data == nullptr)
        {
            err << "grum samples: " << r.fileName << " does not decode\n";
            ++failures;
            continue;
        }
        double peak = 0.0, sum = 0.0;
        const int frames = data->frames() - 1;   // without the appended zero
        const int channels = data->stereo() ? 2 : 1;
        for (int c = 0; c < channels; ++c)
            for (int f = 0; f < frames; ++f)
            {
                const double v = (c == 0 ? data->left : data->right)[(size_t) f];
                peak = std::max (peak, std::fabs (v));
                sum += v * v;
            }
        const double rms = std::sqrt (sum / std::max (1, frames * channels));
        out << name << '\t' << SampleLibrary::categoryOf (name) << '\t' << (indexed ? "yes" : "no") << '\t'
            << data->root << '\t' << channels << '\t' << frames << '\t' << data->sourceRate << '\t'
            << levelText (peak) << '\t' << levelText (rms) << '\n';
    }
    return failures == 0 ? 0 : 1;
}

int exportTo (const char* path, std::ostream& out, std::ostream& err)
{
    const juce::File dir = juce::File::getCurrentWorkingDirectory().getChildFile (path);
    if (! dir.createDirectory())
    {
        err << "grum samples: cannot create " << dir.getFullPathName() << "\n";
        return 1;
    }
    for (int i = 0; i < grum::resources::kCount; ++i)
    {
        const auto& r = grum::resources::kAll[i];
        const juce::File file = dir.getChildFile (r.fileName);
        if (! file.replaceWithData (r.data, (size_t) r.size))
        {
            err << "grum samples: cannot write " << file.getFullPathName() << "\n";
            return 1;
        }
    }
    out << "grum samples: wrote " << grum::resources::kCount << " files to " << dir.getFullPathName() << "\n";
    return 0;
}
} // namespace

int samples (int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    if (argc == 0)
        return list (out, err);
    if (argc == 2 && std::strcmp (argv[0], "--export") == 0 && argv[1][0] != '\0')
        return exportTo (argv[1], out, err);
    if (argc == 1 && (std::strcmp (argv[0], "--help") == 0 || std::strcmp (argv[0], "-h") == 0))
    {
        out << "usage: grum samples               list the embedded samples\n"
               "       grum samples --export DIR  write the embedded FLAC files into DIR\n";
        return 0;
    }
    err << "grum samples: expected no options or --export DIR\n";
    return 2;
}

} // namespace cli
