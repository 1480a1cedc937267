#pragma once
// The wire format of the binary trace record stream: every record code with
// its payload fields, in stream order, and their widths. This is the one
// place the layout is written down; the stream reader (mh_swt_reader), the
// RVT extractor, the stream writer and the tests' trace builder all take the
// field widths and record lengths from here.
//
// A record is a header byte (its code, mh_record_code_t), then its payload
// fields, each least-significant bit first, then zero bits up to the next
// byte boundary. Most widths are fixed; the others follow the stream
// geometry (et_stream_geometry_t): an et_wire_format_t resolves them once.
#include <cstddef>
#include <cstdint>

#include "etrace/stream/et_record.h"
#include "etrace/stream/et_stream_geometry.h"

// Where a field's width, or its repeat count, comes from.
enum class et_wire_size_t : uint8_t {
  FIXED,     // the number written in the table
  XLEN,      // XLEN
  FLEN,      // FLEN
  VA,        // virtual addresses and program counters: XLEN
  PADDR,     // PADDR_WIDTH
  IRF,       // IRF_DATA_WIDTH
  STD,       // store data: max(XLEN, FLEN)
  WD_WORDS,  // 64-bit data words in a cache-line chunk: CL_WIDTH / CL_CHUNKS / 64
  PSN,       // poison bits of a chunk: WD_WORDS with POISON_ENABLE, else none
  CN,        // chunk-number bits: log2(CL_CHUNKS)
};
constexpr std::size_t et_wire_size_count = 10;

// A width in bits or a repeat count: fixed, or taken from the geometry.
struct et_wire_quantity_t {
  et_wire_size_t size;
  uint8_t fixed;  // the number, for FIXED
};

struct et_wire_field_t {
  const char* name;
  et_wire_quantity_t width;                            // bits of one value, 0 to 64
  et_wire_quantity_t count{et_wire_size_t::FIXED, 1};  // values in a row
};

// The families of records.
enum class et_wire_group_t : uint8_t {
  STREAM,  // TSD1 (cycle delta) and SWT_HART (current hart)
  RVT,     // SWT_RVT
  INSN,    // SWT_IS to SWT_CM: a piid, then one part of that instruction
  L2T,     // SWT_L2T_URQ to SWT_L2T_HM2
  DCT,     // SWT_DCT_HART (current DCT hart) and the DCT messages
};

struct et_wire_record_t {
  unsigned code;
  const char* name;  // mh_record_to_string
  et_wire_group_t group;
  mh_payload_shape_t shape;  // the payload shape of a message record
  const et_wire_field_t* fields;
  std::size_t field_count;

  constexpr const et_wire_field_t* begin() const { return fields; }
  constexpr const et_wire_field_t* end() const { return fields + field_count; }
};

