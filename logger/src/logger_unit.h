#pragma once
// A named unit of the logging hierarchy: classes that log derive from it and
// test the cached `level` before building a message.

#include <list>
#include <string>

#include "logger/zarn_logger.h"

class logger_unit_t {
public:
  std::string name;
  std::string path;                 // parent's path, "/" and the name
  zarn_logger_t* logger = nullptr;  // not owned; null while detached
  zarn_logger_t::log_level_t level = zarn_logger_t::LOG_NEVER;
  logger_unit_t* parent = nullptr;     // not owned
  std::list<logger_unit_t*> children;  // in creation order; not owned

  explicit logger_unit_t(const std::string& name, logger_unit_t* parent = nullptr);
  // Unlinks the unit from its parent and its logger, and hands its children
  // to the logger as root units, so that no later recache reaches it.
  ~logger_unit_t();
  logger_unit_t(const logger_unit_t&) = delete;
  logger_unit_t& operator=(const logger_unit_t&) = delete;

  // Attaches this unit and its descendants to l (null detaches them).
  void set_logger(zarn_logger_t* l);
  void recache_log_level();
};
