#include "etrace/nexus/nexus_decoder.h"

#include <array>
#include <istream>
#include <stdexcept>

namespace {

using field = nexus_field_t;

// When a field is present, decided by a field read before it.
enum class when_t : uint8_t { always, cdf_1, rcode_0, rcode_1 };

struct field_spec_t {
  field id;
  uint8_t width;  // 0: variable length
  when_t read_when;
  const char* label;  // nullptr: not logged
  when_t log_when;
};

constexpr std::size_t max_fields = 5;

}  // namespace

struct nexus_layout_t {
  uint8_t tcode;
  const char* name;
  bool replaces_tstamp;  // the forms with Sync restart the time stamp
  bool reverses_hist;
  uint8_t field_count;
  field_spec_t fields[max_fields];
};

namespace {

constexpr field_spec_t fixed(field id, uint8_t width, const char* label,
                             when_t log_when = when_t::always) {
  return {id, width, when_t::always, label, log_when};
}

constexpr field_spec_t variable(field id, const char* label, when_t when = when_t::always) {
  return {id, 0, when, label, when};
}

constexpr field_spec_t sync4 = fixed(field::sync, 4, " SYNC = 0x");
constexpr field_spec_t btype2 = fixed(field::btype, 2, " BTYPE = 0x");
constexpr field_spec_t icnt_v = variable(field::icnt, " I-CNT = 0x");
constexpr field_spec_t faddr_v = variable(field::faddr, " F-ADDR = 0x");
constexpr field_spec_t uaddr_v = variable(field::uaddr, " U-ADDR = 0x");
constexpr field_spec_t hist_v = variable(field::hist, " HIST = 0x");

const nexus_layout_t layouts[] = {
    {2, "Ownership msg:", false, false, 1, {variable(field::ownership, "")}},
    {3, "Direct Branch msg:", false, false, 1, {icnt_v}},
    {4, "Indirect Branch msg:", false, false, 3, {btype2, icnt_v, uaddr_v}},
    {8,
     "Error msg:",
     false,
     false,
     2,
     {fixed(field::etype, 4, " ETYPE = 0x"), variable(field::ecode, " ECODE = 0x")}},
    {9,
     "Synchronization msg: ",
     true,
     false,
     3,
     {fixed(field::sync, 4, "  SYNC = 0x"), icnt_v, faddr_v}},
    {11, "Direct Branch Sync msg:", true, false, 3, {sync4, icnt_v, faddr_v}},
    {12, "Indirect Branch Sync msg:", true, false, 4, {sync4, btype2, icnt_v, faddr_v}},
    {27,
     "Resource full msg:",
     false,
     true,
     3,
     {fixed(field::rcode, 4, " RCODE = 0x"), variable(field::icnt, " ICNT = 0x", when_t::rcode_0),
      variable(field::hist, " HIST = 0x", when_t::rcode_1)}},
    {28, "History Branch msg:", false, true, 4, {btype2, icnt_v, uaddr_v, hist_v}},
    {29, "History Branch with SYNC msg:", true, true, 5, {sync4, btype2, icnt_v, faddr_v, hist_v}},
    {30, "Repeat Branch msg: ", false, false, 1, {variable(field::bcnt, " BCNT = 0x")}},
    {33,
     "Correlation msg: ",
     false,
     true,
     4,
     {fixed(field::evcode, 4, " EVCODE = 0x"), fixed(field::cdf, 2, " CDF = 0x", when_t::cdf_1),
      icnt_v, variable(field::hist, " HIST = 0x", when_t::cdf_1)}},
};

constexpr int n_tcodes = 64;

// TCODE -> index into layouts, -1 for unknown codes.
const std::array<int8_t, n_tcodes> layout_index = [] {
  std::array<int8_t, n_tcodes> index{};
  index.fill(-1);
  for (std::size_t i = 0; i < sizeof layouts / sizeof layouts[0]; ++i)
    index[layouts[i].tcode] = int8_t(i);
  return index;
}();

constexpr uint8_t idle_byte = 0xFF;
constexpr unsigned mdo_bits = 6;

bool message_ends(uint8_t byte) { return (byte & 3) == 3; }
bool field_ends(uint8_t byte) { return (byte & 1) != 0; }

uint64_t low_bits(uint64_t v, unsigned n) { return n >= 64 ? v : v & ((uint64_t(1) << n) - 1); }

void store(uint64_t value, unsigned char* out, unsigned long out_size) {
  // Byte by byte, so the order is the same on every host.
  for (unsigned long i = 0; i < out_size; ++i)
    out[i] = i < 8 ? static_cast<unsigned char>(value >> (8 * i)) : 0;
}

void append_hex(std::string& s, uint64_t v) {
  char digits[16];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[v & 0xF];
    v >>= 4;
  } while (v != 0);
  while (n > 0) s += digits[--n];
}

