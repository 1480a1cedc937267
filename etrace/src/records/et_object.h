#pragma once
// One tagged trace object, as a reader hands it out: the kind chooses which
// payload is valid; all payloads share one storage.
#include <cstdint>
#include <string>

#include "etrace/records/dct_object.h"
#include "etrace/records/et_insn.h"
#include "etrace/records/l2t_object.h"
#include "etrace/records/rvt_object.h"

struct et_object_t {
  enum kind_t : uint8_t {
    KIND_NONE = 0,
    KIND_INSN = 1,
    KIND_RVT = 2,
    KIND_L2T = 3,
    KIND_DCT = 4,
  };

  uint8_t kind;
  union {
    et_insn_t insn;
    rvt_object_t rvt;
    l2t_object_t l2t;
    dct_object_t dct;
  };

  // "SWT ", "RVT ", "L2T " or "DCT " + the payload text; "NONE" for kind 0.
  std::string to_string() const;
  void append_text(std::string& out) const;
};
