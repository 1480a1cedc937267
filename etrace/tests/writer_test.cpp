#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/stream/et_record.h"
#include "etrace/stream/et_writer.h"
#include "support/trace_builder.h"

using et_test::read_file;
using et_test::temp_file_t;
using bytes_t = std::vector<uint8_t>;

namespace {

// How a test ends the stream: through close() or by destruction alone.
enum class ending_t { close, destroy };

// Runs `records` on a writer of the given ring size and returns the file.
bytes_t write_stream(uint64_t ring_size, const std::function<void(et_writer_t&)>& records,
                     int xlen = 64, ending_t ending = ending_t::close) {
  temp_file_t file;
  {
    et_writer_t writer(file.path(), ring_size);
    writer.configure(xlen, 64, xlen, xlen, 56);
    records(writer);
    if (ending == ending_t::close) writer.close();
  }
  return read_file(file.path());
}

const std::string full_device_failure =
    "Error: fail to write trace file: /dev/full: No space left on device";

bytes_t prefix(const bytes_t& bytes, size_t n) { return bytes_t(bytes.begin(), bytes.begin() + n); }

}  // namespace

// The byte-exact examples of the stream format.
TEST(WriterBytes, Tsd1IsCompletedToOneWordWithEmptyTsd1Records) {
  bytes_t file = write_stream(0, [](et_writer_t& w) { w.record_tsd1(5); });
  EXPECT_EQ(file, (bytes_t{0x10, 0x05, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00}));
}

TEST(WriterBytes, IssueRecord) {
  bytes_t file = write_stream(0, [](et_writer_t& w) { w.record_swt_is(0, 3, 0x13); });
  EXPECT_EQ(prefix(file, 11), (bytes_t{0x21, 0x00, 0x3c, 0x01, 0, 0, 0, 0, 0, 0, 0}));
  // 11 bytes leave 3 pending: TSD1 records at 3, 5 and 7 end in a lone code byte.
  ASSERT_EQ(file.size(), 16u);
  EXPECT_EQ(file[11], 0x10);
  EXPECT_EQ(file[13], 0x10);
  EXPECT_EQ(file[15], 0x10);
}

TEST(WriterBytes, CommitRecordWithXlen32FillsExactlyOneWord) {
  bytes_t file = write_stream(
      0, [](et_writer_t& w) { w.record_swt_cm(1, 0x80000000, true, false, 0, false); }, 32);
  EXPECT_EQ(file, (bytes_t{0x2e, 0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00}));
}

TEST(WriterBytes, ThreeByteRecordEndsInTsd1CodeWithoutDelta) {
  bytes_t file = write_stream(0, [](et_writer_t& w) { w.record_swt_irfwa(0x3ff, 31); });
  // 0x24, piid 0x3ff, register 31 in payload bits 10..14, one padding bit.
  EXPECT_EQ(file, (bytes_t{0x24, 0xff, 0x7f, 0x10, 0x00, 0x10, 0x00, 0x10}));
}

TEST(WriterBytes, CommitFlags) {
  struct {
    const char* name;
    bool frcm, trap;
    uint64_t cause;
    bool trig;
    unsigned flags;  // the 10 commit-flag bits
  } cases[] = {
      {"none", false, false, 0, false, 0},
      {"frcm", true, false, 0, false, 0x001},
      {"exception 13", false, true, 13, false, 0x002 | 13 << 3},
      {"interrupt 7", false, true, (uint64_t(1) << 31) | 7, false, 0x006 | 7 << 3},
      {"cause above 6 bits is cut", false, true, 0x47, false, 0x002 | 7 << 3},
      {"interrupt bit without trap", false, false, uint64_t(1) << 31, false, 0x004},
      {"trig", false, false, 0, true, 0x200},
  };
  for (const auto& c : cases) {
    bytes_t file = write_stream(
        0, [&](et_writer_t& w) { w.record_swt_cm(0, 0, c.frcm, c.trap, c.cause, c.trig); }, 32);
    // Payload: P 10, pc 32, then the flags from payload bit 42 (stream bit 50).
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t(file[i]) << (8 * i);
    EXPECT_EQ((bits >> 50) & 0x3ff, c.flags) << c.name;
  }
}

TEST(WriterBytes, InterruptBitFollowsXlen) {
  bytes_t file = write_stream(
      0, [](et_writer_t& w) { w.record_swt_cm(0, 0, false, true, uint64_t(1) << 63, false); }, 64);
  // pc 64 bits: flags start at stream bit 8 + 10 + 64 = 82; interrupt is flag bit 2.
  EXPECT_EQ((file[84 / 8] >> (84 % 8)) & 1, 1);
}

