#include "skip_range.h"

#include <sstream>

SkipRangeArg& SkipRangeArg::operator=(const std::string& text) {
  try {
    std::istringstream in(text);
    std::string first, second;
    std::getline(in, first, ':');
    if (!in) throw std::invalid_argument("no colon");
    std::getline(in, second, ':');
    const int64_t s = std::stoll(first, nullptr, 0);
    const int64_t e = std::stoll(second, nullptr, 0);
    start = s;
    end = e;
  } catch (...) {
    throw TCLAP::ArgParseException("Invalid skip-range format. Use <start>:<end> format.");
  }
  return *this;
}
