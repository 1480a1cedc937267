#include "etrace/records/et_mode.h"

unsigned long convert_pril_to_et_mode(unsigned long pril) {
  switch (pril) {
    case 0: return ET_MODE_U;
    case 1: return ET_MODE_S;
    case 3: return ET_MODE_M;
    default: return 0;  // level 2 is reserved
  }
}

unsigned long construct_et_mode_from_string(const std::string& text) {
  unsigned long mask = 0;
  for (char c : text) {
    switch (c) {
      case 'M':
      case 'm': mask |= ET_MODE_M; break;
      case 'S':
      case 's': mask |= ET_MODE_S; break;
      case 'U':
      case 'u': mask |= ET_MODE_U; break;
      default: break;
    }
  }
  return mask;
}
