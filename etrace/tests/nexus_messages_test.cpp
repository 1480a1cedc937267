#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/nexus/nexus_decoder.h"
#include "support/nexus_encoder.h"
#include "support/trace_builder.h"

using et_test::fixed;
using et_test::nexus_encoder_t;
using et_test::nexus_value_t;
using et_test::temp_file_t;
using et_test::var;

namespace {

// A decoder reading the given bytes, with its message log on.
struct reader_t {
  std::istringstream in;
  nexus_decoder_t nexus;

  explicit reader_t(const std::string& bytes, bool has_src = false, unsigned long src_bits = 0)
      : in(bytes), nexus(64, has_src, src_bits) {
    nexus.enable_nexus_log();
    nexus.attach(in);
  }

  // The log of the next message without its leading newline.
  std::string next() {
    if (!nexus.read_message()) return "<end>";
    const std::string& log = nexus.message_log();
    return log.empty() ? log : log.substr(1);
  }

  std::vector<std::string> all() {
    std::vector<std::string> lines;
    for (std::string line = next(); line != "<end>"; line = next()) lines.push_back(line);
    return lines;
  }
};

std::string bytes_of(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

std::string replace_all(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// ---------------------------------------------------------------------------
// The twelve messages: every line byte-exact, with and without TSTAMP, under
// several SRC widths (so that fixed fields start at every bit offset).

struct message_case_t {
  const char* name;
  unsigned tcode;
  std::vector<nexus_value_t> fields;
  // "{SRC}" stands for the source; TSTAMP is big_tstamp.
  const char* line;
};

constexpr uint64_t big_tstamp = 0xFEDCBA9876543210;

const std::vector<message_case_t> message_cases = {
    {"synchronization",
     9,
     {fixed(5, 4), var(0x2A), var(0x40000000)},
     "Synchronization msg:  SRC = 0x{SRC}  SYNC = 0x5 I-CNT = 0x2A F-ADDR = 0x80000000 "
     "GLOBAL TSTAMP = 0xFEDCBA9876543210"},
    {"ownership",
     2,
     {var(0x1C)},
     "Ownership msg: SRC = 0x{SRC} PRIV = 0x3[M] V = 0x1 TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"direct branch",
     3,
     {var(0xABC)},
     "Direct Branch msg: SRC = 0x{SRC} I-CNT = 0xABC TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"direct branch sync",
     11,
     {fixed(9, 4), var(0), var(0x1000)},
     "Direct Branch Sync msg: SRC = 0x{SRC} SYNC = 0x9 I-CNT = 0x0 F-ADDR = 0x2000 "
     "GLOBAL TSTAMP = 0xFEDCBA9876543210"},
    {"repeat branch",
     30,
     {var(3)},
     "Repeat Branch msg:  SRC = 0x{SRC} BCNT = 0x3 TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"indirect branch",
     4,
     {fixed(2, 2), var(0x11), var(0x7FFF0)},
     "Indirect Branch msg: SRC = 0x{SRC} BTYPE = 0x2 I-CNT = 0x11 U-ADDR = 0xFFFE0 "
     "TSTAMP = 0xFEDCBA9876543210 (GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"indirect branch sync",
     12,
     {fixed(0xF, 4), fixed(1, 2), var(3), var(0x123456789)},
     "Indirect Branch Sync msg: SRC = 0x{SRC} SYNC = 0xF BTYPE = 0x1 I-CNT = 0x3 F-ADDR = "
     "0x2468ACF12 "
     "GLOBAL TSTAMP = 0xFEDCBA9876543210"},
    {"error",
     8,
     {fixed(0xC, 4), var(0xDEAD)},
     "Error msg: SRC = 0x{SRC} ETYPE = 0xC ECODE = 0xDEAD TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"correlation with history",
     33,
     {fixed(4, 4), fixed(1, 2), var(9), var(6)},
     "Correlation msg:  SRC = 0x{SRC} EVCODE = 0x4 CDF = 0x1 I-CNT = 0x9 HIST = 0x6 "
     "TSTAMP = 0xFEDCBA9876543210 (GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"correlation without history",
     33,
     {fixed(0xA, 4), fixed(2, 2), var(9)},
     "Correlation msg:  SRC = 0x{SRC} EVCODE = 0xA I-CNT = 0x9 TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"history branch",
     28,
     {fixed(0, 2), var(5), var(0x80), var(5)},
     "History Branch msg: SRC = 0x{SRC} BTYPE = 0x0 I-CNT = 0x5 U-ADDR = 0x100 HIST = 0x5 "
     "TSTAMP = 0xFEDCBA9876543210 (GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"history branch sync",
     29,
     {fixed(2, 4), fixed(3, 2), var(0x20), var(0x40), var(0x1F)},
     "History Branch with SYNC msg: SRC = 0x{SRC} SYNC = 0x2 BTYPE = 0x3 I-CNT = 0x20 F-ADDR = "
     "0x80 "
     "HIST = 0x1F GLOBAL TSTAMP = 0xFEDCBA9876543210"},
    {"resource full, count",
     27,
     {fixed(0, 4), var(0x40)},
     "Resource full msg: SRC = 0x{SRC} RCODE = 0x0 ICNT = 0x40 TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
    {"resource full, history",
     27,
     {fixed(1, 4), var(0xB)},
     "Resource full msg: SRC = 0x{SRC} RCODE = 0x1 HIST = 0xB TSTAMP = 0xFEDCBA9876543210 "
     "(GLOBAL TSTAMP = 0xFEDCBA9876543210)"},
};

struct src_case_t {
  bool has_src;
  unsigned bits;
  unsigned src;
};

const src_case_t src_cases[] = {{false, 0, 0}, {true, 1, 1}, {true, 5, 0x13}, {true, 16, 0xBEEF}};

TEST(NexusMessages, EachMessageLogsItsLineWithAndWithoutTimestamp) {
  for (const src_case_t& s : src_cases) {
    for (const message_case_t& m : message_cases) {
      for (bool with_tstamp : {true, false}) {
        SCOPED_TRACE(std::string(m.name) + ", SRC bits " + std::to_string(s.bits) +
                     (with_tstamp ? ", TSTAMP" : ", no TSTAMP"));
        nexus_encoder_t enc(s.has_src, s.bits);
        enc.tcode(m.tcode);
        if (s.has_src) enc.put(fixed(s.src, s.bits));
        for (const nexus_value_t& f : m.fields) enc.put(f);
        if (with_tstamp) enc.put(var(big_tstamp));
        enc.end();

        char src_hex[16];
        std::snprintf(src_hex, sizeof src_hex, "%X", s.src);
        std::string line = replace_all(m.line, "{SRC}", src_hex);
        if (!with_tstamp) line = replace_all(line, "FEDCBA9876543210", "0");

        reader_t r(enc.str(), s.has_src, s.bits);
        EXPECT_EQ(r.next(), line + "\n");
        EXPECT_EQ(r.nexus.tcode(), m.tcode);
        EXPECT_EQ(r.nexus.src(), s.src);
        EXPECT_EQ(r.nexus.timestamp(s.src), with_tstamp ? big_tstamp : 0);
        EXPECT_EQ(r.next(), "<end>");
      }
    }
  }
}

TEST(NexusMessages, OwnershipLetters) {
  struct {
    uint64_t value;
    const char* text;
  } const cases[] = {
      {0x1C, "PRIV = 0x3[M] V = 0x1"}, {0x04, "PRIV = 0x1[S] V = 0x0"},
      {0x00, "PRIV = 0x0[U] V = 0x0"}, {0x08, "PRIV = 0x2[?] V = 0x0"},
      {0x33, "PRIV = 0x0[U] V = 0x1"},
  };
  for (const auto& c : cases) {
    nexus_encoder_t enc;
    enc.message(2, 0, {var(c.value)});
    reader_t r(enc.str());
    EXPECT_EQ(r.next(), std::string("Ownership msg: SRC = 0x0 ") + c.text +
                            " TSTAMP = 0x0 (GLOBAL TSTAMP = 0x0)\n");
    EXPECT_EQ(r.nexus.field(nexus_field_t::ownership), c.value);
  }
}

// The state each message leaves: addresses doubled per source, counts cut to
// 32 bits, the history reversed after the messages that carry it.
TEST(NexusMessages, MessagesUpdateTheSourceState) {
  nexus_encoder_t enc(true, 2);
  enc.message(9, 1, {fixed(1, 4), var(0x1FFFFFFFF), var(0x40000000)}, 0x100)
      .message(28, 2, {fixed(1, 2), var(7), var(0x800), var(0xB)}, 3)
      .message(30, 1, {var(0x123456789)});
  reader_t r(enc.str(), true, 2);

  r.next();
  EXPECT_EQ(r.nexus.icnt(), 0xFFFFFFFFu);
  EXPECT_EQ(r.nexus.full_address(1), 0x80000000u);
  EXPECT_EQ(r.nexus.timestamp(1), 0x100u);
  EXPECT_EQ(r.nexus.bcnt(), 1u);

  r.next();
  EXPECT_EQ(r.nexus.src(), 2u);
  EXPECT_EQ(r.nexus.unique_address(2), 0x1000u);
  EXPECT_EQ(r.nexus.unique_address(1), 0u);
  EXPECT_EQ(r.nexus.hist(), 0xEu);  // 1011 reversed below its leading 1
  EXPECT_EQ(r.nexus.timestamp(2), 3u);
  EXPECT_EQ(r.nexus.timestamp(1), 0x100u);

  r.next();
  EXPECT_EQ(r.nexus.bcnt(), 0x23456789u);
  EXPECT_EQ(r.nexus.icnt(), 7u);  // Repeat Branch leaves I-CNT alone
  EXPECT_EQ(r.nexus.hist(), 0xEu);
}

// The message value holds what a walk needs of each message, its source's
// state included: the count to walk, how it changes the source's history,
// the repeat count and the source's addresses and time stamp.
TEST(NexusMessages, TheMessageValueCarriesWhatTheWalkNeeds) {
  using hist_use = nexus_hist_use_t;
  nexus_encoder_t enc(true, 2);
  enc.message(9, 1, {fixed(1, 4), var(6), var(0x40000000)}, 0x100)
      .message(3, 2, {var(9)})
      .message(28, 1, {fixed(0, 2), var(5), var(0x800), var(0b1011)}, 3)
      .message(30, 1, {var(4)})
      .message(2, 1, {var(0x1C)})
      .message(27, 2, {fixed(1, 4), var(0b110)})
      .message(27, 1, {fixed(0, 4), var(0x20)})
      .message(33, 2, {fixed(0, 4), fixed(0, 2), var(3)});
  const struct {
    uint8_t tcode;
    uint32_t src;
    uint64_t icnt;
    hist_use use;
    uint64_t hist;
    uint32_t bcnt;
    uint64_t full_address, unique_address, timestamp;
  } expected[] = {
      {9, 1, 6, hist_use::none, 0, 1, 0x80000000, 0, 0x100},
      {3, 2, 9, hist_use::none, 0, 1, 0, 0, 0},
      {28, 1, 5, hist_use::set, 0b1110, 1, 0x80000000, 0x1000, 0x103},
      {30, 1, 5, hist_use::none, 0, 4, 0x80000000, 0x1000, 0x103},  // the saved count
      {2, 1, 0, hist_use::none, 0, 1, 0x80000000, 0x1000, 0x103},
      {27, 2, ~uint64_t(0), hist_use::set, 0b101, 1, 0, 0, 0},
      {27, 1, 0x20, hist_use::set, 1, 1, 0x80000000, 0x1000, 0x103},
      {33, 2, 3, hist_use::reverse_held, 0, 1, 0, 0, 0},
  };
  reader_t r(enc.str(), true, 2);
  for (const auto& e : expected) {
    SCOPED_TRACE(int(e.tcode));
    ASSERT_TRUE(r.nexus.read_message());
    const nexus_message_t& m = r.nexus.message();
    EXPECT_EQ(m.tcode, e.tcode);
    EXPECT_EQ(m.src, e.src);
    EXPECT_EQ(m.icnt, e.icnt);
    EXPECT_EQ(m.hist_use, e.use);
    if (e.use == hist_use::set) {
      EXPECT_EQ(m.hist, e.hist);
    }
    EXPECT_EQ(m.bcnt, e.bcnt);
    EXPECT_EQ(m.full_address, e.full_address);
    EXPECT_EQ(m.unique_address, e.unique_address);
    EXPECT_EQ(m.timestamp, e.timestamp);
  }
  // What each kind of use leaves of a history held.
  nexus_message_t m;
  EXPECT_EQ(m.history_after(0b110), 0b110u);
  m.hist_use = hist_use::set;
  m.hist = 0b11;
  EXPECT_EQ(m.history_after(0b110), 0b11u);
  m.hist_use = hist_use::reverse_held;
  EXPECT_EQ(m.history_after(0b110), 0b101u);
}

// ---------------------------------------------------------------------------
// Time stamps.

TEST(NexusMessages, TimestampIsReplacedBySyncFormsAndAddedOtherwise) {
  nexus_encoder_t enc;
  enc.message(3, 0, {var(1)}, 3)
      .message(9, 0, {fixed(0, 4), var(0), var(0)}, 0x10)
      .message(3, 0, {var(1)}, 5)
      .message(3, 0, {var(1)})
      .message(12, 0, {fixed(0, 4), fixed(0, 2), var(0), var(0)})
      .message(29, 0, {fixed(0, 4), fixed(0, 2), var(0), var(0), var(0)}, 2);
  reader_t r(enc.str());
  const uint64_t expected[] = {3, 0x10, 0x15, 0x15, 0x15, 2};
  for (uint64_t ts : expected) {
    r.next();
    EXPECT_EQ(r.nexus.timestamp(0), ts);
  }
}

TEST(NexusMessages, DirectBranchWithoutTimestampKeepsTheGlobalOne) {
  nexus_encoder_t enc;
  enc.message(9, 0, {fixed(0, 4), var(0), var(0)}, 100).message(3, 0, {var(2)});
  reader_t r(enc.str());
  r.next();
  EXPECT_EQ(r.next(),
            "Direct Branch msg: SRC = 0x0 I-CNT = 0x2 TSTAMP = 0x0 (GLOBAL TSTAMP = 0x64)\n");
}

// ---------------------------------------------------------------------------
// Resource Full and the history bits.

TEST(NexusMessages, ResourceFullCodes) {
  struct {
    const char* name;
    uint64_t rcode;
    std::optional<uint64_t> field;
    uint64_t icnt, hist;
    bool logs;
  } const cases[] = {
      {"count", 0, 0x40, 0x40, 1, true},
      {"history", 1, 0xB, ~uint64_t(0), 0xE, true},
      // Other codes carry nothing; the history held (0b110) is still reversed.
      {"code 2", 2, std::nullopt, 7, 0b101, false},
      {"code 15", 15, std::nullopt, 7, 0b101, false},
  };
  for (const auto& c : cases) {
    for (bool with_tstamp : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (with_tstamp ? ", TSTAMP" : ""));
      nexus_encoder_t enc;
      enc.message(28, 0, {fixed(0, 2), var(7), var(0), var(0b101)}, 1);  // HIST becomes 0b110
      enc.tcode(27).put(fixed(c.rcode, 4));
      if (c.field) enc.put(var(*c.field));
      if (with_tstamp) enc.put(var(4));
      enc.end();
      enc.message(3, 0, {var(0x21)});
      reader_t r(enc.str());
      r.next();
      const std::string line = r.next();
      EXPECT_EQ(r.nexus.icnt(), c.icnt);
      EXPECT_EQ(r.nexus.hist(), c.hist);
      EXPECT_EQ(r.nexus.timestamp(0), with_tstamp ? 5u : 1u);
      if (!c.logs) {
        EXPECT_EQ(line, "");
      }
      // The next message starts at its own first byte.
      EXPECT_EQ(r.next(),
                "Direct Branch msg: SRC = 0x0 I-CNT = 0x21 TSTAMP = 0x0 (GLOBAL TSTAMP = 0x" +
                    std::string(with_tstamp ? "5" : "1") + ")\n");
    }
  }
}

TEST(NexusMessages, CorrelationWithoutHistoryReversesTheHeldHistory) {
  nexus_encoder_t enc;
  enc.message(27, 0, {fixed(1, 4), var(0b1011)})           // HIST 0b1110
      .message(33, 0, {fixed(0, 4), fixed(0, 2), var(1)})  // reversed again: 0b1011
      .message(33, 0, {fixed(0, 4), fixed(1, 2), var(1), var(0b100)});
  reader_t r(enc.str());
  r.next();
  EXPECT_EQ(r.nexus.hist(), 0b1110u);
  r.next();
  EXPECT_EQ(r.nexus.hist(), 0b1011u);
  r.next();
  EXPECT_EQ(r.nexus.hist(), 0b100u);
}

TEST(NexusMessages, ReverseHistoryBits) {
  struct {
    uint64_t in, out;
  } const cases[] = {
      {0, 1},
      {1, 1},
      {0b10, 0b10},
      {0b11, 0b11},
      {0b1011, 0b1110},
      {0b110, 0b101},
      {0x8000000000000000, 0x8000000000000000},
      {0x8000000000000001, 0xC000000000000000},
      {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(nexus_decoder_t::reverse_history_bits(c.in), c.out) << c.in;
}

// ---------------------------------------------------------------------------
// Framing and the field readers.

TEST(NexusFraming, ByteExactIndirectBranch) {
  // TCODE 4; BTYPE 1 and I-CNT 5 share a byte (MSEO 1); U-ADDR 0x41 in two
  // bytes, the last ending the message.
  const std::string bytes = bytes_of({0x10, 0x55, 0x04, 0x07});
  nexus_encoder_t enc;
  enc.message(4, 0, {fixed(1, 2), var(5), var(0x41)});
  EXPECT_EQ(enc.str(), bytes);
  reader_t r(bytes);
  EXPECT_EQ(r.next(),
            "Indirect Branch msg: SRC = 0x0 BTYPE = 0x1 I-CNT = 0x5 U-ADDR = 0x82 TSTAMP = 0x0 "
            "(GLOBAL TSTAMP = 0x0)\n");
}

TEST(NexusFraming, IdleBytesBetweenMessagesAreSkipped) {
  nexus_encoder_t plain, idle;
  plain.message(3, 0, {var(1)}, 2).message(30, 0, {var(2)});
  idle.idle(3).message(3, 0, {var(1)}, 2).idle(1).message(30, 0, {var(2)}).idle(5);
  EXPECT_EQ(reader_t(idle.str()).all(), reader_t(plain.str()).all());
  EXPECT_EQ(reader_t(idle.str()).all().size(), 2u);
  EXPECT_EQ(reader_t(std::string(4, '\xFF')).all().size(), 0u);
}

TEST(NexusFraming, AllOnesByteInsideAMessageIsData) {
  // I-CNT 0x3F in one byte that also ends the message: 0xFF.
  reader_t r(bytes_of({0x0C, 0xFF}));
  EXPECT_EQ(r.next(),
            "Direct Branch msg: SRC = 0x0 I-CNT = 0x3F TSTAMP = 0x0 (GLOBAL TSTAMP = 0x0)\n");
}

TEST(NexusFraming, FixedFieldAcrossABytePassesItsRestToTheNextField) {
  nexus_encoder_t enc;
  enc.put(fixed(0xA, 4)).put(fixed(0x9, 4)).put(var(0x2D5)).put(fixed(3, 2)).end();
  std::istringstream in(enc.str());
  nexus_decoder_t nexus(64, false, 0);
  nexus.attach(in);
  unsigned char a = 0, b = 0;
  nexus.parse_fixed_field(4, &a, 1);
  EXPECT_EQ(nexus.bit_offset(), 4);
  nexus.parse_fixed_field(4, &b, 1);  // 2 bits from each of two bytes
  EXPECT_EQ(nexus.bit_offset(), 2);
  EXPECT_EQ(a, 0xA);
  EXPECT_EQ(b, 0x9);
  EXPECT_EQ(nexus.read_variable_field(), 0x2D5u);  // starts with the top 4 bits
  EXPECT_EQ(nexus.bit_offset(), 0);
  EXPECT_FALSE(nexus.end_of_message());
  EXPECT_EQ(nexus.read_fixed_field(2), 3u);
  EXPECT_TRUE(nexus.end_of_message());
}

TEST(NexusFraming, VariableFieldsOfEveryLengthAtEveryOffset) {
  for (unsigned offset = 0; offset < 6; ++offset) {
    for (unsigned bits = 1; bits <= 64; ++bits) {
      const uint64_t top = uint64_t(1) << (bits - 1);
      const uint64_t all = top | (top - 1);
      for (uint64_t value : {top, all, top | 0x5}) {
        SCOPED_TRACE("offset " + std::to_string(offset) + ", bits " + std::to_string(bits));
        nexus_encoder_t enc;
        if (offset != 0) enc.put(fixed(0x15, offset));
        enc.put(var(value)).put(var(0x3C)).end();
        std::istringstream in(enc.str());
        nexus_decoder_t nexus(64, false, 0);
        nexus.attach(in);
        EXPECT_EQ(nexus.read_fixed_field(offset), 0x15u & ((1u << offset) - 1));
        EXPECT_EQ(nexus.read_variable_field(), value);
        EXPECT_EQ(nexus.bit_offset(), 0);
        EXPECT_EQ(nexus.read_variable_field(), 0x3Cu);
        EXPECT_TRUE(nexus.end_of_message());
      }
    }
  }
}

TEST(NexusFraming, OneByteVariableFieldHoldsSixBits) {
  reader_t r(bytes_of({0x0C, 0x3F << 2 | 1, 0x3 << 2 | 3}));
  r.next();
  EXPECT_EQ(r.nexus.icnt(), 0x3Fu);
  EXPECT_EQ(r.nexus.field(nexus_field_t::tstamp), 3u);
}

TEST(NexusFraming, FieldReadersWriteOnlyTheirDestination) {
  nexus_encoder_t enc;
  enc.put(fixed(0x7FFFFFF, 27)).put(var(0x0123456789ABCDEF)).put(var(0xFFFFFFFFFFFFFFFF)).end();
  std::istringstream in(enc.str());
  nexus_decoder_t nexus(64, false, 0);
  nexus.attach(in);
  unsigned char buf[12];
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  nexus.parse_fixed_field(27, buf + 2, 1);
  EXPECT_EQ(std::vector<unsigned char>(buf, buf + 4),
            (std::vector<unsigned char>{0xEE, 0xEE, 0xFF, 0xEE}));
  nexus.parse_variable_field(buf + 2, 4);
  EXPECT_EQ(std::vector<unsigned char>(buf, buf + 8),
            (std::vector<unsigned char>{0xEE, 0xEE, 0xEF, 0xCD, 0xAB, 0x89, 0xEE, 0xEE}));
  nexus.parse_variable_field(buf + 2);
  EXPECT_EQ(std::vector<unsigned char>(buf, buf + 12),
            (std::vector<unsigned char>{0xEE, 0xEE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                        0xEE, 0xEE}));
}

// ---------------------------------------------------------------------------
// Short messages: fields after the end of a message are absent, read as 0,
// and never taken from the next message.

TEST(NexusMessages, MessageEndingBeforeItsLastFields) {
  struct {
    const char* name;
    unsigned tcode;
    std::vector<nexus_value_t> fields;
    const char* line;
  } const cases[] = {
      {"indirect branch after B-TYPE",
       4,
       {fixed(2, 2)},
       "Indirect Branch msg: SRC = 0x3 BTYPE = 0x2 I-CNT = 0x0 U-ADDR = 0x0 TSTAMP = 0x0 (GLOBAL "
       "TSTAMP = 0x0)"},
      {"history sync after SYNC",
       29,
       {fixed(5, 4)},
       "History Branch with SYNC msg: SRC = 0x3 SYNC = 0x5 BTYPE = 0x0 I-CNT = 0x0 F-ADDR = 0x0 "
       "HIST = 0x0 "
       "GLOBAL TSTAMP = 0x0"},
      {"synchronization after I-CNT",
       9,
       {fixed(1, 4), var(4)},
       "Synchronization msg:  SRC = 0x3  SYNC = 0x1 I-CNT = 0x4 F-ADDR = 0x0 GLOBAL TSTAMP = 0x0"},
      {"error after TCODE",
       8,
       {},
       "Error msg: SRC = 0x0 ETYPE = 0x0 ECODE = 0x0 TSTAMP = 0x0 (GLOBAL TSTAMP = 0x0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    nexus_encoder_t enc(true, 3);
    enc.tcode(c.tcode);
    if (!c.fields.empty()) enc.put(fixed(3, 3));
    for (const nexus_value_t& f : c.fields) enc.put(f);
    enc.end();
    enc.message(3, 6, {var(9)}, 1);
    reader_t r(enc.str(), true, 3);
    EXPECT_EQ(r.next(), std::string(c.line) + "\n");
    EXPECT_EQ(r.next(),
              "Direct Branch msg: SRC = 0x6 I-CNT = 0x9 TSTAMP = 0x1 (GLOBAL TSTAMP = 0x1)\n");
  }
}

// ---------------------------------------------------------------------------
// Bad input.

void expect_error(const std::string& bytes, const std::string& text, bool has_src = true) {
  reader_t r(bytes, has_src, has_src ? 2 : 0);
  try {
    r.all();
    ADD_FAILURE() << "no error, expected: " << text;
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(e.what(), text);
  }
}

TEST(NexusErrors, TruncatedInput) {
  const std::string ends = "Nexus trace ends inside a message";
  nexus_encoder_t whole(true, 2);
  whole.message(29, 1, {fixed(5, 4), fixed(1, 2), var(0x123), var(0x4567), var(0x89AB)}, 7);
  const std::string bytes = whole.str();
  // Every cut inside the message, from just after TCODE to the last byte.
  for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    expect_error(bytes.substr(0, cut), ends);
  }
}

TEST(NexusErrors, UnknownTcode) {
  for (unsigned tcode : {0u, 1u, 5u, 10u, 31u, 34u, 62u}) {
    nexus_encoder_t enc(true, 2);
    enc.message(tcode, 0, {var(1)});
    char text[64];
    std::snprintf(text, sizeof text, "Unknown tcode: 0x%X\n", tcode);
    expect_error(enc.str(), text);
  }
}

TEST(NexusErrors, VariableFieldWiderThan64Bits) {
  const std::string wide = "Nexus variable field longer than 64 bits";
  nexus_encoder_t twelve_bytes(true, 2);
  twelve_bytes.tcode(3).put(fixed(0, 2)).var_bytes(1, 12).end();
  expect_error(twelve_bytes.str(), wide);

  // Eleven bytes, the last one reaching from bit 60 to 65 with bit 64 set.
  std::string bit64 = bytes_of({0x0C});
  for (int i = 0; i < 10; ++i) bit64 += bytes_of({0x3F << 2});
  bit64 += bytes_of({0x10 << 2 | 3});
  expect_error(bit64, wide, false);

  // The widest value fits.
  nexus_encoder_t widest(true, 2);
  widest.message(3, 0, {}).message(11, 0, {fixed(0, 4), var(0), var(~uint64_t(0))});
  reader_t r(widest.str(), true, 2);
  r.all();
  EXPECT_EQ(r.nexus.full_address(0), ~uint64_t(0) << 1);
}

TEST(NexusErrors, WidthsOutsideTheFormatAreRefused) {
  EXPECT_THROW(nexus_decoder_t(64, true, 28), std::invalid_argument);
  EXPECT_NO_THROW(nexus_decoder_t(64, true, 27));
  std::istringstream in(std::string(8, '\0'));
  nexus_decoder_t nexus(64, false, 0);
  nexus.attach(in);
  EXPECT_THROW(nexus.read_fixed_field(28), std::invalid_argument);
  unsigned char out[8];
  EXPECT_THROW(nexus.parse_fixed_field(28, out, sizeof out), std::invalid_argument);
}

TEST(NexusErrors, MissingFileAndInput) {
  nexus_decoder_t nexus(64, false, 0);
  EXPECT_THROW(nexus.read_message(), std::logic_error);
  try {
    nexus.open("/nonexistent/trace.nx");
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Failed to read Nexus trace file: /nonexistent/trace.nx");
  }
}

TEST(NexusMessages, ReadsAFile) {
  nexus_encoder_t enc;
  enc.message(9, 0, {fixed(0, 4), var(0), var(0x40000000)}).idle(2).message(3, 0, {var(4)}, 5);
  temp_file_t file;
  std::ofstream(file.path(), std::ios::binary) << enc.str();
  nexus_decoder_t nexus(32, false, 0);
  nexus.open(file.path());
  int messages = 0;
  while (nexus.read_message()) ++messages;
  EXPECT_EQ(messages, 2);
  EXPECT_EQ(nexus.message_log(), "");  // the log is off
  EXPECT_EQ(nexus.full_address(0), 0x80000000u);
  EXPECT_EQ(nexus.timestamp(0), 5u);
}

}  // namespace
