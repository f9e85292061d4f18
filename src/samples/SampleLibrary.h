#pragma once

// The process-wide index and decode cache of the embedded samples. Built on
// first use, it only ever grows: a decoded sample is never freed while the
// process lives, so engines hold plain pointers to it.
//
// Message thread (or any thread but the audio thread); every call takes the
// library's recursive mutex. The audio thread never calls the library.

#include <juce_audio_formats/juce_audio_formats.h>

#include "resources/SampleResources.h"
#include "samples/Kits.h"
#include "samples/SampleData.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class SampleLibrary
{
public:
    // The instance over the embedded resources, constructed on first call.
    static SampleLibrary& get();

    // An index over any resource table (tests use small fixtures).
    explicit SampleLibrary (std::vector<grum::resources::Resource> table);

    // "Lp" for names starting "Lp", otherwise the first character.
    static juce::String categoryOf (const juce::String& sampleName);

    // Indexed names in natural order (category, then number); loops are not indexed.
    juce::StringArray names() const;
    // The indexed names of one category, in index order.
    juce::StringArray namesIn (const juce::String& category) const;
    std::vector<std::string> namesInCategory (const std::string& category) const;
    // The resource behind an indexed name, "" if none.
    juce::String resourceNameOf (const juce::String& sampleName) const;

    // The decoded sample, or null when the name is not indexed or its file is
    // empty, undecodable or shorter than two frames. Decodes once per process.
    const grum::SampleData* load (const juce::String& sampleName);

    // Decodes bytes as the library does: at most 12 seconds and two channels,
    // one 0.0 appended per channel, the root from the name. Null on failure.
    std::unique_ptr<grum::SampleData> decode (const void* data, size_t size, const juce::String& sampleName);

    // load() for the kit logic.
    grum::SampleLoader loader();

    // Samples decoded so far and the bytes their channels hold.
    int decodedCount() const;
    size_t decodedBytes() const;

    static constexpr double kMaxSeconds = 12.0;

private:
    mutable std::recursive_mutex mutex;
    juce::AudioFormatManager formats;
    std::vector<grum::resources::Resource> resources;
    juce::StringArray nameList;
    std::map<juce::String, int> resourceOf;                            // sample name -> table row
    std::map<juce::String, std::unique_ptr<grum::SampleData>> cache;   // never evicted

    JUCE_DECLARE_NON_COPYABLE (SampleLibrary)
};
