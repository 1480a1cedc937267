// The system-on-chip configuration file that quendle and quendle_diff read:
// loading it, and reading its values with the file and key named in every
// error.
#pragma once

#include <string>

#include "etrace/stream/et_stream_geometry.h"
#include "xcfg/ConfigNode.h"

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

// How a program reads POISON_ENABLE: quendle as a number (on when not 0),
// quendle_diff as a switch (config_switch).
enum class poison_enable_syntax_t { number, switch_text };

// The stream geometry of the "swt" node: XLEN, FLEN, PADDR_WIDTH,
// IRF_DATA_WIDTH, CL_WIDTH and CL_CHUNKS, read in this order, then
// POISON_ENABLE. A field width outside 1 to 64 (XLEN and FLEN are held as
// int) is refused here, naming the file, before POISON_ENABLE is read; the
// cache-line checks are the stream reader's (et_stream_geometry_t::check).
et_stream_geometry_t read_stream_geometry(const ConfigNodeClass& swt,
                                          const std::string& config_path,
                                          poison_enable_syntax_t poison_enable);
