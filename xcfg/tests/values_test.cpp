// Typed reads and writes of value texts, and getNodeValue.

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "xcfg/ConfigNode.h"

namespace {

template <typename T>
struct read_case_t {
  const char* text;
  T expected;
};

template <typename T>
void expectReads(const std::vector<read_case_t<T>>& cases) {
  for (const auto& c : cases) {
    const DataNodeClass node("n", c.text);
    EXPECT_EQ(node.getValue<T>(), c.expected) << "text '" << c.text << "'";
  }
}

// Cases that every integer type reads alike.
template <typename T>
void expectCommonIntegerReads() {
  expectReads<T>(
      {{"0x10", 16}, {"0X10", 16}, {"010", 8}, {"10abc", 10}, {"  42", 42}, {"0", 0}, {"+7", 7}});
}

TEST(TypedRead, CommonIntegerForms) {
  expectCommonIntegerReads<unsigned long>();
  expectCommonIntegerReads<long>();
  expectCommonIntegerReads<unsigned int>();
  expectCommonIntegerReads<int>();
  expectCommonIntegerReads<unsigned short>();
  expectCommonIntegerReads<short>();
  expectCommonIntegerReads<unsigned char>();
  expectCommonIntegerReads<signed char>();
}

TEST(TypedRead, WideAndNarrowIntegers) {
  expectReads<unsigned long>({{"-1", std::numeric_limits<unsigned long>::max()},
                              {"18446744073709551615", 18446744073709551615ul},
                              {"0xffffffffffffffff", 18446744073709551615ul}});
  expectReads<long>({{"-9223372036854775808", std::numeric_limits<long>::min()}, {"-0x10", -16}});
  expectReads<int>({{"-2147483648", std::numeric_limits<int>::min()}, {"2147483647", 2147483647}});
  expectReads<unsigned int>({{"-1", 4294967295u}, {"2147483647", 2147483647u}});
  expectReads<unsigned short>({{"70000", 4464}, {"-1", 65535}});
  expectReads<short>({{"40000", -25536}});
  expectReads<unsigned char>({{"300", 44}, {"65", 65}});
  expectReads<signed char>({{"200", -56}, {"-5", -5}});
}

TEST(TypedRead, FloatingPoint) {
  expectReads<double>({{"1.5", 1.5}, {"  -2.25e1x", -22.5}, {"0x10", 16.0}});
  expectReads<float>({{"1.5", 1.5f}, {"3", 3.0f}});
}

TEST(TypedRead, BooleanIsTrueOnlyForLeadingTrue) {
  expectReads<bool>({{"true", true},
                     {"   true", true},
                     {"\ttrue", true},
                     {"trueish", true},
                     {"TRUE", false},
                     {"True", false},
                     {"1", false},
                     {"false", false},
                     {"", false},
                     {"tru", false},
                     {"x true", false}});
}

TEST(TypedRead, StringIsTheTextItself) {
  expectReads<std::string>({{"", ""}, {"  a b ", "  a b "}});
}

struct failure_case_t {
  const char* text;
  std::function<void(const DataNodeClass&)> read;
  bool outOfRange;  // else invalid_argument
  const char* what;
};

TEST(TypedRead, FailuresNameTheConversion) {
  const std::vector<failure_case_t> cases = {
      {"", [](const DataNodeClass& n) { n.getValue<unsigned long>(); }, false, "stoull"},
      {"abc", [](const DataNodeClass& n) { n.getValue<long>(); }, false, "stoll"},
      {"x1", [](const DataNodeClass& n) { n.getValue<float>(); }, false, "stof"},
      {"", [](const DataNodeClass& n) { n.getValue<double>(); }, false, "stod"},
      {"zz", [](const DataNodeClass& n) { n.getValue<int>(); }, false, "stoi"},
      {"-", [](const DataNodeClass& n) { n.getValue<unsigned char>(); }, false, "stoi"},
      {"18446744073709551616", [](const DataNodeClass& n) { n.getValue<unsigned long>(); }, true,
       "stoull"},
      {"9223372036854775808", [](const DataNodeClass& n) { n.getValue<long>(); }, true, "stoll"},
      {"1e999", [](const DataNodeClass& n) { n.getValue<double>(); }, true, "stod"},
      {"1e50", [](const DataNodeClass& n) { n.getValue<float>(); }, true, "stof"},
      {"2147483648", [](const DataNodeClass& n) { n.getValue<int>(); }, true, "stoi"},
      {"4294967295", [](const DataNodeClass& n) { n.getValue<unsigned int>(); }, true, "stoi"},
      {"0xffffffff", [](const DataNodeClass& n) { n.getValue<unsigned int>(); }, true, "stoi"},
      {"3000000000", [](const DataNodeClass& n) { n.getValue<unsigned short>(); }, true, "stoi"},
      {"-2147483649", [](const DataNodeClass& n) { n.getValue<signed char>(); }, true, "stoi"},
  };
  for (const failure_case_t& c : cases) {
    const DataNodeClass node("n", c.text);
    try {
      c.read(node);
      ADD_FAILURE() << "no exception for '" << c.text << "'";
    } catch (const std::out_of_range& e) {
      EXPECT_TRUE(c.outOfRange) << c.text;
      EXPECT_STREQ(e.what(), c.what) << c.text;
    } catch (const std::invalid_argument& e) {
      EXPECT_FALSE(c.outOfRange) << c.text;
      EXPECT_STREQ(e.what(), c.what) << c.text;
    }
    EXPECT_EQ(node.getValue<std::string>(), c.text) << "a read never changes the text";
  }
}

template <typename T>
std::string written(const T& value) {
  DataNodeClass node("n", "old");
  node.setValue<T>(value);
  return node.getValue<std::string>();
}

TEST(TypedWrite, Texts) {
  EXPECT_EQ(written<unsigned long>(18446744073709551615ul), "18446744073709551615");
  EXPECT_EQ(written<long>(-42), "-42");
  EXPECT_EQ(written<unsigned int>(4294967295u), "4294967295");
  EXPECT_EQ(written<int>(-7), "-7");
  EXPECT_EQ(written<short>(-300), "-300");
  EXPECT_EQ(written<unsigned short>(65535), "65535");
  EXPECT_EQ(written<signed char>(-5), "-5");
  EXPECT_EQ(written<unsigned char>(65), "65");
  EXPECT_EQ(written<float>(1.5f), "1.500000");
  EXPECT_EQ(written<double>(1e-7), "0.000000");
  EXPECT_EQ(written<double>(-2.5), "-2.500000");
  EXPECT_EQ(written<bool>(true), "true");
  EXPECT_EQ(written<bool>(false), "false");
  EXPECT_EQ(written<std::string>(""), "");
  EXPECT_EQ(written<std::string>("a b"), "a b");
}

TEST(TypedWrite, ReadBackCanChangeTheText) {
  DataNodeClass node("n", "0x10");
  node.setValue(node.getValue<unsigned long>());
  EXPECT_EQ(node.getValue<std::string>(), "16");
}

TEST(DataNode, NameAndData) {
  DataNodeClass node("a", "1");
  node.setName("b");
  node.setData("2");
  EXPECT_EQ(node.getName(), "b");
  EXPECT_EQ(node.getValue<int>(), 2);
}

TEST(GetNodeValue, ReadsTheNodeTextNeverAnAttribute) {
  auto root = std::make_shared<ConfigNodeClass>("soc");
  auto swt = root->createNode("swt", "");
  swt->createNode("XLEN", "0x40");
  swt->createNode("POISON_ENABLE", "1");
  swt->createNode("ON", " true");
  root->createNodePath("module#id:cpu0")->createNode("isa", "rv64gc");
  root->setAttrValue<std::string>("flag", "true");

  EXPECT_EQ(root->getNodeValue<unsigned long>("swt.XLEN"), 64u);
  EXPECT_EQ(swt->getNodeValue<unsigned long>("XLEN"), 64u);
  EXPECT_FALSE(swt->getNodeValue<bool>("POISON_ENABLE"));
  EXPECT_TRUE(swt->getNodeValue<bool>("ON"));
  EXPECT_EQ(root->getNodeValue<std::string>("module#id:cpu0.isa"), "rv64gc");
  EXPECT_EQ(root->getNodeValue<std::string>("module#id:cpu0"), "");
  EXPECT_FALSE(root->getNodeValue<bool>(""));  // the root's own (empty) text, not its attribute

  try {
    root->getNodeValue<unsigned long>("swt.FLEN");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Node path does not exist: swt.FLEN");
  }
  EXPECT_THROW(root->getNodeValue<unsigned long>("module#id:cpu0.isa"), std::invalid_argument);
}

TEST(GetNodeValue, NeedsSharedOwnership) {
  const ConfigNodeClass loose("soc");
  EXPECT_THROW(loose.getNodeValue<int>(""), std::bad_weak_ptr);
  EXPECT_THROW(loose.getNodeValue<int>("a"), std::bad_weak_ptr);
}

}  // namespace
