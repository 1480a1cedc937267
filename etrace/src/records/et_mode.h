#pragma once
// Privilege-mode mask: one bit per privilege mode, used to select the
// instructions of chosen modes.
#include <string>

enum et_mode_t : unsigned long {
  ET_MODE_M = 1,
  ET_MODE_S = 2,
  ET_MODE_U = 4,
};

// The mode bit of a privilege level (0 user, 1 supervisor, 3 machine); 0 for
// the reserved level 2 and anything above 3.
unsigned long convert_pril_to_et_mode(unsigned long pril);

// The mask of the mode letters M, S and U (either case) found in text.
unsigned long construct_et_mode_from_string(const std::string& text);
