#pragma once

// `grum bars`: the conductor's bar states as JSON lines, one object per bar,
// for checking and debugging the music without a host.

#include <iosfwd>

#include "Types.h"

namespace grum
{

// Runs `grum bars` with its arguments (argv excludes the program and the
// subcommand names). Every bar from --from to --to comes from stepping the
// conductor forward from bar 0, as playback does. Returns 0, or 2 after a
// one-line message on err for a bad argument. Message thread / tools only.
int runBarsCommand (int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// One bar state as one JSON line (with its newline). Floats print their exact
// value with 17 significant digits, so 0.15f prints as 0.15000000596046448.
void writeBarJson (std::ostream& out, const BarState& state);

} // namespace grum
