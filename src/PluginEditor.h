#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_audio_processors/juce_audio_processors.h>

class GrumProcessor;

// The editor window: a fixed 1260 x 820 panel bound to one processor.
class GrumEditor : public juce::AudioProcessorEditor
{
public:
    static constexpr int kWidth = 1260;
    static constexpr int kHeight = 820;

    explicit GrumEditor (GrumProcessor&);

    void paint (juce::Graphics&) override;

private:
    GrumProcessor& grumProcessor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GrumEditor)
};