namespace et_wire {

constexpr et_wire_quantity_t bits(unsigned n) { return {et_wire_size_t::FIXED, uint8_t(n)}; }
constexpr et_wire_quantity_t sized(et_wire_size_t size) { return {size, 0}; }

// Every record starts with its code in a header byte.
inline constexpr unsigned header_bits = 8;

// --- The fields --------------------------------------------------------------

// Stream records.
inline constexpr et_wire_field_t tsd1_delta{"delta", bits(8)};  // cycles to add
inline constexpr et_wire_field_t hart_id{"hart", bits(8)};
inline constexpr et_wire_field_t rvt_data{"data", bits(64)};

// Instruction records: the piid (the low bits of the uiid) comes first.
inline constexpr et_wire_field_t piid{"piid", bits(10)};
inline constexpr et_wire_field_t is_pril{"pril", bits(2)};
inline constexpr et_wire_field_t is_chunk{"chunk", bits(64)};
inline constexpr et_wire_field_t rf_selector{"selector", bits(4)};  // mh_reg_selector_t
inline constexpr et_wire_field_t rf_reg{"reg", bits(5)};
inline constexpr et_wire_field_t irf_value{"value", sized(et_wire_size_t::IRF)};
inline constexpr et_wire_field_t frf_value{"value", sized(et_wire_size_t::FLEN)};
inline constexpr et_wire_field_t fr_bit{"fr", bits(1)};
inline constexpr et_wire_field_t va_address{"address", sized(et_wire_size_t::VA)};
inline constexpr et_wire_field_t pa_address{"address", sized(et_wire_size_t::PADDR)};
inline constexpr et_wire_field_t std_data{"data", sized(et_wire_size_t::STD)};
inline constexpr et_wire_field_t cm_pc{"pc", sized(et_wire_size_t::VA)};
// The commit flags after the program counter (cm_flags below).
inline constexpr et_wire_field_t cm_frcm{"frcm", bits(1)};
inline constexpr et_wire_field_t cm_trap{"trap", bits(1)};
inline constexpr et_wire_field_t cm_interrupt{"interrupt", bits(1)};  // bit XLEN-1 of the cause
inline constexpr et_wire_field_t cm_cause{"cause", bits(6)};          // the cause code
inline constexpr et_wire_field_t cm_trig{"trig", bits(1)};

// Message payloads that L2T and DCT messages share.
inline constexpr et_wire_field_t rq_rid{"rid", bits(3)};
inline constexpr et_wire_field_t rq_id{"id", bits(8)};
inline constexpr et_wire_field_t rq_t{"t", bits(5)};
inline constexpr et_wire_field_t rq_a{"a", bits(40)};
inline constexpr et_wire_field_t rq_f{"f", bits(7)};
inline constexpr et_wire_field_t rq_u{"u", bits(20)};

inline constexpr et_wire_field_t wd_d{"d", bits(64), sized(et_wire_size_t::WD_WORDS)};
inline constexpr et_wire_field_t wd_psn{"psn", sized(et_wire_size_t::PSN)};
inline constexpr et_wire_field_t wd_cn{"cn", sized(et_wire_size_t::CN)};

inline constexpr et_wire_field_t rs_rid{"rid", bits(3)};
inline constexpr et_wire_field_t rs_mid{"mid", bits(8)};
inline constexpr et_wire_field_t rs_sid{"sid", bits(8)};
inline constexpr et_wire_field_t rs_f{"f", bits(5)};

inline constexpr et_wire_field_t rl_id{"id", bits(8)};

inline constexpr et_wire_field_t sr_m{"m", bits(8)};
inline constexpr et_wire_field_t sr_id{"id", bits(8)};
inline constexpr et_wire_field_t sr_t{"t", bits(3)};
inline constexpr et_wire_field_t sr_a{"a", bits(40)};

// L2T HM2; its two value groups (HV and IV) have the same fields.
inline constexpr et_wire_field_t hm2_id{"id", bits(8)};
inline constexpr et_wire_field_t hm2_a{"a", bits(40)};
inline constexpr et_wire_field_t hm2_op{"op", bits(13)};
inline constexpr et_wire_field_t hm2_ser{"ser", bits(1)};
inline constexpr et_wire_field_t hm2_hv{"hv", bits(1)};
inline constexpr et_wire_field_t hm2_iv{"iv", bits(1)};
inline constexpr et_wire_field_t hm2_group_value4{"value4", bits(4)};
inline constexpr et_wire_field_t hm2_group_bit_a{"bit_a", bits(1)};
inline constexpr et_wire_field_t hm2_group_bit_b{"bit_b", bits(1)};
inline constexpr et_wire_field_t hm2_group_value8{"value8", bits(8)};
inline constexpr et_wire_field_t hm2_vca{"vca", bits(40)};
inline constexpr et_wire_field_t hm2_we0{"we0", bits(16)};
inline constexpr et_wire_field_t hm2_we1{"we1", bits(16)};
inline constexpr et_wire_field_t hm2_fen{"fen", bits(1), bits(5)};
inline constexpr et_wire_field_t hm2_fl0{"fl0", bits(1)};
inline constexpr et_wire_field_t hm2_fl1{"fl1", bits(1)};
inline constexpr et_wire_field_t hm2_fl2{"fl2", bits(8)};

// DCT BRQ and WUP.
inline constexpr et_wire_field_t brq_kl{"kl", bits(1)};
inline constexpr et_wire_field_t brq_stlb{"stlb", bits(1)};
inline constexpr et_wire_field_t brq_op{"op", bits(3)};
inline constexpr et_wire_field_t brq_f{"f", bits(8)};
inline constexpr et_wire_field_t brq_a{"a", bits(40)};
inline constexpr et_wire_field_t brq_wrd{"wrd", bits(64)};
inline constexpr et_wire_field_t brq_wrm{"wrm", bits(8)};
inline constexpr et_wire_field_t brq_ldd{"ldd", bits(64)};
inline constexpr et_wire_field_t brq_psn{"psn", bits(2)};
inline constexpr et_wire_field_t brq_scf{"scf", bits(1)};
inline constexpr et_wire_field_t brq_fs{"fs", bits(3)};
inline constexpr et_wire_field_t brq_blk_valid{"blk_valid", bits(1)};
inline constexpr et_wire_field_t brq_blk_kind{"blk_kind", bits(2)};
inline constexpr et_wire_field_t brq_blk_id{"blk_id", bits(6)};

inline constexpr et_wire_field_t wup_gv{"gv", bits(1)};
inline constexpr et_wire_field_t wup_v{"v", bits(1)};
inline constexpr et_wire_field_t wup_v_data{"v_data", bits(6)};
inline constexpr et_wire_field_t wup_fs{"fs", bits(3)};

// --- The payloads ------------------------------------------------------------

inline constexpr et_wire_field_t tsd1_payload[] = {tsd1_delta};
inline constexpr et_wire_field_t hart_payload[] = {hart_id};
inline constexpr et_wire_field_t rvt_payload[] = {rvt_data};

inline constexpr et_wire_field_t is_payload[] = {piid, is_pril, is_chunk};
inline constexpr et_wire_field_t rfra_payload[] = {piid, rf_selector, rf_reg};  // IRFRA, FRFRA
inline constexpr et_wire_field_t irfrd_payload[] = {piid, rf_selector, irf_value};
inline constexpr et_wire_field_t rfwa_payload[] = {piid, rf_reg};  // IRFWA, FRFWA
inline constexpr et_wire_field_t irfwd_payload[] = {piid, irf_value};
inline constexpr et_wire_field_t frfrd_payload[] = {piid, rf_selector, frf_value};
inline constexpr et_wire_field_t frfwd_payload[] = {piid, frf_value};
inline constexpr et_wire_field_t fr_payload[] = {piid, fr_bit};
inline constexpr et_wire_field_t va_payload[] = {piid, va_address};
inline constexpr et_wire_field_t pa_payload[] = {piid, pa_address};
inline constexpr et_wire_field_t std_payload[] = {piid, std_data};
inline constexpr et_wire_field_t cm_payload[] = {piid,         cm_pc,    cm_frcm, cm_trap,
                                                 cm_interrupt, cm_cause, cm_trig};

inline constexpr et_wire_field_t rq_payload[] = {rq_rid, rq_id, rq_t, rq_a, rq_f, rq_u};
inline constexpr et_wire_field_t wd_payload[] = {wd_d, wd_psn, wd_cn};  // also the RD records
inline constexpr et_wire_field_t rs_payload[] = {rs_rid, rs_mid, rs_sid, rs_f};
inline constexpr et_wire_field_t rl_payload[] = {rl_id};
inline constexpr et_wire_field_t sr_payload[] = {sr_m, sr_id, sr_t, sr_a};
inline constexpr et_wire_field_t hm2_payload[] = {
    hm2_id,           hm2_a,           hm2_op,          hm2_ser,          hm2_hv,
    hm2_group_value4, hm2_group_bit_a, hm2_group_bit_b, hm2_group_value8, hm2_iv,
    hm2_group_value4, hm2_group_bit_a, hm2_group_bit_b, hm2_group_value8, hm2_vca,
    hm2_we0,          hm2_we1,         hm2_fen,         hm2_fl0,          hm2_fl1,
    hm2_fl2};
inline constexpr et_wire_field_t brq_payload[] = {
    brq_kl,  brq_stlb, brq_op,  brq_f,  brq_a,         brq_wrd,      brq_wrm,
    brq_ldd, brq_psn,  brq_scf, brq_fs, brq_blk_valid, brq_blk_kind, brq_blk_id};
inline constexpr et_wire_field_t wup_payload[] = {wup_gv, wup_v, wup_v_data, wup_fs};

// --- The records ---------------------------------------------------------------

template <std::size_t n>
constexpr et_wire_record_t record(unsigned code, const char* name, et_wire_group_t group,
                                  const et_wire_field_t (&fields)[n],
                                  mh_payload_shape_t shape = MH_SHAPE_NONE) {
  return {code, name, group, shape, fields, n};
}

using G = et_wire_group_t;

// Every valid header code. The message names all start with "SWT_L2T_" or
// "SWT_DCT_"; what follows is their short name (mh_message_name).
inline constexpr et_wire_record_t records[] = {
    record(MH_TSD1, "TSD1", G::STREAM, tsd1_payload),
    record(MH_SWT_RVT, "SWT_RVT", G::RVT, rvt_payload),
    record(MH_SWT_HART, "SWT_HART", G::STREAM, hart_payload),
    record(MH_SWT_IS, "SWT_IS", G::INSN, is_payload),
    record(MH_SWT_IRFRA, "SWT_IRFRA", G::INSN, rfra_payload),
    record(MH_SWT_IRFRD, "SWT_IRFRD", G::INSN, irfrd_payload),
    record(MH_SWT_IRFWA, "SWT_IRFWA", G::INSN, rfwa_payload),
    record(MH_SWT_IRFWD, "SWT_IRFWD", G::INSN, irfwd_payload),
    record(MH_SWT_FRFRA, "SWT_FRFRA", G::INSN, rfra_payload),
    record(MH_SWT_FRFRD, "SWT_FRFRD", G::INSN, frfrd_payload),
    record(MH_SWT_FRFWA, "SWT_FRFWA", G::INSN, rfwa_payload),
    record(MH_SWT_FRFWD, "SWT_FRFWD", G::INSN, frfwd_payload),
    record(MH_SWT_FR, "SWT_FR", G::INSN, fr_payload),
    record(MH_SWT_VA, "SWT_VA", G::INSN, va_payload),
    record(MH_SWT_PA, "SWT_PA", G::INSN, pa_payload),
    record(MH_SWT_STD, "SWT_STD", G::INSN, std_payload),
    record(MH_SWT_CM, "SWT_CM", G::INSN, cm_payload),
    record(MH_SWT_L2T_URQ, "SWT_L2T_URQ", G::L2T, rq_payload, MH_SHAPE_RQ),
    record(MH_SWT_L2T_UWD, "SWT_L2T_UWD", G::L2T, wd_payload, MH_SHAPE_WD),
    record(MH_SWT_L2T_URS, "SWT_L2T_URS", G::L2T, rs_payload, MH_SHAPE_RS),
    record(MH_SWT_L2T_URD, "SWT_L2T_URD", G::L2T, wd_payload, MH_SHAPE_WD),
    record(MH_SWT_L2T_URL, "SWT_L2T_URL", G::L2T, rl_payload, MH_SHAPE_RL),
    record(MH_SWT_L2T_USR, "SWT_L2T_USR", G::L2T, sr_payload, MH_SHAPE_SR),
    record(MH_SWT_L2T_DRQ, "SWT_L2T_DRQ", G::L2T, rq_payload, MH_SHAPE_RQ),
    record(MH_SWT_L2T_DWD, "SWT_L2T_DWD", G::L2T, wd_payload, MH_SHAPE_WD),
    record(MH_SWT_L2T_DRS, "SWT_L2T_DRS", G::L2T, rs_payload, MH_SHAPE_RS),
    record(MH_SWT_L2T_DRD, "SWT_L2T_DRD", G::L2T, wd_payload, MH_SHAPE_WD),
    record(MH_SWT_L2T_DRL, "SWT_L2T_DRL", G::L2T, rl_payload, MH_SHAPE_RL),
    record(MH_SWT_L2T_DSR, "SWT_L2T_DSR", G::L2T, sr_payload, MH_SHAPE_SR),
    record(MH_SWT_L2T_HM2, "SWT_L2T_HM2", G::L2T, hm2_payload, MH_SHAPE_HM2),
    record(MH_SWT_DCT_HART, "SWT_DCT_HART", G::DCT, hart_payload),
    record(MH_SWT_DCT_BRQ, "SWT_DCT_BRQ", G::DCT, brq_payload, MH_SHAPE_BRQ),
    record(MH_SWT_DCT_WUP, "SWT_DCT_WUP", G::DCT, wup_payload, MH_SHAPE_WUP),
    record(MH_SWT_DCT_DRQ, "SWT_DCT_DRQ", G::DCT, rq_payload, MH_SHAPE_RQ),
    record(MH_SWT_DCT_DWD, "SWT_DCT_DWD", G::DCT, wd_payload, MH_SHAPE_WD),
    record(MH_SWT_DCT_DRS, "SWT_DCT_DRS", G::DCT, rs_payload, MH_SHAPE_RS),
    record(MH_SWT_DCT_DRD, "SWT_DCT_DRD", G::DCT, wd_payload, MH_SHAPE_WD),
    record(MH_SWT_DCT_DRL, "SWT_DCT_DRL", G::DCT, rl_payload, MH_SHAPE_RL),
    record(MH_SWT_DCT_DSR, "SWT_DCT_DSR", G::DCT, sr_payload, MH_SHAPE_SR),
};

// The table's entry for each header code: its index + 1, 0 for none.
struct record_index_t {
  uint8_t by_code[256];
};
constexpr record_index_t make_record_index() {
  record_index_t index{};
  for (std::size_t i = 0; i < sizeof records / sizeof records[0]; ++i)
    index.by_code[records[i].code] = uint8_t(i + 1);
  return index;
}
inline constexpr record_index_t record_index = make_record_index();

// The record of a header code; null for a code that is not one.
constexpr const et_wire_record_t* find(unsigned long code) {
  return code < 256 && record_index.by_code[code] != 0 ? &records[record_index.by_code[code] - 1]
                                                       : nullptr;
}

// The record of a code that is one, for use at compile time.
template <unsigned code>
constexpr const et_wire_record_t& record_of() {
  static_assert(code < 256 && record_index.by_code[code] != 0, "a record code");
  return records[record_index.by_code[code] - 1];
}

// Whether a record has a field whose width or count the geometry gives.
constexpr bool needs_geometry(const et_wire_record_t& record) {
  for (const et_wire_field_t& field : record)
    if (field.width.size != et_wire_size_t::FIXED || field.count.size != et_wire_size_t::FIXED)
      return true;
  return false;
}

// The fixed bits of fields [first, last) of a payload, for fields that are
// read as one value (the commit flags).
template <std::size_t n>
constexpr unsigned fixed_bits(const et_wire_field_t (&fields)[n], std::size_t first,
                              std::size_t last) {
  unsigned total = 0;
  for (std::size_t i = first; i < last; ++i) total += fields[i].width.fixed * fields[i].count.fixed;
  return total;
}

// Whether two fields are the same: name, width and count.
constexpr bool same(const et_wire_field_t& a, const et_wire_field_t& b) {
  std::size_t i = 0;
  for (; a.name[i] != '\0' && a.name[i] == b.name[i]; ++i) {
  }
  return a.name[i] == b.name[i] && a.width.size == b.width.size && a.width.fixed == b.width.fixed &&
         a.count.size == b.count.size && a.count.fixed == b.count.fixed;
}

// The commit flags: fields 2 to 6 of SWT_CM, which the reader takes as one
// value of cm_flag_bits bits; field f of them starts at bit cm_flag_at(f).
enum cm_flag_t : std::size_t { CM_FRCM = 2, CM_TRAP, CM_INTERRUPT, CM_CAUSE, CM_TRIG, CM_END };
inline constexpr unsigned cm_flag_bits = fixed_bits(cm_payload, CM_FRCM, CM_END);
constexpr unsigned cm_flag_at(cm_flag_t f) { return fixed_bits(cm_payload, CM_FRCM, f); }
constexpr uint64_t cm_flag(uint64_t flags, cm_flag_t f) {
  return (flags >> cm_flag_at(f)) & ((uint64_t(1) << cm_payload[f].width.fixed) - 1);
}

static_assert(same(cm_payload[CM_FRCM], cm_frcm) && same(cm_payload[CM_TRAP], cm_trap) &&
                  same(cm_payload[CM_INTERRUPT], cm_interrupt) &&
                  same(cm_payload[CM_CAUSE], cm_cause) && same(cm_payload[CM_TRIG], cm_trig) &&
                  CM_END == sizeof cm_payload / sizeof cm_payload[0],
              "the commit flags are the last fields of SWT_CM");

}  // namespace et_wire

