#include "soc_config.h"

#include <cctype>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

std::string where(const std::string& config_path, const std::string& key) {
  return "configuration file '" + config_path + "': swt." + key;
}

}  // namespace

ConfigNodeClass::NodePtr load_soc_config(const std::string& path) {
  auto root = std::make_shared<ConfigNodeClass>("soc");
  auto file_node = std::make_shared<ConfigNodeClass>("soc");
  std::cout << "Load configuration from '" << path << "'" << std::endl;
  if (!file_node->load(path, true)) {
    std::cerr << "Unable to load SoC configuration file '" << path << "'" << std::endl;
    return nullptr;
  }
  root->append(file_node, true);
  return root;
}

ConfigNodeClass::NodePtr config_node(const ConfigNodeClass& root, const std::string& node_path,
                                     const std::string& config_path) {
  if (!root.hasNode(node_path))
    throw std::runtime_error("configuration file '" + config_path + "': node '" + node_path +
                             "' is missing");
  return root.getNode(node_path);
}

std::string config_text(const ConfigNodeClass& node, const std::string& node_path,
                        const std::string& key, const std::string& config_path) {
  if (!node.hasNode(key))
    throw std::runtime_error("configuration file '" + config_path + "': " + node_path + "." + key +
                             " is missing");
  return node.getNodeValue<std::string>(key);
}

unsigned long config_number(const ConfigNodeClass& swt, const std::string& key,
                            const std::string& config_path) {
  if (!swt.hasNode(key)) throw std::runtime_error(where(config_path, key) + " is missing");
  try {
    return swt.getNodeValue<unsigned long>(key);
  } catch (const std::invalid_argument&) {
    throw std::runtime_error(where(config_path, key) + " is not a number: '" +
                             swt.getNodeValue<std::string>(key) + "'");
  } catch (const std::out_of_range&) {
    throw std::runtime_error(where(config_path, key) + " is out of range: '" +
                             swt.getNodeValue<std::string>(key) + "'");
  }
}

bool config_switch(const ConfigNodeClass& swt, const std::string& key,
                   const std::string& config_path) {
  const std::string text = config_text(swt, "swt", key, config_path);
  std::size_t first = 0;
  while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  if (text.compare(first, 4, "true") == 0) return true;
  std::size_t last = text.size();
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  if (text.compare(first, last - first, "false") == 0) return false;
  try {
    return config_number(swt, key, config_path) != 0;
  } catch (const std::runtime_error&) {
    throw std::runtime_error(where(config_path, key) + " is neither true, false nor a number: '" +
                             text + "'");
  }
}

et_stream_geometry_t read_stream_geometry(const ConfigNodeClass& swt,
                                          const std::string& config_path,
                                          poison_enable_syntax_t poison_enable) {
  const unsigned long xlen = config_number(swt, "XLEN", config_path);
  const unsigned long flen = config_number(swt, "FLEN", config_path);
  et_stream_geometry_t g;
  g.paddr_width = config_number(swt, "PADDR_WIDTH", config_path);
  g.irf_data_width = config_number(swt, "IRF_DATA_WIDTH", config_path);
  g.cl_width = config_number(swt, "CL_WIDTH", config_path);
  g.cl_chunks = config_number(swt, "CL_CHUNKS", config_path);
  const std::pair<const char*, unsigned long> widths[] = {{"XLEN", xlen},
                                                          {"FLEN", flen},
                                                          {"PADDR_WIDTH", g.paddr_width},
                                                          {"IRF_DATA_WIDTH", g.irf_data_width}};
  for (auto [key, value] : widths)
    if (value < 1 || value > 64)
      throw std::runtime_error(where(config_path, key) + " must be 1 to 64, not " +
                               std::to_string(value));
  g.xlen = int(xlen);
  g.flen = int(flen);
  g.poison_enable = poison_enable == poison_enable_syntax_t::number
                        ? config_number(swt, "POISON_ENABLE", config_path) != 0
                        : config_switch(swt, "POISON_ENABLE", config_path);
  return g;
}
