// The decode-ahead over a fake decoder that makes numbered objects: what each
// call of the reader finds, with the decoding in a thread of its own or in
// the caller's, at the end of the data, after an error, when a direct call
// takes the decoding over, and when it is stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "etrace/stream/et_decode_ahead.h"
#include "etrace/stream/et_huge_mapping.h"
#include "support/resident_pages.h"

namespace {

constexpr uint64_t window = 8;
constexpr uint64_t capacity = 12;
constexpr uint64_t never = std::numeric_limits<uint64_t>::max();

// Makes one object per run of records: objects 0 to count - 1, then the end
// of the data; a record it cannot take after fail_at objects; or, stalling,
// records that make nothing for ever after the objects.
class fake_decoder_t : public et_decode_ahead_t::decoder_i {
public:
  struct script_t {
    uint64_t count;
    uint64_t fail_at = never;
    bool stall = false;
  };
  explicit fake_decoder_t(const script_t& script) : script_(script) {}

  bool decode_until(uint64_t target, uint64_t rounds) override {
    uint64_t made = made_.load();
    while (made != target) {
      if (rounds-- == 0) break;
      if (made == script_.fail_at) {
        note_ = "NOTE record after " + std::to_string(made) + "\n";
        throw std::runtime_error("bad record after " + std::to_string(made));
      }
      if (made == script_.count) {
        if (script_.stall) continue;
        throw std::underflow_error("");
      }
      made_.store(++made);
    }
    return made == target;
  }
  uint64_t made() const override { return made_.load(); }
  std::string take_note() override {
    std::string note;
    note.swap(note_);
    return note;
  }
  void restart() override {
    made_.store(0);
    ++restarts;
  }
  void start_read_ahead() override { read_ahead = true; }
  memory_t memory_to_fill() const override { return memory; }

  int restarts = 0;
  bool read_ahead = false;
  memory_t memory{nullptr, 0};

private:
  const script_t script_;
  std::atomic<uint64_t> made_{0};
  std::string note_;
};

// Where the decoding runs: start() for a regular file or for another input.
enum class decoding_mode_t { thread, callers_thread };
const char* mode_name(decoding_mode_t mode) {
  return mode == decoding_mode_t::thread ? "thread" : "caller's thread";
}

void start(et_decode_ahead_t& ahead, decoding_mode_t mode) {
  ahead.start(mode == decoding_mode_t::thread);
}

// The calls of a reader that hands out every object it may, asking at the
// calls that next_call() names: what they gave, as "<handed> objects", the
// text of the error after them, and the object count at whose call the NOTE
// line came ("note@<handed>").
std::string drain(et_decode_ahead_t& ahead, uint64_t& handed) {
  std::string notes;
  for (uint64_t next_call = handed;; ++handed) {
    if (handed < next_call) continue;
    ::testing::internal::CaptureStdout();
    const uint64_t ready = ahead.ready(handed);
    const std::string written = ::testing::internal::GetCapturedStdout();
    if (!written.empty()) notes += "note@" + std::to_string(handed) + ":" + written;
    if (ready <= handed) break;
    next_call = ahead.next_call();
    EXPECT_GT(next_call, handed);
    EXPECT_LE(next_call, ready);
  }
  std::string out = notes + std::to_string(handed) + " objects";
  try {
    ahead.rethrow_failure();
  } catch (const std::runtime_error& e) {
    out += std::string(", then ") + e.what();
  }
  return out;
}

// Runs f, failing the test run when it takes a minute or more: a thread left
// waiting would hold it for ever.
template <class function_t>
void returns_within_a_minute(function_t f, const std::string& what) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread([&f, &done] {
    f();
    done.set_value();
  }).detach();
  if (finished.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
    ADD_FAILURE() << what << ": did not return";
    std::abort();
  }
}

}  // namespace

// Every object comes out once, in order, in either mode; the caller's own
// decoding goes exactly to the window after the object it hands out.
TEST(DecodeAhead, EndOfData) {
  for (const decoding_mode_t mode : {decoding_mode_t::thread, decoding_mode_t::callers_thread}) {
    for (const uint64_t count : {uint64_t(0), uint64_t(1), window, capacity, uint64_t(100)}) {
      fake_decoder_t decoder({count});
      et_decode_ahead_t ahead(decoder, window, capacity);
      start(ahead, mode);
      EXPECT_EQ(decoder.read_ahead, mode == decoding_mode_t::thread) << mode_name(mode);
      uint64_t handed = 0;
      while (handed < ahead.ready(handed)) {
        if (mode == decoding_mode_t::callers_thread) {
          ASSERT_EQ(decoder.made(), std::min(handed + window, count)) << handed;
        }
        ++handed;
      }
      EXPECT_EQ(handed, count) << mode_name(mode);
      EXPECT_NO_THROW(ahead.rethrow_failure());
      EXPECT_EQ(ahead.ready(handed), count) << "the end stays";
    }
  }
}

