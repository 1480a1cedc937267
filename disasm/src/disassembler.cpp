#include "disasm/disassembler.h"

#include <algorithm>
#include <memory>

#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"

namespace {

constexpr uint64_t opcode_mask = 0x7f;
// Quadrant (bits 1..0) and funct3 (bits 15..13) of a compressed instruction;
// (value AND this) modulo 255 is 32 x funct3 + quadrant.
constexpr uint64_t compressed_mask = 0xe003;

// A chain with this few entries that can match keeps a single bucket.
constexpr std::size_t single_bucket_chain = 4;
// At most 2^10 buckets per chain.
constexpr unsigned max_key_bits = 10;
// Bucket slots per entry, on average, that copies of entries with free key
// bits may cost.
constexpr std::size_t max_slots_per_entry = 2;
// Entries of a chain that the choice of key bits looks at, at most.
constexpr std::size_t max_sample = 128;

unsigned popcount(uint64_t x) { return unsigned(__builtin_popcountll(x)); }
unsigned lowest_bit(uint64_t x) { return unsigned(__builtin_ctzll(x)); }

// Runs of adjacent set bits in x.
unsigned run_count(uint64_t x) { return popcount(x & ~(x << 1)); }

// For each of the 64 bit positions, how many of the added words (fewer than
// 256) have it set. Binary counters kept in bit planes, so adding a word
// costs a few operations rather than one per set bit.
class bit_counts_t {
public:
  void add(uint64_t x) {
    for (std::size_t i = 0; x; ++i) {
      uint64_t carry = plane_[i] & x;
      plane_[i] ^= x;
      x = carry;
    }
  }
  std::array<uint32_t, 64> counts() const {
    std::array<uint32_t, 64> c{};
    for (std::size_t i = 0; i < plane_.size(); ++i)
      for (uint64_t m = plane_[i]; m; m &= m - 1) c[lowest_bit(m)] += uint32_t(1) << i;
    return c;
  }

private:
  std::array<uint64_t, 8> plane_{};
};
static_assert(max_sample < 256, "sample counts must fit the bit planes");

// The bits to key a chain's buckets by. Candidates are the bits that at
// least three quarters of the entries fix and that take both values among
// them. They are ranked by the mean bucket length that a split on the bit
// alone leaves for a word of a random entry, and taken best first, skipping
// any that would break the limits on fields and copies, up to a key with
// about a quarter as many buckets as entries: short buckets, and an index
// small enough that building it costs a one-word process little.
template <class Entries>
uint64_t choose_key_bits(Entries const& entries, std::size_t max_fields) {
  std::size_t const n = entries.size();
  if (n <= single_bucket_chain) return 0;
  // Counts over an evenly spread sample keep the cost flat in the chain
  // length; the limit on copies is still checked on every entry.
  std::size_t const stride = (n + max_sample - 1) / max_sample;
  std::size_t sampled = 0;
  bit_counts_t fixed_counts, one_counts;
  uint64_t any_fixed = 0;
  for (std::size_t i = 0; i < n; i += stride, ++sampled) {
    fixed_counts.add(entries[i].mask);
    one_counts.add(entries[i].match);
    any_fixed |= entries[i].mask;
  }
  std::array<uint32_t, 64> const fixed = fixed_counts.counts(), ones = one_counts.counts();
  struct candidate_t {
    uint64_t cost;
    unsigned bit;
  };
  std::array<candidate_t, 64> candidates;
  std::size_t count = 0;
  for (uint64_t m = any_fixed; m; m &= m - 1) {
    unsigned b = lowest_bit(m);
    uint64_t const fixing = fixed[b], o = ones[b], z = fixing - o, f = sampled - fixing;
    if (4 * fixing < 3 * sampled || o == 0 || z == 0) continue;
    // The sample size times twice the mean: a word of a fixing entry meets
    // its own side and the free entries, a word of a free entry either side.
    candidates[count++] = {2 * z * (z + f) + 2 * o * (o + f) + f * (sampled + f), b};
  }
  std::sort(candidates.begin(), candidates.begin() + count,
            [](candidate_t const& x, candidate_t const& y) {
              return x.cost != y.cost ? x.cost < y.cost : x.bit < y.bit;
            });

  // Only entries that leave some candidate bit free get copies.
  uint64_t candidate_bits = 0;
  for (std::size_t i = 0; i < count; ++i) candidate_bits |= uint64_t(1) << candidates[i].bit;
  std::vector<uint64_t> loose_masks;
  for (auto const& e : entries)
    if ((e.mask & candidate_bits) != candidate_bits) loose_masks.push_back(e.mask);

  unsigned width = 0;
  while (width < max_key_bits && (std::size_t(4) << width) <= n) ++width;
  uint64_t key = 0;
  for (std::size_t i = 0; i < count && popcount(key) < width; ++i) {
    uint64_t const wider = key | uint64_t(1) << candidates[i].bit;
    if (run_count(wider) > max_fields) continue;
    std::size_t copies = n - loose_masks.size();
    for (uint64_t mask : loose_masks) copies += std::size_t(1) << popcount(wider & ~mask);
    if (copies > max_slots_per_entry * n) continue;
    key = wider;
  }
  return key;
}

}  // namespace

