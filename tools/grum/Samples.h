#pragma once

#include <ostream>

namespace cli
{

// grum samples: one line per embedded resource, tab-separated: sample name,
// category, indexed (yes/no), root pitch class (-1 none), channels, frames,
// sample rate, peak dBFS, RMS dBFS.
// grum samples --export DIR: writes every embedded file into DIR.
int samples (int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace cli