std::string hex_text(uint64_t v) {
  std::string s;
  append_hex(s, v);
  return s;
}

const nexus_layout_t& layout_of(uint8_t tcode) {
  const int i = tcode < n_tcodes ? layout_index[tcode] : -1;
  if (i < 0) throw std::runtime_error("Unknown tcode: 0x" + hex_text(tcode) + "\n");
  return layouts[i];
}

}  // namespace

nexus_decoder_t::nexus_decoder_t(unsigned long xlen, bool has_src, unsigned long src_bits)
    : xlen_(xlen), has_src_(has_src), src_bits_(src_bits) {
  if (src_bits > max_src_bits)
    throw std::invalid_argument("Nexus SRC field of " + std::to_string(src_bits) +
                                " bits; at most " + std::to_string(max_src_bits) +
                                " are supported");
  log_.reserve(256);
}

nexus_decoder_t::~nexus_decoder_t() = default;

const nexus_decoder_t::source_state_t& nexus_decoder_t::source(std::size_t src) const {
  if (src >> src_bits_ != 0)
    throw std::out_of_range("Nexus source " + std::to_string(src) + " outside a SRC field of " +
                            std::to_string(src_bits_) + " bits");
  static const source_state_t unseen;
  const source_state_t* state = sources_.find(uint32_t(src));
  return state ? *state : unseen;
}

void nexus_decoder_t::open(const std::string& path) {
  file_.close();
  file_.open(path, std::ios::binary);
  bool readable = bool(file_);
  // A directory opens, and fails at its first read.
  try {
    if (readable) file_.rdbuf()->sgetc();
  } catch (const std::ios_base::failure&) {
    readable = false;
  }
  if (!readable) {
    file_.close();
    throw std::runtime_error("Failed to read Nexus trace file: " + path);
  }
  in_ = file_.rdbuf();
  bit_offset_ = 0;
}

void nexus_decoder_t::attach(std::istream& in) {
  in_ = in.rdbuf();
  bit_offset_ = 0;
}

uint8_t nexus_decoder_t::next_byte() {
  const auto c = in_->sbumpc();
  if (c == std::char_traits<char>::eof())
    throw std::runtime_error("Nexus trace ends inside a message");
  byte_ = static_cast<uint8_t>(c);
  end_of_message_ = message_ends(byte_);
  return byte_;
}

bool nexus_decoder_t::read_message() {
  if (in_ == nullptr) throw std::logic_error("Nexus decoder has no input");
  std::char_traits<char>::int_type c;
  do {
    c = in_->sbumpc();
    if (c == std::char_traits<char>::eof()) return false;
  } while (c == idle_byte);
  // A message always starts on a byte of its own, whatever the last one left.
  byte_ = static_cast<uint8_t>(c);
  bit_offset_ = 0;
  end_of_message_ = message_ends(byte_);
  log_.clear();
  if (nexus_log_) log_ += '\n';
  parse_body(byte_ >> 2);
  return true;
}

