#pragma once
// The configuration as the programs read it once loaded: merged into a root
// node, then the "swt" widths and a switch. Expansion stays off in the fuzz
// targets: it is the shell's, command substitution included.
#include <memory>
#include <stdexcept>

#include "fuzz_support.h"
#include "soc_config.h"
#include "xcfg/ConfigNode.h"

namespace fuzz {

inline void read_like_the_programs(const ConfigNodeClass::NodePtr& file_node) {
  auto root = std::make_shared<ConfigNodeClass>("soc");
  root->append(file_node, true);
  std::string text = root->toString();
  try {
    const ConfigNodeClass::NodePtr swt = config_node(*root, "swt", "fuzz.xml");
    // Both programs' readings of POISON_ENABLE.
    read_stream_geometry(*swt, "fuzz.xml", poison_enable_syntax_t::number);
    read_stream_geometry(*swt, "fuzz.xml", poison_enable_syntax_t::switch_text);
  } catch (const std::runtime_error& e) {
    if (*e.what() == '\0') fail("an error without a message");
  }
}

}  // namespace fuzz
