#pragma once
// DCT messages of the trace stream. Besides their own BRQ and WUP payloads
// they carry the L2T payload records.
#include <cstdint>
#include <string>

#include "etrace/records/l2t_object.h"

// Block request.
struct dct_brq_t {
  uint64_t a;  // address
  uint64_t wrd;
  uint64_t ldd;
  uint8_t hid;  // current DCT hart of the stream
  uint8_t kl;
  uint8_t stlb;
  uint8_t op;  // 3 bits
  uint8_t f;   // flag bits; 0x20 and 0x08 steer the text
  uint8_t wrm;
  uint8_t psn;
  uint8_t scf;
  uint8_t fs;
  uint8_t blk_valid;
  uint8_t blk_kind;  // 2 bits: 0 id, 1 GEN, 2 NONE, 3 ?
  uint8_t blk_id;    // 6 bits

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// Wake-up.
struct dct_wup_t {
  uint8_t hid;  // current DCT hart of the stream
  uint8_t gv;
  uint8_t v;
  uint8_t v_data;  // 6-bit value printed after V and a colon
  uint8_t fs;

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// One DCT message. The letter is the record's header code (0x51 "BRQ" to
// 0x58 "DSR") and chooses the payload.
struct dct_object_t {
  uint8_t letter;
  union {
    dct_brq_t brq;  // BRQ
    dct_wup_t wup;  // WUP
    l2t_rq_t rq;    // DRQ
    l2t_wd_t wd;    // DWD
    l2t_rd_t rd;    // DRD
    l2t_rs_t rs;    // DRS
    l2t_rl_t rl;    // DRL
    l2t_sr_t sr;    // DSR
  };
  uint64_t cycle;  // running cycle at the record

  // Record name + " " + payload text; "(unknown)" for a letter outside the table.
  std::string to_string() const;
  void append_text(std::string& out) const;
};
