#include "PluginEditor.h"

#include "PluginProcessor.h"

GrumEditor::GrumEditor (GrumProcessor& p)
    : AudioProcessorEditor (p), grumProcessor (p)
{
    setResizable (false, false);
    setSize (kWidth, kHeight);
}

void GrumEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff101012));
    g.setColour (juce::Colour (0xffe8e4da));
    g.setFont (juce::Font (48.0f, juce::Font::bold));
    g.drawText ("GRUM", getLocalBounds().removeFromTop (kHeight / 2), juce::Justification::centredBottom);
    g.setFont (juce::Font (16.0f));
    g.drawText (juce::String::fromUTF8 ("Techno-dirigent · bygger låten medan den spelar"),
                getLocalBounds().removeFromBottom (kHeight / 2).removeFromTop (40), juce::Justification::centred);
}
