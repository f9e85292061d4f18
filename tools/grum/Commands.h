#pragma once

#include <ostream>

// The subcommands of the `grum` tool. Each returns the process exit status:
// 0 for success, 2 for a bad argument (with a one-line message on err).
namespace cli
{

// One line per host parameter in host order: index, ID, name, default text.
int params (int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Plays the plug-in offline as a DAW would and writes its audio, live MIDI
// output and events (--help for options).
int render (int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace cli
