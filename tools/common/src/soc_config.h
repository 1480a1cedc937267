// The system-on-chip configuration file that quendle and quendle_diff read:
// loading it, and reading its values with the file and key named in every
// error.
#pragma once

#include <string>

#include "ConfigNode.h"

// The widths of the "swt" node, read in this order.
struct soc_widths_t {
  unsigned long xlen, flen, paddr_width, irf_data_width, cl_width, cl_chunks;
};

// Writes "Load configuration from '<path>'" on standard output and loads the
// file, with expansion, into a root node named "soc". Null, after "Unable to
// load SoC configuration file '<path>'" on standard error, when it cannot be
// loaded.
ConfigNodeClass::NodePtr load_soc_config(const std::string& path);

// The child node at `node_path`; throws std::runtime_error naming the file
// when it is missing.
ConfigNodeClass::NodePtr config_node(const ConfigNodeClass& root, const std::string& node_path,
                                     const std::string& config_path);
// A text value of `node` (found at `node_path`).
std::string config_text(const ConfigNodeClass& node, const std::string& node_path,
                        const std::string& key, const std::string& config_path);
// A number of the "swt" node.
unsigned long config_number(const ConfigNodeClass& swt, const std::string& key,
                            const std::string& config_path);
// A switch of the "swt" node: on for a text beginning with "true" or a number
// other than 0, off for "false" (blanks around it allowed) and 0; anything
// else is an error.
bool config_switch(const ConfigNodeClass& swt, const std::string& key,
                   const std::string& config_path);

// XLEN, FLEN, PADDR_WIDTH, IRF_DATA_WIDTH, CL_WIDTH and CL_CHUNKS. The readers
// take XLEN and FLEN as int: a value above 64 is refused here.
soc_widths_t read_soc_widths(const ConfigNodeClass& swt, const std::string& config_path);
