#pragma once
// The logger: writes one line per message (header, blank, message) to an
// output stream, and holds the level patterns that pick a level per unit.

#include <list>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

class logger_unit_t;

class zarn_logger_t {
public:
  // Higher value, more detail; LOG_UNKNOWN is what an unrecognised level text gives.
  // A fixed underlying type: any int read in is a valid value (printed "UNKNOWN").
  enum log_level_t : int {
    LOG_NEVER = 0,
    LOG_ERROR = 1,
    LOG_WARNING = 2,
    LOG_INFO = 3,
    LOG_STACKTRACE = 4,
    LOG_DEBUG = 5,
    LOG_UNKNOWN = 6,
  };

  // The default level and the ordered (regex, level) list; the first pattern
  // found anywhere in a unit path decides that unit's level.
  struct log_patterns_t {
    log_level_t default_level = LOG_NEVER;
    std::vector<std::pair<std::regex, log_level_t>> entries;

    // "regex:LEVEL" appends a pattern; "LEVEL" or ":LEVEL" sets the default level.
    void add_log_pattern(const std::string& spec);
    log_level_t get_unit_log_level(std::string path) const;
  };

  std::string name;
  std::ostream* out = nullptr;  // not owned; null keeps the logger silent
  bool print_name = true;
  bool print_level = true;
  bool print_unit_path = true;  // read by unit owners: pass the unit's path, else its name
  bool print_time = false;
  log_patterns_t patterns;
  std::list<logger_unit_t*> units;  // root units attached to this logger; not owned

  explicit zarn_logger_t(const std::string& name);
  // Units still attached are detached, so none keeps a pointer to a dead logger.
  ~zarn_logger_t();
  zarn_logger_t(const zarn_logger_t&) = delete;
  zarn_logger_t& operator=(const zarn_logger_t&) = delete;

  static const char* log_level_to_str(log_level_t level);
  static log_level_t log_level_from_str(const std::string& text);

  std::string create_line_header(log_level_t level, const char* unit) const;
  // Does not test the level: callers test it before building the message.
  void log(log_level_t level, const char* unit, const char* message) const;

  // Recomputes the cached level of every attached unit (after changing patterns).
  void auto_recache_log_levels();

private:
  void write_line_header(std::ostream& os, log_level_t level, const char* unit) const;
};

// Holder of the process-wide logger "root", made on the first get() and never freed.
class zarn_static_logger_t {
public:
  static zarn_logger_t* get();

private:
  static zarn_logger_t* logger_;
};
