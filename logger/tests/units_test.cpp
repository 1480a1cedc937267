// Level patterns, the unit hierarchy, the CRC-32 hash and back-trace demangling.

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "logger/backtrace_demangle.h"
#include "logger/logger_unit.h"
#include "logger/str_hash.h"
#include "logger/zarn_logger.h"

namespace {

using level_t = zarn_logger_t::log_level_t;

TEST(StrHash, StandardCrc32) {
  EXPECT_EQ(str_hash_runtime(""), 0u);
  EXPECT_EQ(str_hash_runtime("123456789"), 0xCBF43926u);  // the CRC-32 check value
  EXPECT_EQ(str_hash_runtime("INFO"), str_hash("INFO"));
  EXPECT_EQ(zarn_logger_t::log_level_from_str("info"), zarn_logger_t::LOG_INFO);
  static_assert(str_hash("123456789") == 0xCBF43926u, "usable at build time");
}

struct pattern_case_t {
  const char* spec;
  level_t default_level;  // after the spec
  size_t entries;
};

TEST(Patterns, AddSetsDefaultOrAppends) {
  const pattern_case_t cases[] = {
      {"DEBUG", zarn_logger_t::LOG_DEBUG, 0},      {":DEBUG", zarn_logger_t::LOG_DEBUG, 0},
      {"2", zarn_logger_t::LOG_WARNING, 0},        {"bogus", zarn_logger_t::LOG_UNKNOWN, 0},
      {"sacc:DEBUG", zarn_logger_t::LOG_NEVER, 1}, {"a:b:INFO", zarn_logger_t::LOG_NEVER, 1},
  };
  for (const pattern_case_t& c : cases) {
    zarn_logger_t::log_patterns_t patterns;
    patterns.add_log_pattern(c.spec);
    EXPECT_EQ(patterns.default_level, c.default_level) << c.spec;
    EXPECT_EQ(patterns.entries.size(), c.entries) << c.spec;
  }
}

TEST(Patterns, LevelOfAPath) {
  zarn_logger_t::log_patterns_t patterns;
  patterns.add_log_pattern("sacc:DEBUG");
  EXPECT_EQ(patterns.get_unit_log_level("/sacc"), zarn_logger_t::LOG_DEBUG);
  EXPECT_EQ(patterns.get_unit_log_level("/top/xsaccx/z"), zarn_logger_t::LOG_DEBUG);
  EXPECT_EQ(patterns.get_unit_log_level("/other"), zarn_logger_t::LOG_NEVER);

  zarn_logger_t::log_patterns_t odd;
  odd.add_log_pattern("a:b:INFO");  // the level text is b:INFO: unknown
  EXPECT_EQ(odd.get_unit_log_level("/a"), zarn_logger_t::LOG_UNKNOWN);
}

TEST(Patterns, FirstMatchInOrderWins) {
  zarn_logger_t::log_patterns_t patterns;
  patterns.add_log_pattern("x:2");
  patterns.add_log_pattern("sacc:DEBUG");
  patterns.add_log_pattern("INFO");
  EXPECT_EQ(patterns.get_unit_log_level("/sacc/x"), zarn_logger_t::LOG_WARNING);
  EXPECT_EQ(patterns.get_unit_log_level("/sacc"), zarn_logger_t::LOG_DEBUG);
  EXPECT_EQ(patterns.get_unit_log_level("/y"), zarn_logger_t::LOG_INFO);
}

TEST(Patterns, AnchoredPattern) {
  zarn_logger_t::log_patterns_t patterns;
  patterns.add_log_pattern("^/sacc$:DEBUG");
  EXPECT_EQ(patterns.get_unit_log_level("/sacc"), zarn_logger_t::LOG_DEBUG);
  EXPECT_EQ(patterns.get_unit_log_level("/sacc/child"), zarn_logger_t::LOG_NEVER);
}

TEST(Patterns, BadExpressionChangesNothing) {
  zarn_logger_t::log_patterns_t patterns;
  patterns.add_log_pattern("INFO");
  EXPECT_THROW(patterns.add_log_pattern("(unclosed:DEBUG"), std::regex_error);
  EXPECT_TRUE(patterns.entries.empty());
  EXPECT_EQ(patterns.default_level, zarn_logger_t::LOG_INFO);
}

TEST(Units, PathsAndChildren) {
  logger_unit_t root("sacc");
  logger_unit_t child("elf", &root);
  logger_unit_t grandchild("seg", &child);
  EXPECT_EQ(root.path, "/sacc");
  EXPECT_EQ(grandchild.path, "/sacc/elf/seg");
  EXPECT_EQ(root.children, std::list<logger_unit_t*>{&child});
  EXPECT_EQ(grandchild.parent, &child);
  EXPECT_EQ(root.logger, nullptr);
  EXPECT_EQ(grandchild.level, zarn_logger_t::LOG_NEVER);
}

// A logger with patterns that give each level of a three-unit tree a different level.
class UnitTree : public ::testing::Test {
protected:
  zarn_logger_t logger{"test"};
  logger_unit_t root{"sacc"};
  logger_unit_t child{"elf", &root};
  logger_unit_t grandchild{"seg", &child};

