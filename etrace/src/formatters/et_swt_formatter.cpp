#include "etrace/formatters/et_swt_formatter.h"

#include <cstring>
#include <stdexcept>

#include "disasm/disasm_insn.h"
#include "disasm/insn.h"
#include "etrace/records/et_text.h"

namespace {

using et_text::put_dec;
using et_text::put_hex;
using et_text::put_repeat;

std::uint64_t width_mask(std::uint64_t w) {
  return (w == 0 || w >= 64) ? ~std::uint64_t(0) : (std::uint64_t(1) << w) - 1;
}

unsigned width_digits(std::uint64_t w, const char* what) {
  if (w > 64)
    throw std::invalid_argument(std::string(what) + " above 64 bits: " + std::to_string(w));
  return unsigned((w + 3) / 4);
}

// The line is built with plain pointer appends into a stack buffer: no
// stream state, no allocation per record.
inline char* put(char* p, const char* text, std::size_t n) {
  std::memcpy(p, text, n);
  return p + n;
}
template <std::size_t N>
inline char* put(char* p, const char (&text)[N]) {
  return put(p, text, N - 1);
}

// A hexadecimal value zero-filled to digits, or that many "?" when invalid.
inline char* put_value(char* p, bool valid, std::uint64_t v, unsigned digits) {
  return valid ? put_hex(p, v, digits) : put_repeat(p, '?', digits);
}

// " NAME[nn]=value": one operand field. prefix is " NAME[" in 8 bytes,
// copied whole with one store; what follows it overwrites the rest.
inline char* put_operand(char* p, const char (&prefix)[8], std::size_t prefix_length,
                         bool addr_valid, std::uint64_t addr, bool data_valid, std::uint64_t data,
                         unsigned digits) {
  std::memcpy(p, prefix, sizeof prefix);
  p += prefix_length;
  if (!addr_valid)
    p = put(p, "??");
  else if (addr < 256)  // a register number: one two-digit text
    p = put(p, &et_text::hex_pairs.text[2 * addr], 2);
  else
    p = put_hex(p, addr, 2);
  p = put(p, "]=");
  return put_value(p, data_valid, data, digits);
}

// The operand fields in print order: the odd register of a pair (its upper
// 32 bits), an integer register, or a floating-point register.
enum class operand_kind_t { pair_high, integer, fp };
// How each kind shows the register: the shift that brings its half down and
// the bit set in its number. Tables, so that the field loop takes no branch
// on the kind (the value masks and digit counts are the formatter's).
struct operand_kind_layout_t {
  unsigned shift;
  std::uint64_t addr_bit;
};
constexpr operand_kind_layout_t operand_kind_layouts[] = {{32, 1}, {0, 0}, {0, 0}};  // by kind
struct operand_field_t {
  std::uint64_t flag;
  char prefix[8];  // " NAME["
  std::size_t prefix_length;
  et_reg_t et_insn_t::*reg;
  operand_kind_t kind;
  bool store_data;  // a store shows its store data in this field
};
#define ET_FIELD(flag, reg, kind, store) \
  { insn_flag::flag, " " #flag "[", sizeof #flag + 1, &et_insn_t::reg, operand_kind_t::kind, store }
constexpr operand_field_t operand_fields[] = {
    ET_FIELD(RS1H, rs1, pair_high, false), ET_FIELD(RS1, rs1, integer, false),
    ET_FIELD(FRS1, frs1, fp, false),       ET_FIELD(RS2H, rs2, pair_high, false),
    ET_FIELD(RS2, rs2, integer, true),     ET_FIELD(FRS2, frs2, fp, true),
    ET_FIELD(RS3H, rs3, pair_high, false), ET_FIELD(RS3, rs3, integer, false),
    ET_FIELD(FRS3, frs3, fp, false),       ET_FIELD(RSDH, rsd, pair_high, false),
    ET_FIELD(RSD, rsd, integer, false),    ET_FIELD(RDH, rd, pair_high, false),
    ET_FIELD(RD, rd, integer, false),      ET_FIELD(FRD, frd, fp, false),
};
#undef ET_FIELD
constexpr std::size_t operand_field_count = sizeof operand_fields / sizeof operand_fields[0];

// The operand flags all lie in the low 16 bits. For each value of either byte
// of them, the set of fields present as bits in print order, so that the
// line visits only the fields it prints (lowest bit first) instead of
// testing every flag.
struct field_order_t {
  std::uint16_t by_low[256], by_high[256];
  constexpr field_order_t() : by_low(), by_high() {
    for (unsigned b = 0; b < 256; ++b)
      for (std::size_t i = 0; i < operand_field_count; ++i) {
        if (operand_fields[i].flag & b) by_low[b] |= std::uint16_t(1u << i);
        if (operand_fields[i].flag & (b << 8)) by_high[b] |= std::uint16_t(1u << i);
      }
  }
  unsigned present(std::uint64_t flags) const {
    return by_low[flags & 0xff] | by_high[(flags >> 8) & 0xff];
  }
};
static_assert(operand_field_count <= 16, "field sets are 16-bit");
constexpr field_order_t field_order;

char privilege_letter(std::uint64_t pril) {
  switch (pril) {
    case 3: return 'M';
    case 1: return 'S';
    case 0: return 'U';
    default: return '?';
  }
}

// The 100 profile columns: where in the last 100 cycles each stage of the
// instruction happened. Rules are applied lowest priority first so that the
// higher ones overwrite.
void fill_profile(char* col, const et_insn_t& in) {
  using namespace insn_flag;
  std::memset(col, '.', 100);
  const std::uint64_t f = in.flags;
  col[in.issue_cycle % 100] = 'd';
  if (f & (RS1 | RS2 | RS3 | FRS1 | FRS2 | FRS3 | RSD | RSDH | RS1H | RS2H | RS3H))
    col[in.read_cycle % 100] = 'i';
  if (in.ea_valid) col[in.va_cycle % 100] = 'v';
  if (in.pa_valid) col[in.pa_cycle % 100] = 'p';
  if (f & STORE) col[in.sd_cycle % 100] = 's';
  if ((f & (RSD | RSDH | RDH | FRD)) || ((f & RD) && insn_t(in.chunk).rd() != 0))
    col[in.write_cycle % 100] = 'c';
  if (in.fr) col[in.fr_cycle % 100] = 'm';
  col[in.commit_cycle % 100] = 'r';
}

}  // namespace

et_swt_formatter_t::et_swt_formatter_t(std::uint64_t xlen, std::uint64_t flen,
                                       std::uint64_t paddr_width, bool timestamp, bool uiid,
                                       bool chunk, bool fetch_redirect, bool profile,
                                       const std::string& ts_format, const std::string& uiid_format,
                                       const std::string& disasm_format)
    : timestamp_(timestamp, ts_format),
      xdig_(width_digits(xlen, "register width")),
      fdig_(width_digits(flen, "floating-point width")),
      pdig_(width_digits(paddr_width, "physical-address width")),
      xmask_(width_mask(xlen)),
      fmask_(width_mask(flen)),
      pmask_(width_mask(paddr_width)),
      uiid_(uiid),
      chunk_(chunk),
      fetch_redirect_(fetch_redirect),
      profile_(profile),
      uiid_format_(uiid_format),
      disasm_format_(disasm_format),
      kind_masks_{~std::uint64_t(0), xmask_, fmask_},
      kind_digits_{xdig_, xdig_, fdig_} {}

// The longest line, column by column in line order, each with the scratch
// that its writer may store past its end (what follows overwrites it). An
// interrupt line is shorter: its pc, chunk and cause columns are narrower
// than these and it has no operand or address fields.
namespace line_bound {
constexpr std::size_t timestamp = et_timestamp_column_t::max_size;  // "< " stamp " > "
// "( " uiid "." hart " ) ": the hart number is 16 bits, at most 5 digits.
constexpr std::size_t uiid = 2 + et_int_format_t::max_output + 1 + 5 + 3;
constexpr std::size_t privilege = 4;          // "Mc ["
constexpr std::size_t pc = 16 + 1;            // pc "]"
constexpr std::size_t profile = 3 + 100 + 2;  // three tabs, the columns, two blanks
constexpr std::size_t chunk = 2 + 16 + 1;     // " |" a fused 64-bit word "|"
// A blank and the text column: format_array() writes the whole text array,
// or pads the widest column in blocks of 32.
constexpr std::size_t disasm = 1 + (sizeof(et_insn_t::disasm) > et_str_format_t::max_width + 32
                                        ? sizeof(et_insn_t::disasm)
                                        : et_str_format_t::max_width + 32);
// " RS1H[" (the 8-byte prefix store lies within the rest), a register
// number of up to 16 digits, "]=", a value of up to 16 digits.
constexpr std::size_t operand = 6 + 16 + 2 + 16;
constexpr std::size_t operands = 14 * operand;
constexpr std::size_t addresses = 4 + 16 + 4 + 16;  // " EA=" ea " PA=" pa
constexpr std::size_t cause = 7 + 16;               // " CAUSE=" cause
constexpr std::size_t fetch_redirect = 10;          // " FRE0 FRCM"
constexpr std::size_t newline = 1;
constexpr std::size_t total = timestamp + uiid + privilege + pc + profile + chunk + disasm +
                              operands + addresses + cause + fetch_redirect + newline;
}  // namespace line_bound
static_assert(line_bound::total <= et_buffered_formatter_t::max_record, "line buffer too small");

std::size_t et_swt_formatter_t::build_record(char* out, const et_insn_t& in) {
  using namespace insn_flag;
  char* p = timestamp_.put(out, in.commit_cycle);
  if (uiid_) {
    p = put(p, "( ");
    p += uiid_format_.format(p, in.uiid);
    *p++ = '.';
    p = put_dec(p, in.hart);
    p = put(p, " ) ");
  }
  *p++ = privilege_letter(in.pril);
  *p++ = in.committed ? 'c' : 'x';
  p = put(p, " [");

  if (in.interrupt) {
    p = put(p, "        ]");
    if (chunk_) p = put(p, " |        |");
    *p++ = ' ';
    p += disasm_format_.format(p, "intr", 4);
    p = put(p, " CAUSE=");
    p = put_value(p, in.trap, in.cause & xmask_, xdig_);
    if (in.trig) p = put(p, " TRIG=1");
    *p++ = '\n';
    return std::size_t(p - out);
  }

  p = put_hex(p, in.pc, 1);
  *p++ = ']';
  if (profile_) {
    p = put(p, "\t\t\t");
    fill_profile(p, in);
    p += 100;
    p = put(p, "  ");
  }
  if (chunk_) {
    if (insn_t(in.chunk).is_32bit()) {
      p = put(p, " |");
      p = put_hex(p, in.chunk, 8);
    } else {
      p = put(p, " |    ");
      p = put_hex(p, in.chunk & 0xffff, 4);
    }
    *p++ = '|';
  }
  *p++ = ' ';
  p += disasm_format_.format_array(p, in.disasm);

  if (!profile_) {
    // RD is shown only when the word's rd field is not x0.
    const std::uint64_t f = insn_t(in.chunk).rd() != 0 ? in.flags : in.flags & ~std::uint64_t(RD);
    const bool stores = (f & STORE) != 0;
    for (unsigned present = field_order.present(f); present != 0; present &= present - 1) {
      const operand_field_t& field = operand_fields[__builtin_ctz(present)];
      const et_reg_t& r = in.*field.reg;
      const bool shows_store_data = field.store_data && stores;
      const std::uint64_t data = shows_store_data ? in.sd : r.data;
      const bool valid = shows_store_data ? in.sd_valid : r.data_valid;
      const unsigned kind = unsigned(field.kind);
      const operand_kind_layout_t& layout = operand_kind_layouts[kind];
      p = put_operand(p, field.prefix, field.prefix_length, r.addr_valid, r.addr | layout.addr_bit,
                      valid, (data >> layout.shift) & kind_masks_[kind], kind_digits_[kind]);
    }

    if (f & MEM) {
      p = put(p, " EA=");
      p = in.ea_valid ? put_hex(p, in.ea, 1) : put_repeat(p, '?', xdig_);
      p = put(p, " PA=");
      p = put_value(p, in.pa_valid, in.pa & pmask_, pdig_);
    }
    if (!in.disasm_known || in.trap) {
      p = put(p, " CAUSE=");
      p = put_value(p, in.trap, in.cause & xmask_, xdig_);
    }
  }
  if (fetch_redirect_) {
    if (in.fr) p = put(p, " FRE0");
    if (in.frcm) p = put(p, " FRCM");
  }
  *p++ = '\n';
  return std::size_t(p - out);
}
