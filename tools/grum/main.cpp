// grum: the command-line face of the plug-in, on the same code the host loads.

#include <juce_events/juce_events.h>

#include "Commands.h"
#include "Samples.h"
#include "conductor/BarDump.h"

#include <cstring>
#include <iostream>

namespace
{
struct Command
{
    const char* name;
    int (*run) (int, const char* const*, std::ostream&, std::ostream&);
    const char* help;
    bool needsFramework;
};

const Command kCommands[] = {
    { "params", cli::params, "list the host parameters: index, ID, name, default text", true },
    { "bars", grum::runBarsCommand, "the conductor's bar states as JSON lines (--help for options)", false },
    { "samples", cli::samples, "the embedded samples, one per line (--export DIR writes the files)", true },
    { "render", cli::render, "play offline as a DAW would: WAV, live MIDI and events (--help for options)", true },
};

void usage (std::ostream& out)
{
    out << "usage: grum <command> [options]\n\ncommands:\n";
    for (const auto& c : kCommands)
        out << "  " << c.name << "\t" << c.help << "\n";
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        usage (std::cerr);
        return 2;
    }
    if (std::strcmp (argv[1], "help") == 0 || std::strcmp (argv[1], "--help") == 0 || std::strcmp (argv[1], "-h") == 0)
    {
        usage (std::cout);
        return 0;
    }

    for (const auto& c : kCommands)
        if (std::strcmp (argv[1], c.name) == 0)
        {
            if (! c.needsFramework)
                return c.run (argc - 2, argv + 2, std::cout, std::cerr);
            juce::ScopedJuceInitialiser_GUI framework;
            return c.run (argc - 2, argv + 2, std::cout, std::cerr);
        }

    std::cerr << "grum: unknown command '" << argv[1] << "' (try grum help)\n";
    return 2;
}
