// Reading the instruction word that quendle_dump is given on its command line.
#pragma once

#include <cstdint>
#include <string>

// The text as an unsigned 64-bit hexadecimal number, read like std::stoull
// with base 16: leading blanks, a sign and a "0x" prefix are allowed, anything
// after the number is ignored, "-1" is all ones. A text without a leading
// number or with a value beyond 64 bits throws std::invalid_argument with a
// one-line message naming the text.
uint64_t parse_chunk_text(const std::string& text);