// The wire format of one geometry: the field widths and record lengths with
// the geometry's sizes in place.
class et_wire_format_t {
public:
  // No geometry: every size it would give is 0.
  et_wire_format_t() = default;
  // The sizes of any geometry; the lengths of the data messages mean
  // something only for one that passed et_stream_geometry_t::check().
  explicit et_wire_format_t(const et_stream_geometry_t& geometry);

  // Changes one size (the writer can be given a VA width apart from XLEN).
  void set(et_wire_size_t size, unsigned value) { sizes_[std::size_t(size)] = value; }

  unsigned size(et_wire_size_t size) const { return sizes_[std::size_t(size)]; }
  unsigned value(et_wire_quantity_t q) const {
    return q.size == et_wire_size_t::FIXED ? q.fixed : sizes_[std::size_t(q.size)];
  }
  // Bits of one value of the field, and the number of values in a row.
  unsigned bits(const et_wire_field_t& field) const { return value(field.width); }
  unsigned count(const et_wire_field_t& field) const { return value(field.count); }

  // Bits of a record's payload, padding not included.
  uint64_t payload_bits(const et_wire_record_t& record) const;
  // Bytes of a whole record: header byte, payload and padding; 0 for a code
  // that is not a record.
  uint64_t record_bytes(unsigned long code) const;

private:
  unsigned sizes_[et_wire_size_count] = {};
};
