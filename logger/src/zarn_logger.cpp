#include "logger/zarn_logger.h"

#include <sys/time.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "logger/logger_unit.h"
#include "logger/str_hash.h"

namespace {

const char* const level_texts[] = {"NEVER", "ERROR", "WARNING", "INFO", "STACKTRACE", "DEBUG"};

struct level_hash_t {
  uint32_t hash;
  zarn_logger_t::log_level_t level;
};

constexpr level_hash_t level_hashes[] = {
    {str_hash("NEVER"), zarn_logger_t::LOG_NEVER},
    {str_hash("ERROR"), zarn_logger_t::LOG_ERROR},
    {str_hash("WARNING"), zarn_logger_t::LOG_WARNING},
    {str_hash("INFO"), zarn_logger_t::LOG_INFO},
    {str_hash("STACKTRACE"), zarn_logger_t::LOG_STACKTRACE},
    {str_hash("DEBUG"), zarn_logger_t::LOG_DEBUG},
};

}  // namespace

zarn_logger_t::zarn_logger_t(const std::string& name) : name(name) {}

zarn_logger_t::~zarn_logger_t() {
  std::list<logger_unit_t*> attached;
  attached.swap(units);
  for (logger_unit_t* unit : attached) unit->set_logger(nullptr);
}

const char* zarn_logger_t::log_level_to_str(log_level_t level) {
  if (level >= LOG_NEVER && level <= LOG_DEBUG) return level_texts[level];
  return "UNKNOWN";
}

zarn_logger_t::log_level_t zarn_logger_t::log_level_from_str(const std::string& text) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
    // The leading decimal number; anything above 6 (however long) means UNKNOWN.
    unsigned long number = 0;
    for (char ch : text) {
      if (!std::isdigit(static_cast<unsigned char>(ch))) break;
      number = number * 10 + static_cast<unsigned long>(ch - '0');
      if (number > LOG_UNKNOWN) return LOG_UNKNOWN;
    }
    return static_cast<log_level_t>(number);
  }
  std::string upper(text);
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const uint32_t hash = str_hash_runtime(upper);
  for (const level_hash_t& entry : level_hashes)
    if (entry.hash == hash) return entry.level;
  return LOG_UNKNOWN;
}

void zarn_logger_t::write_line_header(std::ostream& os, log_level_t level, const char* unit) const {
  if (print_name || print_level) {
    os << '[';
    if (print_name) os << name;
    if (print_name && print_level) os << " : ";
    if (print_level) os << log_level_to_str(level);
    os << ']';
  }
  if (print_time) {
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    char stamp[64];
    const size_t len = std::strftime(stamp, sizeof stamp, "%Y/%m/%d %T", &local);
    char millis[32];
    std::snprintf(millis, sizeof millis, ".%03ld", static_cast<long>(now.tv_usec / 1000));
    os << '[';
    os.write(stamp, static_cast<std::streamsize>(len));
    os << millis << ']';
  }
  os << '<' << unit << '>';
}

std::string zarn_logger_t::create_line_header(log_level_t level, const char* unit) const {
  std::ostringstream header;
  write_line_header(header, level, unit);
  return header.str();
}

void zarn_logger_t::log(log_level_t level, const char* unit, const char* message) const {
  if (out == nullptr) return;
  // Straight into the stream: no header string is built per line.
  write_line_header(*out, level, unit);
  *out << ' ' << message << '\n';
  out->flush();
}

void zarn_logger_t::auto_recache_log_levels() {
  for (logger_unit_t* unit : units) unit->recache_log_level();
}

void zarn_logger_t::log_patterns_t::add_log_pattern(const std::string& spec) {
  const size_t colon = spec.find(':');
  const std::string expression = colon == std::string::npos ? std::string() : spec.substr(0, colon);
  const std::string level_text = colon == std::string::npos ? spec : spec.substr(colon + 1);
  const log_level_t level = log_level_from_str(level_text);
  if (expression.empty()) {
    default_level = level;
    return;
  }
  // Compiled before anything changes, so a bad expression leaves the patterns as they were.
  std::regex compiled(expression, std::regex::ECMAScript);
  entries.emplace_back(std::move(compiled), level);
}

zarn_logger_t::log_level_t zarn_logger_t::log_patterns_t::get_unit_log_level(
    std::string path) const {
  for (const auto& entry : entries)
    if (std::regex_search(path, entry.first)) return entry.second;
  return default_level;
}

zarn_logger_t* zarn_static_logger_t::logger_ = nullptr;

zarn_logger_t* zarn_static_logger_t::get() {
  if (logger_ == nullptr) {
    logger_ = new zarn_logger_t("root");
    logger_->print_name = false;
  }
  return logger_;
}
