#include "samples/SampleLibrary.h"

SampleLibrary& SampleLibrary::get()
{
    // Constructed thread-safely on first use, destroyed at process exit: the
    // decoded samples outlive every processor instance.
    static SampleLibrary library (std::vector<grum::resources::Resource> (grum::resources::kAll, grum::resources::kAll + grum::resources::kCount));
    return library;
}

SampleLibrary::SampleLibrary (std::vector<grum::resources::Resource> table) : resources (std::move (table))
{
    formats.registerBasicFormats();   // WAV, AIFF, FLAC, Ogg Vorbis and the platform's own

    for (int i = 0; i < (int) resources.size(); ++i)
    {
        const juce::String file = juce::CharPointer_UTF8 (resources[(size_t) i].fileName);
        if (! file.endsWithIgnoreCase (".flac"))
            continue;
        const juce::String name = file.upToLastOccurrenceOf (".", false, false);
        if (name.startsWith ("Lp") || resourceOf.count (name) != 0)
            continue;   // loops are embedded for export, never played by a track
        nameList.add (name);
        resourceOf[name] = i;
    }
    // Digits compare as numbers, so "K9" sorts before "K10".
    nameList.sortNatural();
}

juce::String SampleLibrary::categoryOf (const juce::String& sampleName)
{
    return sampleName.startsWith ("Lp") ? juce::String ("Lp") : sampleName.substring (0, 1);
}

juce::StringArray SampleLibrary::names() const
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    return nameList;
}

juce::StringArray SampleLibrary::namesIn (const juce::String& category) const
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    juce::StringArray out;
    for (const auto& n : nameList)
        if (categoryOf (n) == category)
            out.add (n);
    return out;
}

std::vector<std::string> SampleLibrary::namesInCategory (const std::string& category) const
{
    std::vector<std::string> out;
    for (const auto& n : namesIn (juce::String (category)))
        out.push_back (n.toStdString());
    return out;
}

juce::String SampleLibrary::resourceNameOf (const juce::String& sampleName) const
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    const auto it = resourceOf.find (sampleName);
    return it == resourceOf.end() ? juce::String() : juce::String (resources[(size_t) it->second].resourceName);
}

std::unique_ptr<grum::SampleData> SampleLibrary::decode (const void* data, size_t size, const juce::String& sampleName)
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    if (data == nullptr || size == 0)
        return nullptr;
    std::unique_ptr<juce::AudioFormatReader> reader (
        formats.createReaderFor (std::make_unique<juce::MemoryInputStream> (data, size, false)));
    if (reader == nullptr || ! (reader->sampleRate > 0.0) || reader->numChannels < 1)
        return nullptr;

    const auto limit = (juce::int64) (reader->sampleRate * kMaxSeconds);
    const auto frames = std::min (reader->lengthInSamples, limit);
    if (frames < 2 || frames > std::numeric_limits<int>::max() - 1)
        return nullptr;
    const int channels = (int) std::min (reader->numChannels, 2u);

    juce::AudioBuffer<float> buffer (channels, (int) frames);
    if (! reader->read (&buffer, 0, (int) frames, 0, true, channels > 1))
        return nullptr;

    auto out = std::make_unique<grum::SampleData>();
    out->sourceRate = reader->sampleRate;
    out->root = grum::rootPitchClassOf (sampleName.toStdString());
    out->left.assign (buffer.getReadPointer (0), buffer.getReadPointer (0) + frames);
    out->left.push_back (0.0f);   // interpolation may read one frame past the end
    if (channels > 1)
    {
        out->right.assign (buffer.getReadPointer (1), buffer.getReadPointer (1) + frames);
        out->right.push_back (0.0f);
    }
    return out;
}

const grum::SampleData* SampleLibrary::load (const juce::String& sampleName)
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    if (const auto hit = cache.find (sampleName); hit != cache.end())
        return hit->second.get();

    const auto it = resourceOf.find (sampleName);
    if (it == resourceOf.end())
        return nullptr;
    const auto& r = resources[(size_t) it->second];
    if (r.data == nullptr || r.size <= 0)
        return nullptr;

    auto decoded = decode (r.data, (size_t) r.size, sampleName);
    if (decoded == nullptr)
        return nullptr;   // not cached: a later call tries again, and still fails cleanly
    const grum::SampleData* result = decoded.get();
    cache[sampleName] = std::move (decoded);
    return result;
}

grum::SampleLoader SampleLibrary::loader()
{
    return [this] (const std::string& name) { return load (juce::String (juce::CharPointer_UTF8 (name.c_str()))); };
}

int SampleLibrary::decodedCount() const
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    return (int) cache.size();
}

size_t SampleLibrary::decodedBytes() const
{
    const std::lock_guard<std::recursive_mutex> lock (mutex);
    size_t bytes = 0;
    for (const auto& [name, data] : cache)
        bytes += (data->left.capacity() + data->right.capacity()) * sizeof (float);
    return bytes;
}