// The objects before a bad record come out first, then its error, at every
// call; the NOTE line comes at the call that the caller's own decoding meets
// the record in (object 20 - window + 1), in either mode, once.
TEST(DecodeAhead, Errors) {
  const std::string want = "note@13:NOTE record after 20\n20 objects, then bad record after 20";
  for (const decoding_mode_t mode : {decoding_mode_t::thread, decoding_mode_t::callers_thread}) {
    fake_decoder_t decoder({100, 20});
    et_decode_ahead_t ahead(decoder, window, capacity);
    start(ahead, mode);
    uint64_t handed = 0;
    EXPECT_EQ(drain(ahead, handed), want) << mode_name(mode);
    EXPECT_EQ(drain(ahead, handed), "20 objects, then bad record after 20") << mode_name(mode);
    for (int again = 0; again < 2; ++again) {
      try {
        ahead.parse_more(handed, handed + window);
        ADD_FAILURE() << "parse_more went on";
      } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "bad record after 20") << mode_name(mode);
      }
      EXPECT_THROW(ahead.take_over(handed + window), std::runtime_error) << mode_name(mode);
    }
  }
}

// A direct call takes the decoding over where the caller's own decoding
// stands: after handing out objects 0 to 4, the call for object 4 has
// decoded to 4 + window. It is decoded again once, from the start.
TEST(DecodeAhead, TakeOver) {
  for (const decoding_mode_t mode : {decoding_mode_t::thread, decoding_mode_t::callers_thread}) {
    const int redecodes = mode == decoding_mode_t::thread ? 1 : 0;
    {
      fake_decoder_t decoder({100});
      et_decode_ahead_t ahead(decoder, window, capacity);
      start(ahead, mode);
      ahead.take_over(0);
      EXPECT_EQ(decoder.made(), 0u) << mode_name(mode) << ": before any object";
      EXPECT_EQ(decoder.restarts, redecodes);
    }
    fake_decoder_t decoder({100});
    et_decode_ahead_t ahead(decoder, window, capacity);
    start(ahead, mode);
    for (uint64_t handed = 0; handed < 5; ++handed) ASSERT_GT(ahead.ready(handed), handed);
    ahead.take_over(4 + window);
    EXPECT_EQ(decoder.made(), 4 + window) << mode_name(mode);
    ahead.parse_more(5, 4 + window);
    EXPECT_EQ(decoder.made(), 5 + window) << mode_name(mode);
    EXPECT_EQ(ahead.ready(5), 5 + window);
    EXPECT_EQ(ahead.ready(6), 6 + window);
    EXPECT_EQ(decoder.restarts, redecodes) << mode_name(mode);
  }
}

// The end of the data met by parse_more leaves every object to be handed out.
TEST(DecodeAhead, ParseMoreToTheEnd) {
  fake_decoder_t decoder({5});
  et_decode_ahead_t ahead(decoder, window, capacity);
  start(ahead, decoding_mode_t::thread);
  EXPECT_THROW(ahead.parse_more(0, 0), std::underflow_error);
  EXPECT_THROW(ahead.parse_more(0, 0), std::underflow_error);
  uint64_t handed = 0;
  EXPECT_EQ(drain(ahead, handed), "5 objects");
}

// The thread stops, and the decode-ahead goes, wherever the thread stands:
// waiting for room in a full ring, or reading records that make nothing.
TEST(DecodeAhead, Stop) {
  struct case_t {
    const char* name;
    fake_decoder_t::script_t script;
    uint64_t made_when_stopped;
  } cases[] = {
      {"waiting for room", {1000}, capacity},
      {"records that make nothing", {3, never, true}, 3},
  };
  for (const case_t& c : cases) {
    fake_decoder_t decoder(c.script);
    auto ahead = std::make_unique<et_decode_ahead_t>(decoder, window, capacity);
    start(*ahead, decoding_mode_t::thread);
    while (decoder.made() != c.made_when_stopped) std::this_thread::yield();
    returns_within_a_minute([&ahead] { ahead.reset(); }, c.name);
    EXPECT_EQ(decoder.made(), c.made_when_stopped) << c.name;
  }
}

// The memory the decoding fills is faulted in ahead, past its first page,
// when the decoding runs in a thread of its own; a pipe's decoding, in the
// caller's thread, touches its pages itself.
TEST(DecodeAhead, FaultsInTheMemoryToFillOnlyWithAThread) {
  if (!et_test::can_populate()) GTEST_SKIP() << "no MADV_POPULATE_WRITE on this system";
  constexpr std::size_t huge_page = et_huge_mapping_t::huge_page;
  for (const decoding_mode_t mode : {decoding_mode_t::thread, decoding_mode_t::callers_thread}) {
    et_huge_mapping_t mapping(3 * huge_page);
    fake_decoder_t decoder({100});
    decoder.memory = {mapping.data(), mapping.size()};
    {
      et_decode_ahead_t ahead(decoder, window, capacity);
      start(ahead, mode);
      uint64_t handed = 0;
      EXPECT_EQ(drain(ahead, handed), "100 objects") << mode_name(mode);
      if (mode == decoding_mode_t::thread) {
        EXPECT_TRUE(et_test::wait_until_resident(mapping.data() + huge_page, 2 * huge_page));
      }
    }
    if (mode == decoding_mode_t::callers_thread) {
      EXPECT_EQ(et_test::resident_pages(mapping.data(), mapping.size()), 0u);
    }
  }
}
