// The XML configuration loaded from files that include each other: the
// input holds main.xml, a.xml and b.xml, separated by NUL bytes, written to
// one directory; main.xml is loaded.
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "xcfg/ConfigNode.h"
#include "xcfg_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::quiet_streams_t quiet;
  const std::string input(reinterpret_cast<const char*>(data), size);
  // An include names a file relative to its includer; ".." could leave the
  // directory and reach a device such as /dev/stdin, which blocks.
  if (input.find("..") != std::string::npos) return 0;
  const fuzz::scratch_dir_t& dir = fuzz::scratch_dir_t::get();
  const char* const names[] = {"main.xml", "a.xml", "b.xml"};
  size_t start = 0;
  for (const char* name : names) {
    size_t end = input.find('\0', start);
    if (end == std::string::npos) end = input.size();
    dir.write(name, input.data() + start, end - start);
    start = end < input.size() ? end + 1 : end;
  }
  auto node = std::make_shared<ConfigNodeClass>("soc");
  if (node->load(dir.path() + "main.xml", false)) fuzz::read_like_the_programs(node);
  return 0;
}
