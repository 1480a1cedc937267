// The fused instruction pairs: one row per pair, the one place that says how
// a fused word is recognised, named and printed. The disassembler adds an
// entry per row; the trace library derives from the rows the patterns by
// which it tells a fused word from an instruction word.
#pragma once

#include <cstdint>

#include "disasm/disasm_insn.h"
#include "disasm/fuse_args.h"

struct fused_pair_t {
  char const* name;  // underscore form
  unsigned long id;
  unsigned long flags;
  uint64_t mask;
  uint64_t match;
  arg_t const* printer;
};

namespace fused_pairs_rows {

using namespace insn_flag;

// The memory-access flag marks the pairs whose second half is a load.
constexpr unsigned long load_pair = RD | MEM;
constexpr unsigned long add_load_pair = RS1 | RS2 | RD | MEM;

// In the order the disassembler adds them; the pairs are not gated by any
// extension. The trace library recognises fused words by these rows too.
inline constexpr fused_pair_t rows[] = {
    {"fuse_lui_addi", 406, RD, 0xfff8000000003fff, 0x8000000000001bbf, &fuse_lui_addi_arg},
    {"fuse_lui_c_addi", 407, RD, 0xfff8000000003fff, 0x8000000000001b9f, &fuse_lui_c_addi_arg},
    {"fuse_lui_jalr", 409, RD, 0xfff8000000003fff, 0xb000000000001bbf, &fuse_lui_jalr_arg},
    {"fuse_add_lx", 383, add_load_pair, 0xffc7ffff00383fff, 0x90000000000019bf, &fuse_add_lx_arg},
    {"fuse_add_c_lx", 382, add_load_pair, 0xffc7ffff00383fff, 0x900000000000199f,
     &fuse_add_c_lx_arg},
    {"fuse_add_uw_lx", 385, add_load_pair, 0xffc7ffff00383fff, 0x9000000400001dbf,
     &fuse_add_uw_lx_arg},
    {"fuse_add_uw_c_lx", 384, add_load_pair, 0xffc7ffff00383fff, 0x9000000400001d9f,
     &fuse_add_uw_c_lx_arg},
    {"fuse_sh1add_lx", 412, add_load_pair, 0xffc7ffff00383fff, 0x90000010001019bf,
     &fuse_sh1add_lx_arg},
    {"fuse_sh1add_c_lx", 411, add_load_pair, 0xffc7ffff00383fff, 0x900000100010199f,
     &fuse_sh1add_c_lx_arg},
    {"fuse_sh1add_uw_lx", 414, add_load_pair, 0xffc7ffff00383fff, 0x9000001000101dbf,
     &fuse_sh1add_uw_lx_arg},
    {"fuse_sh1add_uw_c_lx", 413, add_load_pair, 0xffc7ffff00383fff, 0x9000001000101d9f,
     &fuse_sh1add_uw_c_lx_arg},
    {"fuse_sh2add_lx", 416, add_load_pair, 0xffc7ffff00383fff, 0x90000010002019bf,
     &fuse_sh2add_lx_arg},
    {"fuse_sh2add_c_lx", 415, add_load_pair, 0xffc7ffff00383fff, 0x900000100020199f,
     &fuse_sh2add_c_lx_arg},
    {"fuse_sh2add_uw_lx", 418, add_load_pair, 0xffc7ffff00383fff, 0x9000001000201dbf,
     &fuse_sh2add_uw_lx_arg},
    {"fuse_sh2add_uw_c_lx", 417, add_load_pair, 0xffc7ffff00383fff, 0x9000001000201d9f,
     &fuse_sh2add_uw_c_lx_arg},
    {"fuse_sh3add_lx", 420, add_load_pair, 0xffc7ffff00383fff, 0x90000010003019bf,
     &fuse_sh3add_lx_arg},
    {"fuse_sh3add_c_lx", 419, add_load_pair, 0xffc7ffff00383fff, 0x900000100030199f,
     &fuse_sh3add_c_lx_arg},
    {"fuse_sh3add_uw_lx", 422, add_load_pair, 0xffc7ffff00383fff, 0x9000001000301dbf,
     &fuse_sh3add_uw_lx_arg},
    {"fuse_sh3add_uw_c_lx", 421, add_load_pair, 0xffc7ffff00383fff, 0x9000001000301d9f,
     &fuse_sh3add_uw_c_lx_arg},
    {"fuse_lui_lx", 410, load_pair, 0xffc0000000003fff, 0xa000000000001bbf, &fuse_lui_lx_arg},
    {"fuse_lui_c_lx", 408, load_pair, 0xffc0000000003fff, 0xa000000000001b9f, &fuse_lui_c_lx_arg},
    {"fuse_auipc_addi", 390, RD, 0xfff8000000003fff, 0xc000000000000bbf, &fuse_auipc_addi_arg},
    {"fuse_auipc_c_addi", 391, RD, 0xfff8000000003fff, 0xc000000000000b9f, &fuse_auipc_c_addi_arg},
    {"fuse_auipc_jalr", 393, RD, 0xfff8000000003fff, 0xf000000000000bbf, &fuse_auipc_jalr_arg},
    {"fuse_auipc_lx", 394, load_pair, 0xffc0000000003fff, 0xe000000000000bbf, &fuse_auipc_lx_arg},
    {"fuse_auipc_c_lx", 392, load_pair, 0xffc0000000003fff, 0xe000000000000b9f,
     &fuse_auipc_c_lx_arg},
    {"fuse_c_lui_addi", 401, RD, 0xfff8007ffff001ff, 0x800000000030009f, &fuse_c_lui_addi_arg},
    {"fuse_c_lui_c_addi", 402, RD, 0xfff8007ffff001ff, 0x80000000003000fb, &fuse_c_lui_c_addi_arg},
    {"fuse_c_lui_jalr", 404, RD, 0xfff8007ffff001ff, 0xb00000000030009f, &fuse_c_lui_jalr_arg},
    {"fuse_c_add_lx", 396, add_load_pair, 0xffc7fffffff801ff, 0x900000000048011f,
     &fuse_c_add_lx_arg},
    {"fuse_c_lui_lx", 405, load_pair, 0xffc0007ffff001ff, 0xa00000000030009f, &fuse_c_lui_lx_arg},
    {"fuse_c_lui_c_lx", 403, load_pair, 0xffc0007ffff001ff, 0xa0000000003000fb,
     &fuse_c_lui_c_lx_arg},
    {"fuse_c_add_c_lx", 395, add_load_pair, 0xffc7fffffff801ff, 0x900000000048017b,
     &fuse_c_add_c_lx_arg},
    {"fuse_andi_beq", 388, RS1 | RD, 0xff80000000383fff, 0xd0000000003809bf, &fuse_andi_beq_arg},
    {"fuse_and_beq", 386, RS1 | RS2 | RD, 0xff80007f00383fff, 0xd0000000003819bf,
     &fuse_and_beq_arg},
    {"fuse_andi_c_beq", 389, RS1 | RD, 0xffc0000000383fff, 0xd00000000038099f,
     &fuse_andi_c_beq_arg},
    {"fuse_and_c_beq", 387, RS1 | RS2 | RD, 0xffc0007f00383fff, 0xd00000000038199f,
     &fuse_and_c_beq_arg},
    {"fuse_c_andi_beq", 399, RS1 | RD, 0xff80007ffff601ff, 0xd00000000044009f,
     &fuse_c_andi_beq_arg},
    {"fuse_c_and_beq", 397, RS1 | RS2 | RD, 0xff80007ffffe31ff, 0xd00000000046309f,
     &fuse_c_and_beq_arg},
    {"fuse_c_andi_c_beq", 400, RS1 | RD, 0xffc0007ffff601ff, 0xd0000000004400fb,
     &fuse_c_andi_c_beq_arg},
    {"fuse_c_and_c_beq", 398, RS1 | RS2 | RD, 0xffc0007ffffe31ff, 0xd0000000004630fb,
     &fuse_c_and_c_beq_arg},
};

}  // namespace fused_pairs_rows

inline constexpr auto const& fused_pairs = fused_pairs_rows::rows;
