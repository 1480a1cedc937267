#pragma once
// State kept per Nexus source, only for the sources that have appeared. A SRC
// field may be 27 bits wide: a table with room for every possible source
// would take gigabytes for a file that names two of them.
//
//   nexus_source_table_t<walk_state_t> sources;
//   sources[src].pc = ...;  // made, all zero, on the first use of src
#include <cstddef>
#include <cstdint>
#include <unordered_map>

template <class State>
class nexus_source_table_t {
public:
  nexus_source_table_t() = default;
  // The cached pointer would point into the other table.
  nexus_source_table_t(const nexus_source_table_t&) = delete;
  nexus_source_table_t& operator=(const nexus_source_table_t&) = delete;

  // The state of src, value-initialised on its first use. Messages mostly
  // follow one another from the same source, so the last one is kept at
  // hand; the map's nodes never move, so the pointer stays good.
  State& operator[](uint32_t src) {
    return last_ != nullptr && src == last_src_ ? *last_ : look_up(src);
  }

  // Null for a source that has not appeared.
  const State* find(uint32_t src) const {
    const auto it = states_.find(src);
    return it == states_.end() ? nullptr : &it->second;
  }

  // How many sources have a state.
  std::size_t size() const { return states_.size(); }

private:
  // Out of line: the map's code would crowd the callers' loops.
  __attribute__((noinline)) State& look_up(uint32_t src) {
    last_ = &states_[src];
    last_src_ = src;
    return *last_;
  }

  std::unordered_map<uint32_t, State> states_;
  uint32_t last_src_ = 0;
  State* last_ = nullptr;
};
