// The trace formatter program: configuration, reader, formatter and the
// record loop from the trace file to the output file.
#pragma once

#include "quendle_options.h"

// Runs the program for parsed options and returns its exit status: 0 at the
// end of the trace, 1 after an error ("ERROR: " and the reason on standard
// error), 255 when the configuration file cannot be loaded.
int run_quendle(const quendle_options_t& options);

// The whole program: command line, then run_quendle; status 1 when its
// standard-output lines could not be written.
int quendle_main(int argc, const char* const* argv);