disassembler_t::disassembler_t(isa_parser_i const* isa) { init(isa); }

disassembler_t::disassembler_t(int xlen) {
  enable_all_exts all{static_cast<uint32_t>(xlen)};
  init(&all);
}

disassembler_t::~disassembler_t() { delete_all(); }

void disassembler_t::delete_all() {
  for (auto& chain : chains_) {
    for (disasm_insn_t const* insn : chain) delete insn;
    chain.clear();
  }
}

void disassembler_t::init(isa_parser_i const* isa) {
  // Lookups find nothing until the indexes are built at the end.
  try {
    add_scalar_groups(*this, isa);
    add_vector_groups(*this, isa);
    add_later_groups(*this, isa);
    add_fused_groups(*this, isa);
    add_catch_all_entries(*this, isa);
    // The probe runs back to front; reversed, it meets the entries in the
    // order they were added, so the first added wins.
    for (auto& chain : chains_) std::reverse(chain.begin(), chain.end());
    std::vector<pending_t> scratch;
    std::size_t longest = 0;
    for (auto const& chain : chains_) longest = std::max(longest, chain.size());
    scratch.reserve(longest);
    for (unsigned long n = 0; n < chain_count; ++n) build_index(n, scratch);
  } catch (...) {
    // The destructor does not run for a constructor that throws.
    delete_all();
    throw;
  }
  indexed_ = true;
}

