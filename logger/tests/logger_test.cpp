// Levels, line headers and the process-wide logger.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "logger/zarn_logger.h"

namespace {

using level_t = zarn_logger_t::log_level_t;

struct level_case_t {
  const char* text;
  level_t level;
};

TEST(LogLevel, FromText) {
  const level_case_t cases[] = {
      {"debug", zarn_logger_t::LOG_DEBUG},
      {"Debug", zarn_logger_t::LOG_DEBUG},
      {"DEBUG", zarn_logger_t::LOG_DEBUG},
      {"info", zarn_logger_t::LOG_INFO},
      {"never", zarn_logger_t::LOG_NEVER},
      {"Error", zarn_logger_t::LOG_ERROR},
      {"warning", zarn_logger_t::LOG_WARNING},
      {"StackTrace", zarn_logger_t::LOG_STACKTRACE},
      {"3", zarn_logger_t::LOG_INFO},
      {"3abc", zarn_logger_t::LOG_INFO},
      {"0", zarn_logger_t::LOG_NEVER},
      {"6", zarn_logger_t::LOG_UNKNOWN},
      {"7", zarn_logger_t::LOG_UNKNOWN},
      {"42", zarn_logger_t::LOG_UNKNOWN},
      {"12345678901234567890", zarn_logger_t::LOG_UNKNOWN},
      {"UNKNOWN", zarn_logger_t::LOG_UNKNOWN},
      {" INFO", zarn_logger_t::LOG_UNKNOWN},
      {"INFO ", zarn_logger_t::LOG_UNKNOWN},
      {"", zarn_logger_t::LOG_UNKNOWN},
      {"b:INFO", zarn_logger_t::LOG_UNKNOWN},
  };
  for (const level_case_t& c : cases)
    EXPECT_EQ(zarn_logger_t::log_level_from_str(c.text), c.level) << "text '" << c.text << "'";
}

TEST(LogLevel, ToText) {
  const char* const texts[] = {"NEVER",      "ERROR", "WARNING", "INFO",
                               "STACKTRACE", "DEBUG", "UNKNOWN"};
  for (int level = 0; level <= 6; ++level)
    EXPECT_STREQ(zarn_logger_t::log_level_to_str(static_cast<level_t>(level)), texts[level]);
  EXPECT_STREQ(zarn_logger_t::log_level_to_str(static_cast<level_t>(-1)), "UNKNOWN");
  EXPECT_STREQ(zarn_logger_t::log_level_to_str(static_cast<level_t>(99)), "UNKNOWN");
}

TEST(LoggerDefaults, AsConstructed) {
  zarn_logger_t logger("root");
  EXPECT_EQ(logger.name, "root");
  EXPECT_EQ(logger.out, nullptr);
  EXPECT_TRUE(logger.print_name);
  EXPECT_TRUE(logger.print_level);
  EXPECT_TRUE(logger.print_unit_path);
  EXPECT_FALSE(logger.print_time);
  EXPECT_EQ(logger.patterns.default_level, zarn_logger_t::LOG_NEVER);
  EXPECT_TRUE(logger.patterns.entries.empty());
  EXPECT_TRUE(logger.units.empty());
}

struct header_case_t {
  bool print_name;
  bool print_level;
  const char* header;
};

TEST(LineHeader, NameAndLevelSwitches) {
  const header_case_t cases[] = {
      {true, true, "[root : INFO]<TDT>"},
      {true, false, "[root]<TDT>"},
      {false, true, "[INFO]<TDT>"},
      {false, false, "<TDT>"},
  };
  zarn_logger_t logger("root");
  for (const header_case_t& c : cases) {
    logger.print_name = c.print_name;
    logger.print_level = c.print_level;
    EXPECT_EQ(logger.create_line_header(zarn_logger_t::LOG_INFO, "TDT"), c.header);
  }
}

TEST(LineHeader, TimeStampHasThreeDigitMilliseconds) {
  zarn_logger_t logger("root");
  logger.print_name = false;
  logger.print_level = false;
  logger.print_time = true;
  const std::regex stamp(R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3}\]<u>)");
  // Several calls, so that milliseconds below 100 (which need padding) are likely met.
  for (int i = 0; i < 50; ++i) {
    const std::string header = logger.create_line_header(zarn_logger_t::LOG_DEBUG, "u");
    ASSERT_TRUE(std::regex_match(header, stamp)) << header;
  }
  logger.print_level = true;
  EXPECT_TRUE(std::regex_match(logger.create_line_header(zarn_logger_t::LOG_DEBUG, "u"),
                               std::regex(R"(\[DEBUG\]\[[^\]]+\.\d{3}\]<u>)")));
}

TEST(Log, WritesHeaderBlankMessageNewline) {
  zarn_logger_t logger("root");
  logger.print_name = false;
  std::ostringstream out;
  logger.out = &out;
  logger.log(zarn_logger_t::LOG_INFO, "TDT", "Traces are equal.");
  logger.log(zarn_logger_t::LOG_ERROR, "/a/b", "two\nlines");
  EXPECT_EQ(out.str(), "[INFO]<TDT> Traces are equal.\n[ERROR]</a/b> two\nlines\n");
}

TEST(Log, NullStreamWritesNothing) {
  zarn_logger_t logger("root");
  logger.print_time = true;
  logger.log(zarn_logger_t::LOG_INFO, "TDT", "lost");  // must not crash
  std::ostringstream out;
  logger.out = &out;
  logger.out = nullptr;
  logger.log(zarn_logger_t::LOG_INFO, "TDT", "lost");
  EXPECT_TRUE(out.str().empty());
}

TEST(StaticLogger, OneSharedRootLogger) {
  zarn_logger_t* first = zarn_static_logger_t::get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(zarn_static_logger_t::get(), first);
  EXPECT_EQ(first->name, "root");
  EXPECT_FALSE(first->print_name);
  EXPECT_TRUE(first->print_level);

  std::ostringstream out;
  first->patterns.default_level = zarn_logger_t::LOG_INFO;
  first->out = &out;
  zarn_static_logger_t::get()->log(zarn_logger_t::LOG_INFO, "DecodeChunk", "word");
  EXPECT_EQ(zarn_static_logger_t::get()->patterns.default_level, zarn_logger_t::LOG_INFO);
  EXPECT_EQ(out.str(), "[INFO]<DecodeChunk> word\n");
  first->out = nullptr;
}

}  // namespace