// Field widths of the configured records: the record's total bit count shows
// where its padding starts, so a wrong width moves the next record.
TEST(WriterBytes, ConfiguredWidthsSetRecordLengths) {
  struct {
    const char* name;
    std::function<void(et_writer_t&)> record;
    size_t bytes;  // record length with xlen 32, flen 64, irf 32, va 32, pa 40
  } cases[] = {
      {"irfrd", [](et_writer_t& w) { w.record_swt_irfrd(0, 1, 0); }, (8 + 10 + 4 + 32 + 7) / 8},
      {"irfwd", [](et_writer_t& w) { w.record_swt_irfwd(0, 0); }, (8 + 10 + 32 + 7) / 8},
      {"frfrd", [](et_writer_t& w) { w.record_swt_frfrd(0, 5, 0); }, (8 + 10 + 4 + 64 + 7) / 8},
      {"frfwd", [](et_writer_t& w) { w.record_swt_frfwd(0, 0); }, (8 + 10 + 64 + 7) / 8},
      {"va", [](et_writer_t& w) { w.record_swt_va(0, 0); }, (8 + 10 + 32 + 7) / 8},
      {"pa", [](et_writer_t& w) { w.record_swt_pa(0, 0); }, (8 + 10 + 40 + 7) / 8},
      {"std uses max(xlen, flen)", [](et_writer_t& w) { w.record_swt_std(0, 0); },
       (8 + 10 + 64 + 7) / 8},
      {"cm", [](et_writer_t& w) { w.record_swt_cm(0, 0, 0, 0, 0, 0); }, (8 + 10 + 32 + 10 + 7) / 8},
      {"fr", [](et_writer_t& w) { w.record_swt_fr(0, true); }, (8 + 10 + 1 + 7) / 8},
      {"irfra", [](et_writer_t& w) { w.record_swt_irfra(0, 1, 0); }, (8 + 10 + 4 + 5 + 7) / 8},
      {"frfwa", [](et_writer_t& w) { w.record_swt_frfwa(0, 0); }, (8 + 10 + 5 + 7) / 8},
      {"hart", [](et_writer_t& w) { w.record_swt_hart(0); }, 2},
  };
  for (const auto& c : cases) {
    temp_file_t file;
    {
      et_writer_t w(file.path(), 0);
      w.configure(32, 64, 32, 32, 40);
      c.record(w);
      w.record_swt_hart(0xab);  // marker right after the padding
    }
    bytes_t bytes = read_file(file.path());
    ASSERT_GT(bytes.size(), c.bytes + 1) << c.name;
    EXPECT_EQ(bytes[c.bytes], MH_SWT_HART) << c.name;
    EXPECT_EQ(bytes[c.bytes + 1], 0xab) << c.name;
  }
}

TEST(WriterBytes, ValuesAreMaskedToTheirWidth) {
  // A 3-bit pril and an 11-bit piid lose their high bits instead of spilling
  // into the next field.
  bytes_t file = write_stream(0, [](et_writer_t& w) { w.record_swt_is(0x400 | 1, 7, 0); });
  EXPECT_EQ(file[1], 0x01);
  EXPECT_EQ(file[2], 0x0c);  // pril 3 at payload bits 10..11
}