uint64_t nexus_decoder_t::read_fixed_field(unsigned long width) {
  if (width > max_fixed_width)
    throw std::invalid_argument("Nexus fixed field of " + std::to_string(width) +
                                " bits; at most " + std::to_string(max_fixed_width) +
                                " are supported");
  const unsigned offset = bit_offset_;
  const unsigned end = unsigned(width) + offset;
  uint64_t bits = 0;
  unsigned pos = 0;
  if (offset != 0) {
    bits = byte_ >> 2;
    pos = mdo_bits;
  }
  // Bits past the end of the message are absent and read as 0.
  while (pos < end && !end_of_message_) {
    bits |= uint64_t(next_byte() >> 2) << pos;
    pos += mdo_bits;
  }
  // A field cut short by the end of the message leaves no byte to share.
  bit_offset_ = pos < end ? 0 : static_cast<uint8_t>(end % mdo_bits);
  return low_bits(bits >> offset, unsigned(width));
}

uint64_t nexus_decoder_t::read_variable_field() {
  uint64_t value = 0;
  unsigned pos = 0;
  if (bit_offset_ != 0) {
    const unsigned offset = bit_offset_;
    bit_offset_ = 0;
    value = byte_ >> (offset + 2);
    if (field_ends(byte_)) return value;
    pos = mdo_bits - offset;
  } else if (end_of_message_) {
    return 0;
  }
  for (;;) {
    const uint8_t byte = next_byte();
    const uint64_t bits = byte >> 2;
    if (pos >= 64 || (pos > 64 - mdo_bits && (bits >> (64 - pos)) != 0))
      throw std::runtime_error("Nexus variable field longer than 64 bits");
    value |= bits << pos;
    pos += mdo_bits;
    if (field_ends(byte)) return value;
  }
}

void nexus_decoder_t::parse_fixed_field(unsigned long width, unsigned char* out,
                                        unsigned long out_size) {
  store(read_fixed_field(width), out, out_size);
}

void nexus_decoder_t::parse_variable_field(unsigned char* out, unsigned long out_size) {
  store(read_variable_field(), out, out_size);
}

void nexus_decoder_t::parse_sync() { parse_body(9); }
void nexus_decoder_t::parse_ownership() { parse_body(2); }
void nexus_decoder_t::parse_dir_brch(bool sync) { parse_body(sync ? 11 : 3); }
void nexus_decoder_t::parse_repeat_brch() { parse_body(30); }
void nexus_decoder_t::parse_indir_brch(bool sync) { parse_body(sync ? 12 : 4); }
void nexus_decoder_t::parse_error() { parse_body(8); }
void nexus_decoder_t::parse_correlation() { parse_body(33); }
void nexus_decoder_t::parse_history(bool sync) { parse_body(sync ? 29 : 28); }
void nexus_decoder_t::parse_resource_full() { parse_body(27); }

namespace {

bool holds(when_t when, const uint64_t* fields) {
  switch (when) {
    case when_t::always: return true;
    case when_t::cdf_1: return fields[std::size_t(field::cdf)] == 1;
    case when_t::rcode_0: return fields[std::size_t(field::rcode)] == 0;
    case when_t::rcode_1: return fields[std::size_t(field::rcode)] == 1;
  }
  return false;
}

}  // namespace

