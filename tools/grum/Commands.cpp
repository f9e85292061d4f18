#include "Commands.h"

#include "PluginProcessor.h"

namespace cli
{

int params (int argc, const char* const*, std::ostream& out, std::ostream& err)
{
    if (argc != 0)
    {
        err << "grum params: takes no arguments\n";
        return 2;
    }

    GrumProcessor processor;
    int number = 1;
    for (auto* p : processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        const auto id = ranged != nullptr ? ranged->getParameterID() : juce::String();
        out << number++ << '\t' << id << '\t' << p->getName (1024) << '\t'
            << p->getText (p->getDefaultValue(), 1024) << '\n';
    }
    return 0;
}

} // namespace cli
