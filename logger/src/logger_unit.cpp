#include "logger/logger_unit.h"

logger_unit_t::logger_unit_t(const std::string& name, logger_unit_t* parent)
    : name(name), path((parent ? parent->path : std::string()) + "/" + name), parent(parent) {
  if (parent != nullptr) {
    parent->children.push_back(this);
    set_logger(parent->logger);
  }
}

logger_unit_t::~logger_unit_t() {
  if (parent != nullptr)
    parent->children.remove(this);
  else if (logger != nullptr)
    logger->units.remove(this);
  // Orphaned children become root units of their logger so they keep being recached.
  for (logger_unit_t* child : children) {
    child->parent = nullptr;
    if (child->logger != nullptr) child->logger->units.push_back(child);
  }
}

void logger_unit_t::set_logger(zarn_logger_t* l) {
  // A root unit is registered with one logger at most, so a destroyed or moved
  // unit never lingers in another logger's list.
  if (parent == nullptr && logger != nullptr) logger->units.remove(this);
  logger = l;
  level = l != nullptr ? l->patterns.get_unit_log_level(path) : zarn_logger_t::LOG_NEVER;
  if (parent == nullptr && l != nullptr) l->units.push_back(this);
  for (logger_unit_t* child : children) child->set_logger(l);
}

void logger_unit_t::recache_log_level() {
  level = logger != nullptr ? logger->patterns.get_unit_log_level(path) : zarn_logger_t::LOG_NEVER;
  for (logger_unit_t* child : children) child->recache_log_level();
}