  void SetUp() override {
    logger.patterns.add_log_pattern("seg:ERROR");
    logger.patterns.add_log_pattern("^/sacc$:DEBUG");
    logger.patterns.add_log_pattern("WARNING");
  }
};

TEST_F(UnitTree, SetLoggerReachesEveryDescendant) {
  root.set_logger(&logger);
  EXPECT_EQ(logger.units, std::list<logger_unit_t*>{&root});
  for (logger_unit_t* unit : {&root, &child, &grandchild}) EXPECT_EQ(unit->logger, &logger);
  EXPECT_EQ(root.level, zarn_logger_t::LOG_DEBUG);
  EXPECT_EQ(child.level, zarn_logger_t::LOG_WARNING);
  EXPECT_EQ(grandchild.level, zarn_logger_t::LOG_ERROR);

  // A unit made under an attached parent is attached at once, not registered itself.
  logger_unit_t late("late", &root);
  EXPECT_EQ(late.logger, &logger);
  EXPECT_EQ(late.level, zarn_logger_t::LOG_WARNING);
  EXPECT_EQ(logger.units.size(), 1u);
}

TEST_F(UnitTree, DetachWholeTree) {
  root.set_logger(&logger);
  root.set_logger(nullptr);
  EXPECT_TRUE(logger.units.empty());
  for (logger_unit_t* unit : {&root, &child, &grandchild}) {
    EXPECT_EQ(unit->logger, nullptr);
    EXPECT_EQ(unit->level, zarn_logger_t::LOG_NEVER);
  }
}

TEST_F(UnitTree, RecacheAfterDefaultChange) {
  root.set_logger(&logger);
  logger.patterns.default_level = zarn_logger_t::LOG_INFO;
  EXPECT_EQ(child.level, zarn_logger_t::LOG_WARNING);  // cached until recached
  logger.auto_recache_log_levels();
  EXPECT_EQ(child.level, zarn_logger_t::LOG_INFO);
  EXPECT_EQ(root.level, zarn_logger_t::LOG_DEBUG);
}

TEST_F(UnitTree, SetLoggerTwiceRegistersOnce) {
  root.set_logger(&logger);
  root.set_logger(&logger);
  EXPECT_EQ(logger.units.size(), 1u);
  zarn_logger_t other("other");
  root.set_logger(&other);
  EXPECT_TRUE(logger.units.empty());
  EXPECT_EQ(other.units, std::list<logger_unit_t*>{&root});
}

TEST_F(UnitTree, DestroyedUnitsLeaveNoTrace) {
  root.set_logger(&logger);
  {
    logger_unit_t temporary_root("tmp");
    temporary_root.set_logger(&logger);
    logger_unit_t temporary_child("tmpchild", &child);
    EXPECT_EQ(logger.units.size(), 2u);
    EXPECT_EQ(child.children.size(), 2u);
  }
  EXPECT_EQ(logger.units, std::list<logger_unit_t*>{&root});
  EXPECT_EQ(child.children, std::list<logger_unit_t*>{&grandchild});
  logger.auto_recache_log_levels();  // would touch freed memory under ASan otherwise
  root.set_logger(&logger);
}

TEST(UnitLifetime, ChildrenOfADestroyedParentStayRecached) {
  zarn_logger_t logger("test");
  logger.patterns.default_level = zarn_logger_t::LOG_INFO;
  auto parent = std::make_unique<logger_unit_t>("p");
  logger_unit_t child("c", parent.get());
  parent->set_logger(&logger);
  parent.reset();
  EXPECT_EQ(child.parent, nullptr);
  EXPECT_EQ(logger.units, std::list<logger_unit_t*>{&child});
  logger.patterns.default_level = zarn_logger_t::LOG_DEBUG;
  logger.auto_recache_log_levels();
  EXPECT_EQ(child.level, zarn_logger_t::LOG_DEBUG);
}

TEST(UnitLifetime, LoggerDestroyedFirstDetachesUnits) {
  logger_unit_t unit("u");
  logger_unit_t child("c", &unit);
  {
    zarn_logger_t logger("short-lived");
    logger.patterns.default_level = zarn_logger_t::LOG_DEBUG;
    unit.set_logger(&logger);
  }
  EXPECT_EQ(unit.logger, nullptr);
  EXPECT_EQ(child.logger, nullptr);
  EXPECT_EQ(child.level, zarn_logger_t::LOG_NEVER);
}

// How an owner logs: test the cached level, pass the path or the name.
TEST(UnitLogging, PathOrNameAsUnitText) {
  zarn_logger_t logger("test");
  logger.print_name = false;
  std::ostringstream out;
  logger.out = &out;
  logger.patterns.add_log_pattern("sacc:DEBUG");
  logger_unit_t unit("sacc");
  logger_unit_t child("elf", &unit);
  unit.set_logger(&logger);
  for (bool print_path : {true, false}) {
    logger.print_unit_path = print_path;
    if (child.level > zarn_logger_t::LOG_DEBUG - 1)
      logger.log(zarn_logger_t::LOG_DEBUG, (print_path ? child.path : child.name).c_str(),
                 "Segment");
  }
  EXPECT_EQ(out.str(), "[DEBUG]</sacc/elf> Segment\n[DEBUG]<elf> Segment\n");
}

struct demangle_case_t {
  const char* line;
  const char* result;
};

TEST(Demangle, BacktraceLines) {
  const demangle_case_t cases[] = {
      {"./prog(_ZN3foo3barEv+0x1a) [0x4005d6]", "foo::bar() +0x1a [0x4005d6]"},
      {"./prog(main+0x10) [0x400500]", "main +0x10 [0x400500]"},
      {"./prog(+0x10) [0x400500]", " +0x10 [0x400500]"},
      {"./prog(_Zbogus+0x4) tail", "_Zbogus +0x4 tail"},
      {"no parentheses at all", "no parentheses at all"},
      {"./prog(main) [0x1]", "./prog(main) [0x1]"},
      {"a+b(c) x", "a+b(c) x"},
      {"./prog(main+0x10", "./prog(main+0x10"},
      {"", ""},
  };
  for (const demangle_case_t& c : cases) {
    std::vector<char> buffer(c.line, c.line + std::string(c.line).size() + 1);
    EXPECT_EQ(demangleBacktraceSymbol(buffer.data()), c.result) << c.line;
  }
}

}  // namespace