TEST(WriterAppend, SixtyFourBitsOnEmptyBufferEmitOneWord) {
  bytes_t file = write_stream(0, [](et_writer_t& w) { w.append(0x0807060504030201, 64); });
  EXPECT_EQ(file, (bytes_t{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(WriterAppend, FieldsSpanningAWordBoundary) {
  // 56 bits, then 16 bits of which 8 complete the word and 8 stay pending;
  // destruction then pads from byte 9 on (k = 1: TSD1 at 1, 3, 5 and 7, the
  // last without its delta).
  bytes_t file = write_stream(0, [](et_writer_t& w) {
    w.append(0x77665544332211, 56);
    w.append(0xbbaa, 16);
    w.append(0, 0);  // no effect
  });
  ASSERT_EQ(file.size(), 16u);
  EXPECT_EQ(prefix(file, 10),
            (bytes_t{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0xaa, 0xbb, 0x10}));
  EXPECT_EQ(file[15], 0x10);
}

TEST(WriterAppend, RejectsMoreThan64Bits) {
  temp_file_t file;
  et_writer_t w(file.path(), 0);
  EXPECT_THROW(w.append(0, 65), std::runtime_error);
}

TEST(WriterAppend, LongStreamIsWrittenWhole) {
  // More than one staging block of output.
  bytes_t file = write_stream(0, [](et_writer_t& w) {
    for (uint64_t i = 0; i < 5000; ++i) w.append(i, 64);
  });
  ASSERT_EQ(file.size(), 5000u * 8);
  for (uint64_t i = 0; i < 5000; i += 999)
    EXPECT_EQ(file[i * 8] | file[i * 8 + 1] << 8, int(i & 0xffff));
}

TEST(WriterErrors, UnopenableFileThrowsWithPathAndReason) {
  const std::string path = "/nonexistent-dir/trace.bin";
  try {
    et_writer_t w(path, 0);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos)
        << e.what();
  }
}

TEST(WriterErrors, FailedWriteThrowsInsteadOfLosingRecords) {
  et_writer_t w("/dev/full", 0);
  auto fill = [&] {
    for (int i = 0; i < 100000; ++i) w.append(uint64_t(i), 64);
  };
  EXPECT_THROW(fill(), std::runtime_error);
}

// Ending a stream: close() gives the bytes that destruction gives, reports
// the failures that destruction can only write to standard error, and a
// second call does nothing.
TEST(WriterClose, GivesTheBytesOfDestruction) {
  struct {
    const char* name;
    uint64_t ring_size;
    std::function<void(et_writer_t&)> records;
  } const cases[] = {
      {"odd pending bytes", 0, [](et_writer_t& w) { w.record_swt_irfwa(0x3ff, 31); }},
      {"whole words", 0, [](et_writer_t& w) { w.append(0x0807060504030201, 64); }},
      {"more than one staging block", 0,
       [](et_writer_t& w) {
         for (uint64_t i = 0; i < 3000; ++i) w.record_swt_is(i, 3, i);
       }},
      {"ring larger than the stream", 8192,
       [](et_writer_t& w) {
         for (uint64_t i = 0; i < 300; ++i) w.record_swt_is(i, 3, i);
       }},
      {"ring wrapped, kept from a sync point", 2048,
       [](et_writer_t& w) {
         for (uint64_t i = 0; i < 600; ++i) w.record_swt_is(i, 3, i);
       }},
  };
  for (const auto& c : cases) {
    const bytes_t closed = write_stream(c.ring_size, c.records, 64, ending_t::close);
    const bytes_t destroyed = write_stream(c.ring_size, c.records, 64, ending_t::destroy);
    EXPECT_FALSE(closed.empty()) << c.name;
    EXPECT_EQ(closed, destroyed) << c.name;
  }
  temp_file_t file;
  et_writer_t w(file.path(), 0);
  w.record_tsd1(5);
  w.close();
  EXPECT_NO_THROW(w.close());
  EXPECT_EQ(read_file(file.path()).size(), 8u);
}

TEST(WriterClose, FailureThrowsWithFileAndReason) {
  for (uint64_t ring_size : {0, 64}) {
    et_writer_t w("/dev/full", ring_size);
    w.record_tsd1(5);  // staged or in the ring: nothing fails before close
    ::testing::internal::CaptureStderr();
    try {
      w.close();
      ADD_FAILURE() << "no exception, ring " << ring_size;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), full_device_failure) << ring_size;
    }
    EXPECT_NO_THROW(w.close()) << ring_size;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << ring_size;
  }
}

// Where no close() was called, the destructor writes the failure as one line.
TEST(WriterClose, DestructorWritesItsFailureOnOneLine) {
  for (uint64_t ring_size : {0, 64}) {
    ::testing::internal::CaptureStderr();
    {
      et_writer_t w("/dev/full", ring_size);
      w.record_tsd1(5);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), full_device_failure + "\n") << ring_size;
  }
}

