// The record decoder alone, in the test's one thread: how far each call
// decodes, runs of records that make nothing handing control back, the NOTE
// line kept with its error, and the same objects after a restart.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/stream/et_record.h"
#include "etrace/stream/et_record_decoder.h"
#include "support/trace_builder.h"

using et_test::make_insn;
using et_test::trace_builder_t;

namespace {

// A decoder of the trace's file, every hart selected; skip_l2t drops L2T
// messages.
class decoder_of_t {
public:
  explicit decoder_of_t(trace_builder_t& trace, bool skip_l2t = false)
      : file_(std::fopen(trace.finish().c_str(), "rb")),
        decoder(file_, trace.path(), trace.config().geometry(), 0xff, false, skip_l2t, false) {}
  ~decoder_of_t() { std::fclose(file_); }

private:
  FILE* file_;

public:
  et_record_decoder_t decoder;
};

// Objects 0 to n - 1 as their one-line texts.
std::vector<std::string> texts(const et_record_decoder_t& decoder, uint64_t n) {
  std::vector<std::string> out;
  et_object_t object{};
  uint8_t kind = et_object_t::KIND_NONE;
  uint64_t uiid = 0;
  et_record_decoder_t::slot_t* slot = decoder.ring();
  for (uint64_t k = 0; k < n; ++k, slot = decoder.slot_after(slot, 1)) {
    decoder.expand(*slot, uiid, object, kind);
    if (object.kind == et_object_t::KIND_INSN) {
      ++uiid;
      out.push_back(object.insn.to_string());
    } else {
      out.push_back(object.rvt.to_string());
    }
  }
  return out;
}

}  // namespace

TEST(RecordDecoder, DecodesToTheTargetAndNoFurther) {
  trace_builder_t trace;
  for (uint64_t k = 0; k < 10; ++k) trace.rvt(k);
  decoder_of_t d(trace);
  EXPECT_TRUE(d.decoder.decode_until(3));
  EXPECT_EQ(d.decoder.made(), 3u);
  EXPECT_TRUE(d.decoder.decode_until(3));
  EXPECT_EQ(d.decoder.made(), 3u);
  EXPECT_TRUE(d.decoder.decode_until(10));
  EXPECT_THROW(d.decoder.decode_until(11), std::underflow_error);
  EXPECT_EQ(d.decoder.made(), 10u);
  const std::vector<std::string> objects = texts(d.decoder, 10);
  for (uint64_t k = 0; k < 10; ++k) {
    rvt_object_t rvt{};
    rvt.data = k;
    EXPECT_EQ(objects[k], rvt.to_string()) << k;
  }
}

// A message is a run of its own: messages that make nothing (skipped) hand
// control back after the runs asked for, and the decoding goes on from there.
TEST(RecordDecoder, RoundsHandControlBack) {
  trace_builder_t trace;
  l2t_object_t l2t{};
  l2t.letter = MH_SWT_L2T_URL;
  for (int k = 0; k < 5; ++k) trace.l2t(l2t);
  trace.rvt(42);
  decoder_of_t d(trace, true);
  EXPECT_FALSE(d.decoder.decode_until(1, 2));
  EXPECT_EQ(d.decoder.made(), 0u);
  EXPECT_TRUE(d.decoder.decode_until(1));
  rvt_object_t rvt{};
  rvt.data = 42;
  EXPECT_EQ(texts(d.decoder, 1), std::vector<std::string>{rvt.to_string()});
}

// The NOTE line of a missing issue record is the caller's to write, once.
TEST(RecordDecoder, NoteKeptWithItsError) {
  trace_builder_t trace;
  trace.insn(make_insn(0, 0, 0x13))
      .advance(5)
      .writer()
      .record_swt_cm(3, 0x80, false, false, 0, false);
  decoder_of_t d(trace);
  EXPECT_EQ(d.decoder.take_note(), "");
  EXPECT_THROW(d.decoder.decode_until(2), std::runtime_error);
  EXPECT_EQ(d.decoder.made(), 1u);
  EXPECT_EQ(d.decoder.take_note(),
            "NOTE etrace/src/mh_swt_reader:270: SWT_CM: cycle: 5, hid: 0, missing issue record "
            "for piid 0x3\n");
  EXPECT_EQ(d.decoder.take_note(), "");
}

// Decoding the file again from its start gives the same objects, the ring's
// second round and the piid tables included.
TEST(RecordDecoder, RestartGivesTheSameObjects) {
  const uint64_t count = et_record_decoder_t::capacity + 300;
  trace_builder_t trace;
  for (uint64_t u = 0; u < count; ++u) {
    et_insn_t insn = make_insn(u, 0x1000 + 4 * u, 0x13);
    insn.rd.addr_valid = insn.rd.data_valid = 1;
    insn.rd.addr = uint8_t(u % 32);
    insn.rd.data = u * 7;
    trace.insn(insn);
  }
  decoder_of_t d(trace);
  EXPECT_TRUE(d.decoder.decode_until(count - 100));
  EXPECT_TRUE(d.decoder.decode_until(count - 10));
  const std::vector<std::string> first = texts(d.decoder, 1000);
  d.decoder.restart();
  EXPECT_EQ(d.decoder.made(), 0u);
  EXPECT_TRUE(d.decoder.decode_until(count - 10));
  EXPECT_EQ(texts(d.decoder, 1000), first);
  EXPECT_THROW(d.decoder.decode_until(count + 1), std::underflow_error);
  EXPECT_EQ(d.decoder.made(), count);
}

// The ring's bytes that a regular file can fill cover every object it makes
// (what a helper faults in ahead), and stay within a huge page for a short
// trace; a pipe's size is not known: nothing is faulted in ahead.
TEST(RecordDecoder, RingBytesToFillCoverTheObjectsOfTheFile) {
  struct case_t {
    const char* name;
    uint64_t rvts, insns;
  };
  for (const case_t& c : {case_t{"empty", 0, 0}, case_t{"ten RVT records", 10, 0},
                          case_t{"instructions", 0, 50}, case_t{"both", 20, 20}}) {
    trace_builder_t trace;
    for (uint64_t k = 0; k < c.rvts; ++k) trace.rvt(k);
    for (uint64_t u = 0; u < c.insns; ++u) trace.insn(make_insn(u, 0x1000 + 4 * u, 0x13));
    decoder_of_t d(trace);
    const std::size_t bytes = d.decoder.ring_bytes_to_fill();
    EXPECT_THROW(d.decoder.decode_until(~uint64_t(0)), std::underflow_error) << c.name;
    EXPECT_EQ(d.decoder.made(), c.rvts + c.insns) << c.name;
    EXPECT_GE(bytes, d.decoder.made() * sizeof(et_record_decoder_t::slot_t)) << c.name;
    EXPECT_LE(bytes, et_huge_mapping_t::huge_page) << c.name;
  }
  trace_builder_t trace;
  for (uint64_t k = 0; k < 10; ++k) trace.rvt(k);
  const std::vector<uint8_t> bytes = trace.bytes();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
  close(fds[1]);
  FILE* pipe_in = fdopen(fds[0], "rb");
  {
    et_record_decoder_t decoder(pipe_in, "pipe", trace.config().geometry(), 0xff, false, false,
                                false);
    EXPECT_EQ(decoder.ring_bytes_to_fill(), 0u);
  }
  fclose(pipe_in);
}