void disassembler_t::build_index(unsigned long n, std::vector<pending_t>& live) {
  // The entries in probe order, less those whose match has bits outside
  // their mask: no word matches them.
  live.clear();
  for (auto it = chains_[n].rbegin(); it != chains_[n].rend(); ++it)
    if (((*it)->match & ~(*it)->mask) == 0) live.push_back({*it, (*it)->mask, (*it)->match, 0, 0});

  chain_index_t index;
  if (!live.empty()) {
    uint64_t key_bits = choose_key_bits(live, max_key_fields);
    // Each run of adjacent key bits becomes one field, packed upwards from
    // key bit 0.
    unsigned position = 0;
    for (std::size_t field = 0; key_bits; ++field) {
      unsigned low = lowest_bit(key_bits);
      unsigned length = lowest_bit(~(key_bits >> low));
      index.shift[field] = uint8_t(low - position);
      index.mask[field] = uint16_t(((1u << length) - 1) << position);
      position += length;
      key_bits &= ~(((uint64_t(1) << length) - 1) << low);
    }
    uint32_t const buckets = uint32_t(1) << position;
    uint64_t last_mask = ~live[0].mask;
    uint32_t free = 0;
    for (pending_t& p : live) {
      index.high_masks |= (p.mask >> 32) != 0;
      if (p.mask != last_mask) {  // runs of one mask are common
        last_mask = p.mask;
        free = uint32_t((buckets - 1) & ~index.key(last_mask));
      }
      p.value = uint32_t(index.key(p.match));
      p.free = free;
    }

    // Calls f with every key a word matching the entry can have: its fixed
    // key bits as in its match, the free ones in every combination.
    auto for_each_key = [](pending_t const& p, auto&& f) {
      for (uint32_t sub = p.free;; sub = (sub - 1) & p.free) {
        f(p.value | sub);
        if (sub == 0) break;
      }
    };
    // Counting sort: sizes, then bucket ends (the last one also the total),
    // then filled from the back while the ends move down to the starts.
    uint32_t* start = new uint32_t[buckets + 1]();
    index.start.reset(start);
    for (pending_t const& p : live) for_each_key(p, [&](uint32_t k) { ++start[k]; });
    for (std::size_t b = 1; b <= buckets; ++b) start[b] += start[b - 1];
    slot_t* slots = new slot_t[start[buckets]];
    index.slots.reset(slots);
    for (auto it = live.rbegin(); it != live.rend(); ++it) {
      slot_t const slot = {uint32_t(it->mask), uint32_t(it->match), it->insn};
      for_each_key(*it, [&](uint32_t k) { slots[--start[k]] = slot; });
    }
  }
  index_[n] = std::move(index);
}

std::size_t disassembler_t::index_bytes() const {
  std::size_t bytes = sizeof index_;
  for (chain_index_t const& index : index_)
    if (index.start) {
      uint32_t const buckets = index.buckets();
      bytes += (buckets + 1) * sizeof(uint32_t) + index.start[buckets] * sizeof(slot_t);
    }
  return bytes;
}

unsigned long disassembler_t::chain_of(uint64_t mask, uint64_t match) {
  if ((mask & opcode_mask) == opcode_mask) return match & opcode_mask;
  if ((mask & compressed_mask) == compressed_mask) return (match & compressed_mask) % 255;
  return other_chain;
}

void disassembler_t::add_insn(disasm_insn_t* insn) {
  std::unique_ptr<disasm_insn_t> owned(insn);  // freed if the chain cannot grow
  unsigned long n = chain_of(insn->mask, insn->match);
  chains_[n].push_back(insn);
  if (indexed_) {
    try {
      std::vector<pending_t> scratch;
      build_index(n, scratch);
    } catch (...) {
      // Chain and index must agree: the entry goes as if never added.
      chains_[n].pop_back();
      throw;
    }
  }
  owned.release();
}

inline disasm_insn_t const* disassembler_t::probe(unsigned long chain, uint64_t word) const {
  chain_index_t const& index = index_[chain];
  uint32_t const* start = index.start.get();
  if (!start) return nullptr;
  uint32_t const low = uint32_t(word);
  uint64_t const k = index.key(word);
  slot_t const* s = index.slots.get() + start[k];
  slot_t const* const end = index.slots.get() + start[k + 1];
  for (; s != end; ++s)
    if ((low & s->mask) == s->match && (!index.high_masks || s->insn->matches(word)))
      return s->insn;
  return nullptr;
}

disasm_insn_t const* disassembler_t::probe_once(insn_t const& insn, unsigned long chain) const {
  return chain < chain_count ? probe(chain, insn.bits()) : nullptr;
}

disasm_insn_t const* disassembler_t::lookup(insn_t const& insn) const {
  uint64_t word = insn.bits();
  if (auto found = probe(word & opcode_mask, word)) return found;
  if (auto found = probe((word & compressed_mask) % 255, word)) return found;
  return probe(other_chain, word);
}

std::string disassembler_t::disassemble(unsigned long word) const {
  insn_t insn(word);
  disasm_insn_t const* found = lookup(insn);
  return found ? found->to_string(insn) : std::string("unknown");
}

std::string disassembler_t::get_name(unsigned long word) const {
  std::string text = disassemble(word);
  return text.substr(0, text.find(' '));
}
