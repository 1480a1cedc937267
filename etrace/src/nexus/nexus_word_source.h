#pragma once
// Where the Nexus walk takes its instruction words from: a program image,
// looked up by address, or an HWT trace, in the order the core ran them.
//
//   nexus_word_t w;
//   if (!words.next_word(pc, w)) ...  // none at pc, or none left
#include <cstdint>

struct nexus_word_t {
  uint64_t word = 0;
  bool fused = false;      // a fused pair of an HWT trace
  bool exception = false;  // its instruction raised one (only the first half of a pair ran)
};

class nexus_word_source_t {
public:
  virtual ~nexus_word_source_t() = default;

  // The word the walk takes next, for the instruction at pc. False when
  // there is none: for a source that follows the pc, none at pc; for one
  // that does not, none left.
  virtual bool next_word(uint64_t pc, nexus_word_t& word) = 0;
  // The word depends on pc alone (an image): a walk that comes back to a pc
  // with nothing else changed repeats itself.
  virtual bool follows_pc() const = 0;
};
