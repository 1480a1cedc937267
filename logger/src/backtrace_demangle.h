#pragma once
// Rewrites a back-trace line "module(symbol+offset) rest" as
// "demangled +offset rest"; other lines come back unchanged.

#include <string>

// May overwrite characters of `line`.
std::string demangleBacktraceSymbol(char* line);
