#pragma once
// L2T messages of the trace stream and the payload records that L2T and DCT
// messages share. Field names are the labels of the text forms.
#include <cstdint>
#include <string>

// Request (URQ, DRQ).
struct l2t_rq_t {
  uint64_t a;  // address
  uint32_t u;
  uint8_t rid;
  uint8_t id;
  uint8_t t;
  uint8_t f;

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// Data of one cache-line chunk (UWD, URD, DWD, DRD).
struct l2t_wd_t {
  uint64_t d[8];  // data words; word 0 comes first in the stream
  uint8_t psn;    // poison bits, one per word
  uint8_t cn;     // chunk number
  uint8_t count;  // number of words in d, 0..8

  std::string to_string() const;
  void append_text(std::string& out) const;
};
using l2t_rd_t = l2t_wd_t;

// Response (URS, DRS).
struct l2t_rs_t {
  uint8_t rid;
  uint8_t mid;
  uint8_t sid;
  uint8_t f;

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// Release (URL, DRL).
struct l2t_rl_t {
  uint8_t id;

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// Snoop request (USR, DSR).
struct l2t_sr_t {
  uint64_t a;  // address
  uint8_t m;
  uint8_t id;
  uint8_t t;

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// One value group of an HM2 record: a 4-bit value, two single bits and an
// 8-bit value, printed "value4:bit_a,bit_b,value8".
struct l2t_hm2_group_t {
  uint8_t value4;
  uint8_t bit_a;
  uint8_t bit_b;
  uint8_t value8;
};

// HM2 record.
struct l2t_hm2_t {
  uint64_t a;    // address
  uint64_t vca;  // second address, printed as VcA
  uint16_t op;   // 13 operation bits (names in l2t_hm2_op_names)
  uint16_t we0;
  uint16_t we1;
  uint8_t id;
  uint8_t ser;
  uint8_t hv;
  l2t_hm2_group_t hv_group;
  uint8_t iv;
  l2t_hm2_group_t iv_group;  // printed as Vc when IV is 0
  uint8_t fen[5];            // single bits
  uint8_t fl[3];             // two single bits and an 8-bit value

  std::string to_string() const;
  void append_text(std::string& out) const;
};

// Names of the HM2 operation bits, bit 0 first.
extern const char* const l2t_hm2_op_names[13];

// One L2T message. The letter is the record's header code (0x40 "URQ" to
// 0x4c "HM2") and chooses the payload.
struct l2t_object_t {
  uint8_t letter;
  union {
    l2t_rq_t rq;    // URQ, DRQ
    l2t_wd_t wd;    // UWD, DWD
    l2t_rd_t rd;    // URD, DRD
    l2t_rs_t rs;    // URS, DRS
    l2t_rl_t rl;    // URL, DRL
    l2t_sr_t sr;    // USR, DSR
    l2t_hm2_t hm2;  // HM2
  };
  uint64_t cycle;  // running cycle at the record

  // Record name + " " + payload text; "(unknown)" for a letter outside the table.
  std::string to_string() const;
  void append_text(std::string& out) const;
};