void nexus_decoder_t::parse_body(uint8_t tcode) {
  const nexus_layout_t& layout = layout_of(tcode);
  nexus_message_t& m = message_;
  const uint32_t src = has_src_ ? static_cast<uint32_t>(read_fixed_field(src_bits_)) : m.src;
  m = nexus_message_t();
  m.tcode = tcode;
  m.src = src;
  uint64_t* const fields = m.fields;
  fields[std::size_t(field::src)] = src;
  source_state_t& state = sources_[src];

  for (unsigned i = 0; i < layout.field_count; ++i) {
    const field_spec_t& spec = layout.fields[i];
    if (!holds(spec.read_when, fields)) continue;
    uint64_t v = spec.width != 0 ? read_fixed_field(spec.width) : read_variable_field();
    switch (spec.id) {
      case field::icnt:
        v &= 0xFFFFFFFF;
        icnt_ = m.icnt = v;
        break;
      case field::bcnt:
        v &= 0xFFFFFFFF;
        m.bcnt = static_cast<uint32_t>(v);
        break;
      case field::ecode:
      case field::ownership: v &= 0xFFFFFFFF; break;
      case field::faddr: state.full_address = v << 1; break;
      case field::uaddr: state.unique_address = v << 1; break;
      case field::hist:
        m.hist_use = nexus_hist_use_t::set;
        m.hist = reverse_history_bits(v);
        break;
      default: break;
    }
    fields[std::size_t(spec.id)] = v;
  }

  if (!end_of_message_) {
    const uint64_t tstamp = read_variable_field();
    fields[std::size_t(field::tstamp)] = tstamp;
    state.timestamp = layout.replaces_tstamp ? tstamp : state.timestamp + tstamp;
  }

  const uint64_t rcode = fields[std::size_t(field::rcode)];
  if (tcode == 27 && rcode == 0) {
    m.hist_use = nexus_hist_use_t::set;
    m.hist = 1;
  }
  if (tcode == 27 && rcode == 1) icnt_ = m.icnt = ~uint64_t(0);
  // The messages that reverse HIST and carry none reverse the one held.
  if (layout.reverses_hist && m.hist_use == nexus_hist_use_t::none)
    m.hist_use = nexus_hist_use_t::reverse_held;
  hist_ = m.history_after(hist_);
  // A Repeat Branch walks the count of its source's last other message.
  if (tcode == 30)
    m.icnt = state.saved_icnt;
  else
    state.saved_icnt = static_cast<uint32_t>(m.icnt);
  m.timestamp = state.timestamp;
  m.full_address = state.full_address;
  m.unique_address = state.unique_address;

  // Resource Full codes other than 0 and 1 carry nothing worth a line.
  if (nexus_log_ && !(tcode == 27 && rcode > 1)) write_line(layout, state);
}

void nexus_decoder_t::write_line(const nexus_layout_t& layout, const source_state_t& state) {
  log_ += layout.name;
  const uint64_t* const fields = message_.fields;
  log_ += " SRC = 0x";
  append_hex(log_, message_.src);
  for (unsigned i = 0; i < layout.field_count; ++i) {
    const field_spec_t& spec = layout.fields[i];
    if (!holds(spec.read_when, fields) || !holds(spec.log_when, fields)) continue;
    const uint64_t v = fields[std::size_t(spec.id)];
    switch (spec.id) {
      case field::ownership: {
        const uint64_t priv = (v >> 2) & 3;
        log_ += " PRIV = 0x";
        append_hex(log_, priv);
        log_ += '[';
        log_ += "US?M"[priv];
        log_ += "] V = 0x";
        append_hex(log_, (v >> 4) & 1);
        break;
      }
      case field::faddr:
        log_ += spec.label;
        append_hex(log_, state.full_address);
        break;
      case field::uaddr:
        log_ += spec.label;
        append_hex(log_, state.unique_address);
        break;
      default:
        log_ += spec.label;
        append_hex(log_, v);
        break;
    }
  }
  if (layout.replaces_tstamp) {
    log_ += " GLOBAL TSTAMP = 0x";
    append_hex(log_, state.timestamp);
  } else {
    log_ += " TSTAMP = 0x";
    append_hex(log_, fields[std::size_t(field::tstamp)]);
    log_ += " (GLOBAL TSTAMP = 0x";
    append_hex(log_, state.timestamp);
    log_ += ')';
  }
  log_ += '\n';
}

uint64_t nexus_message_t::history_after(uint64_t held) const {
  switch (hist_use) {
    case nexus_hist_use_t::set: return hist;
    case nexus_hist_use_t::reverse_held: return nexus_decoder_t::reverse_history_bits(held);
    case nexus_hist_use_t::none: break;
  }
  return held;
}

uint64_t nexus_decoder_t::reverse_history_bits(uint64_t hist) {
  if (hist <= 1) return 1;
  const unsigned n = 63 - unsigned(__builtin_clzll(hist));
  uint64_t result = uint64_t(1) << n;
  for (unsigned i = 0; i < n; ++i)
    if ((hist >> i) & 1) result |= uint64_t(1) << (n - 1 - i);
  return result;
}