// A write that failed in the middle of the stream was thrown to the caller:
// destruction does not write it again, and close() throws it again, since
// the file is incomplete.
TEST(WriterClose, FailureAlreadyThrownIsNotWrittenAgain) {
  auto fill = [](et_writer_t& w) {
    for (int i = 0; i < 100000; ++i) w.append(uint64_t(i), 64);
  };
  ::testing::internal::CaptureStderr();
  {
    et_writer_t w("/dev/full", 0);
    EXPECT_THROW(fill(w), std::runtime_error);
  }
  {
    et_writer_t w("/dev/full", 0);
    EXPECT_THROW(fill(w), std::runtime_error);
    try {
      w.close();
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), full_device_failure);
    }
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// After a successful close() every kind of write is refused, before any bit
// of it: the file keeps the closed stream, also past the size of the blocks
// in which words are written.
TEST(WriterClose, WritesAfterCloseThrowAndWriteNothing) {
  const struct {
    const char* name;
    std::function<void(et_writer_t&)> write;
  } writes[] = {
      {"append", [](et_writer_t& w) { w.append(1, 3); }},
      {"append of 0 bits", [](et_writer_t& w) { w.append(1, 0); }},
      {"tsd1", [](et_writer_t& w) { w.record_tsd1(1); }},
      {"hart", [](et_writer_t& w) { w.record_swt_hart(1); }},
      {"is", [](et_writer_t& w) { w.record_swt_is(255, 3, 0x13); }},
      {"irfra", [](et_writer_t& w) { w.record_swt_irfra(0, 1, 2); }},
      {"irfrd", [](et_writer_t& w) { w.record_swt_irfrd(0, 1, 2); }},
      {"irfwa", [](et_writer_t& w) { w.record_swt_irfwa(0, 2); }},
      {"irfwd", [](et_writer_t& w) { w.record_swt_irfwd(0, 2); }},
      {"frfra", [](et_writer_t& w) { w.record_swt_frfra(0, 5, 2); }},
      {"frfrd", [](et_writer_t& w) { w.record_swt_frfrd(0, 5, 2); }},
      {"frfwa", [](et_writer_t& w) { w.record_swt_frfwa(0, 2); }},
      {"frfwd", [](et_writer_t& w) { w.record_swt_frfwd(0, 2); }},
      {"fr", [](et_writer_t& w) { w.record_swt_fr(0, true); }},
      {"va", [](et_writer_t& w) { w.record_swt_va(0, 0x1000); }},
      {"pa", [](et_writer_t& w) { w.record_swt_pa(0, 0x1000); }},
      {"std", [](et_writer_t& w) { w.record_swt_std(0, 7); }},
      {"cm", [](et_writer_t& w) { w.record_swt_cm(0, 0x1000, false, true, 5, false); }},
      {"more than a block of issue records",
       [](et_writer_t& w) {
         for (uint64_t i = 0; i < 1000; ++i) w.record_swt_is(i, 3, i);
       }},
  };
  // What `write` threw, marked unless it is a std::logic_error.
  auto thrown_by = [](et_writer_t& w, const std::function<void(et_writer_t&)>& write) {
    try {
      write(w);
      return std::string("nothing thrown");
    } catch (const std::logic_error& e) {
      return std::string(e.what());
    } catch (const std::exception& e) {
      return "not a logic_error: " + std::string(e.what());
    }
  };
  for (uint64_t ring_size : {0, 64}) {
    temp_file_t file;
    const std::string refusal = "trace writer for '" + file.path() + "' is closed";
    bytes_t closed;
    ::testing::internal::CaptureStderr();
    {
      et_writer_t w(file.path(), ring_size);
      w.configure(64, 64, 64, 64, 56);
      w.record_swt_irfwa(0x3ff, 31);
      w.close();
      closed = read_file(file.path());
      for (const auto& c : writes)
        EXPECT_EQ(thrown_by(w, c.write), refusal) << c.name << ", ring " << ring_size;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << ring_size;
    EXPECT_EQ(closed.size(), 8u) << ring_size;
    EXPECT_EQ(read_file(file.path()), closed) << ring_size;
  }
}

TEST(WriterErrors, RingSizeNotMultipleOf8) {
  temp_file_t file;
  for (uint64_t size : {1, 12, 4097}) {
    try {
      et_writer_t w(file.path(), size);
      FAIL() << size;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(std::to_string(size)), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(et_writer_t(file.path(), 8));
}

TEST(WriterErrors, WidthsOutside1To64) {
  temp_file_t file;
  et_writer_t w(file.path(), 0);
  struct {
    int xlen, flen, irf, va, pa;
    const char* expected;
  } cases[] = {
      {0, 64, 64, 64, 64, "xlen = 0"},  {64, 65, 64, 64, 64, "flen = 65"},
      {64, 64, -1, 64, 64, "irf = -1"}, {64, 64, 64, 128, 64, "va = 128"},
      {64, 64, 64, 64, 0, "pa = 0"},
  };
  for (const auto& c : cases) {
    try {
      w.configure(c.xlen, c.flen, c.irf, c.va, c.pa);
      FAIL() << c.expected;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(w.configure(1, 1, 1, 1, 1));
  EXPECT_NO_THROW(w.configure(64, 64, 64, 64, 64));
}

TEST(WriterErrors, RecordsNeedingWidthsBeforeConfigure) {
  temp_file_t file;
  et_writer_t w(file.path(), 0);
  // These carry no configured width.
  EXPECT_NO_THROW(w.record_tsd1(1));
  EXPECT_NO_THROW(w.record_swt_hart(1));
  EXPECT_NO_THROW(w.record_swt_is(0, 3, 0x13));
  EXPECT_NO_THROW(w.record_swt_irfra(0, 1, 2));
  EXPECT_NO_THROW(w.record_swt_irfwa(0, 2));
  EXPECT_NO_THROW(w.record_swt_frfra(0, 5, 2));
  EXPECT_NO_THROW(w.record_swt_frfwa(0, 2));
  EXPECT_NO_THROW(w.record_swt_fr(0, true));
  const std::function<void()> needing[] = {
      [&] { w.record_swt_irfrd(0, 1, 0); }, [&] { w.record_swt_irfwd(0, 0); },
      [&] { w.record_swt_frfrd(0, 5, 0); }, [&] { w.record_swt_frfwd(0, 0); },
      [&] { w.record_swt_va(0, 0); },       [&] { w.record_swt_pa(0, 0); },
      [&] { w.record_swt_std(0, 0); },      [&] { w.record_swt_cm(0, 0, 0, 0, 0, 0); },
  };
  for (const auto& record : needing) EXPECT_THROW(record(), std::runtime_error);
}

// Ring mode. The ring must give the same bytes as a plain writer, cut to the
// kept part.
class WriterRing : public ::testing::Test {
protected:
  static void issues(et_writer_t& w, unsigned count) {
    for (unsigned i = 0; i < count; ++i) w.record_swt_is(i, 3, 0x13);  // 11 bytes each
  }
  static void tsd1s(et_writer_t& w, unsigned count) {
    for (unsigned i = 0; i < count; ++i) w.record_tsd1(uint8_t(i));
  }
  static bytes_t tail(const bytes_t& bytes, size_t from) {
    return bytes_t(bytes.begin() + from, bytes.end());
  }
};

TEST_F(WriterRing, RingLargerThanStreamHoldsExactlyTheEmittedWords) {
  auto records = [](et_writer_t& w) { issues(w, 600); };
  bytes_t plain = write_stream(0, records);
  EXPECT_EQ(write_stream(8192, records), plain);
  EXPECT_EQ(plain.size(), 6600u);
}

TEST_F(WriterRing, StreamStartStaysSyncPointUntilItLeavesTheRing) {
  // Exactly one ring of bytes: position 0 is still inside.
  auto records = [](et_writer_t& w) { tsd1s(w, 2048); };
  bytes_t plain = write_stream(0, records);
  ASSERT_EQ(plain.size(), 4096u);
  EXPECT_EQ(write_stream(4096, records), plain);
}

TEST_F(WriterRing, WithoutSyncPointsTheWholeRingIsWrittenOldestFirst) {
  auto records = [](et_writer_t& w) { tsd1s(w, 203); };  // 406 bytes -> 408 after padding
  bytes_t plain = write_stream(0, records);
  ASSERT_EQ(plain.size(), 408u);
  EXPECT_EQ(write_stream(64, records), tail(plain, 408 - 64));
}

TEST_F(WriterRing, KeptPartStartsAtOldestSyncPointInsideTheRing) {
  // Sync points at 0 and at the 256th and 512th issue records (bytes 2805 and
  // 5621, both inside a word: the pending bytes count). Each case keeps a
  // different one; the first two wrap around the ring's end, the last lies in
  // the ring's latest pass.
  struct {
    uint64_t ring_size;
    unsigned issue_count;
    size_t kept_from;
  } cases[] = {
      {4096, 600, 255 * 11},
      {2048, 600, 511 * 11},
      {4096, 700, 511 * 11},
  };
  for (const auto& c : cases) {
    auto records = [&](et_writer_t& w) { issues(w, c.issue_count); };
    bytes_t plain = write_stream(0, records);
    bytes_t ring = write_stream(c.ring_size, records);
    EXPECT_EQ(ring, tail(plain, c.kept_from)) << c.ring_size << " " << c.issue_count;
    ASSERT_FALSE(ring.empty());
    EXPECT_EQ(ring[0], MH_SWT_IS);
  }
}

// The test trace builder packs the records that the writer has no operation for.
TEST(TraceBuilder, MessageRecordLengths) {
  using et_test::trace_builder_t;
  using et_test::trace_config_t;
  auto l2t = [](unsigned letter) {
    l2t_object_t m{};
    m.letter = uint8_t(letter);
    return m;
  };
  auto dct = [](unsigned letter) {
    dct_object_t m{};
    m.letter = uint8_t(letter);
    return m;
  };
  trace_config_t two_chunks_poisoned;
  two_chunks_poisoned.cl_chunks = 2;
  two_chunks_poisoned.poison_enable = true;
  struct {
    const char* name;
    trace_config_t config;
    std::function<void(trace_builder_t&)> record;
    size_t bytes;  // header code + payload + padding
  } cases[] = {
      {"rvt", {}, [](trace_builder_t& t) { t.rvt(1); }, 9},
      {"dct hart", {}, [](trace_builder_t& t) { t.dct_hart(1); }, 2},
      {"rq", {}, [&](trace_builder_t& t) { t.l2t(l2t(MH_SWT_L2T_URQ)); }, (8 + 83 + 7) / 8},
      {"wd 8 words", {}, [&](trace_builder_t& t) { t.l2t(l2t(MH_SWT_L2T_UWD)); }, 1 + 64},
      {"wd 4 words, poison, cn", two_chunks_poisoned,
       [&](trace_builder_t& t) { t.dct(dct(MH_SWT_DCT_DRD)); }, (8 + 256 + 4 + 1 + 7) / 8},
      {"rs", {}, [&](trace_builder_t& t) { t.l2t(l2t(MH_SWT_L2T_DRS)); }, 4},
      {"rl", {}, [&](trace_builder_t& t) { t.dct(dct(MH_SWT_DCT_DRL)); }, 2},
      {"sr", {}, [&](trace_builder_t& t) { t.l2t(l2t(MH_SWT_L2T_USR)); }, (8 + 59 + 7) / 8},
      {"hm2", {}, [&](trace_builder_t& t) { t.l2t(l2t(MH_SWT_L2T_HM2)); }, (8 + 179 + 7) / 8},
      {"brq", {}, [&](trace_builder_t& t) { t.dct(dct(MH_SWT_DCT_BRQ)); }, (8 + 204 + 7) / 8},
      {"wup", {}, [&](trace_builder_t& t) { t.dct(dct(MH_SWT_DCT_WUP)); }, (8 + 11 + 7) / 8},
  };
  for (const auto& c : cases) {
    trace_builder_t trace(c.config);
    c.record(trace);
    trace.hart(0xab);
    bytes_t bytes = trace.bytes();
    ASSERT_GT(bytes.size(), c.bytes + 1) << c.name;
    EXPECT_EQ(bytes[c.bytes], MH_SWT_HART) << c.name;
    EXPECT_EQ(bytes[c.bytes + 1], 0xab) << c.name;
  }
}

TEST(TraceBuilder, InstructionRecordsInOrder) {
  et_insn_t insn = et_test::make_insn(0, 0x1000, 0x13);
  insn.rs1 = {1, 1, 1, 5};
  insn.rsd = {1, 2, 0, 0};
  insn.rd = {0, 0, 1, 9};
  insn.frs2 = {1, 3, 1, 7};
  insn.frd = {1, 4, 0, 0};
  insn.fr = 1;
  insn.ea_valid = insn.pa_valid = insn.sd_valid = 1;
  et_test::trace_builder_t trace;
  trace.insn(insn);
  bytes_t bytes = trace.bytes();
  // Walk the records by their known lengths (all widths 64, pa 56).
  const std::pair<unsigned, size_t> expected[] = {
      {MH_SWT_IS, 11},    {MH_SWT_IRFRA, 4}, {MH_SWT_IRFRD, 11}, {MH_SWT_IRFRA, 4},
      {MH_SWT_IRFWD, 11}, {MH_SWT_FRFRA, 4}, {MH_SWT_FRFRD, 11}, {MH_SWT_FRFWA, 3},
      {MH_SWT_FR, 3},     {MH_SWT_VA, 11},   {MH_SWT_PA, 10},    {MH_SWT_STD, 11},
      {MH_SWT_CM, 12},
  };
  size_t at = 0;
  for (const auto& record : expected) {
    ASSERT_LT(at, bytes.size());
    EXPECT_EQ(bytes[at], record.first) << mh_record_to_string(record.first);
    at += record.second;
  }
}
