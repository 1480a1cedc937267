// Parsing speed of Nexus program-trace messages with the message log off:
// framing, field reading and the per-source state, no instruction walk.
//
// The input is about 4 MB of messages made once per run in memory, a mix
// like a branchy program's trace: mostly history and direct branches, some
// repeats, resource-full and synchronisation messages, for 4 sources.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>
#include <istream>
#include <streambuf>
#include <string>

#include "etrace/nexus/nexus_decoder.h"

namespace {

constexpr unsigned src_bits = 2;
constexpr std::size_t target_bytes = 4 << 20;

// Packs fields least-significant bit first, 6 data bits per byte.
class encoder_t {
public:
  std::string bytes;
  std::size_t messages = 0;

  // fields: width in bits, or 0 for a variable field.
  void message(unsigned tcode, std::initializer_list<std::pair<uint64_t, unsigned>> fields) {
    push(tcode, 0);
    for (auto [value, width] : fields) {
      if (width != 0) {
        for (unsigned i = 0; i < width; ++i) add_bit((value >> i) & 1);
        continue;
      }
      do {
        add_bit(value & 1);
        value >>= 1;
      } while (value != 0 || used_ != 0);
      bytes.back() = char(bytes.back() | 1);
    }
    if (used_ != 0) push(partial_, 0);
    bytes.back() = char(bytes.back() | 3);
    ++messages;
  }

private:
  void add_bit(uint64_t bit) {
    partial_ |= unsigned(bit) << used_;
    if (++used_ == 6) push(partial_, 0);
  }
  void push(unsigned mdo, unsigned mseo) {
    bytes += char((mdo & 0x3F) << 2 | mseo);
    partial_ = used_ = 0;
  }
  unsigned partial_ = 0, used_ = 0;
};

// Reads the input in place, so that no iteration copies it.
struct view_buf_t : std::streambuf {
  explicit view_buf_t(const std::string& s) {
    char* p = const_cast<char*>(s.data());
    setg(p, p, p + s.size());
  }
};

const encoder_t& input() {
  static const encoder_t enc = [] {
    encoder_t e;
    uint64_t x = 0x9E3779B97F4A7C15;
    for (unsigned n = 0; e.bytes.size() < target_bytes; ++n) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      const uint64_t src = x & 3, icnt = (x >> 2) & 0x3FF, addr = (x >> 12) & 0xFFFFFFF,
                     ts = (x >> 40) & 0xFFF;
      const uint64_t hist = ((x >> 20) & 0xFFFFF) | 1 << 20;
      switch (n % 16) {
        case 0:
          e.message(9, {{src, src_bits}, {0, 4}, {icnt, 0}, {0x40000000 | addr, 0}, {ts, 0}});
          break;
        case 1:
        case 4:
        case 7:
        case 10:
        case 13: e.message(3, {{src, src_bits}, {icnt, 0}, {ts, 0}}); break;
        case 5: e.message(30, {{src, src_bits}, {x >> 60, 0}}); break;
        case 11: e.message(27, {{src, src_bits}, {1, 4}, {hist, 0}}); break;
        default:
          e.message(28,
                    {{src, src_bits}, {0, 2}, {icnt, 0}, {addr & 0xFFF, 0}, {hist, 0}, {ts, 0}});
          break;
      }
    }
    return e;
  }();
  return enc;
}

void BM_NexusParse(benchmark::State& state) {
  const encoder_t& in = input();
  std::size_t messages = 0;
  for (auto _ : state) {
    view_buf_t buf(in.bytes);
    std::istream stream(&buf);
    nexus_decoder_t nexus(64, true, src_bits);
    nexus.attach(stream);
    std::size_t n = 0;
    while (nexus.read_message()) ++n;
    benchmark::DoNotOptimize(nexus.hist());
    if (n != in.messages) state.SkipWithError("message count differs");
    messages += n;
  }
  state.SetBytesProcessed(int64_t(state.iterations() * in.bytes.size()));
  state.counters["messages/s"] = benchmark::Counter(double(messages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NexusParse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
