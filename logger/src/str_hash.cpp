#include "logger/str_hash.h"

uint32_t str_hash_runtime(const std::string& text) { return str_hash(text); }
