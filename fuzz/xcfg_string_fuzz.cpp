// The XML configuration loaded from a string. The first line is a node path
// the loaded tree is asked for, the rest is the XML text.
#include <memory>
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "xcfg/ConfigNode.h"
#include "xcfg_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::quiet_streams_t quiet;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  const std::string path = newline == std::string::npos ? std::string() : input.substr(0, newline);
  const std::string text = newline == std::string::npos ? input : input.substr(newline + 1);

  auto node = std::make_shared<ConfigNodeClass>("soc");
  if (!node->loads(text, false)) return 0;
  fuzz::read_like_the_programs(node);
  try {
    if (node->hasNode(path)) node->getNodeValue<std::string>(path);
    if (node->hasAttr(path)) node->getAttrNode(path);
  } catch (const std::runtime_error& e) {
    if (*e.what() == '\0') fuzz::fail("an error without a message");
  }
  return 0;
}
