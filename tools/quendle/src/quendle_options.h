// The command line of the trace formatter.
#pragma once

#include <string>

struct quendle_options_t {
  std::string trace;
  std::string output;
  std::string config;
  std::string format = "swt";   // swt, ingress, pconly, raw
  std::string iformat = "swt";  // swt, hwt, rvt
  bool ts = false;
  bool uiid = false;
  bool cc = false;
  bool fr = false;
  bool profile = false;
  unsigned long hmask = 3;
  std::string mode = "MSU";
  bool disable_interrupts = false;
  std::string ts_format = "10ld";  // printf integer conversion without "%"
  std::string uiid_format = "08lx";
  bool show_rvt = false;
  bool show_l2t = false;
  bool show_dct = false;
};

// Parses argv. Command-line errors, help and version end the process inside
// the parser (status 1, or 0 for help and version); the two printf formats
// and the message switches with the binary ingress format (unless the input
// format is "rvt", which writes no messages) are checked here, so a bad
// combination is refused before anything is written.
quendle_options_t parse_quendle_command_line(int argc, const char* const* argv);
