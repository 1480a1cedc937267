#include "logger/backtrace_demangle.h"

#include <cxxabi.h>

#include <cstdlib>

std::string demangleBacktraceSymbol(char* line) {
  char* open = nullptr;
  char* plus = nullptr;
  char* close = nullptr;
  for (char* p = line; *p != '\0'; ++p) {
    if (*p == ')') {
      close = p;
      break;
    }
    if (*p == '(') open = p;
    if (*p == '+') plus = p;
  }
  if (close == nullptr || open == nullptr || plus == nullptr || open > plus)
    return std::string(line);

  *open = '\0';
  *plus = '\0';
  *close = '\0';
  const char* mangled = open + 1;
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string result(status == 0 && demangled != nullptr ? demangled : mangled);
  std::free(demangled);
  result += " +";
  result += plus + 1;
  result += close + 1;
  return result;
}
