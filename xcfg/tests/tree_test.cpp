// Node paths, attribute paths, creation, merge and dump of the configuration tree.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "xcfg/ConfigNode.h"

namespace {

using NodePtr = std::shared_ptr<ConfigNodeClass>;

NodePtr makeNode(const std::string& name, const std::string& value = "") {
  return std::make_shared<ConfigNodeClass>(name, value);
}

std::vector<std::string> childNames(const NodePtr& node) {
  std::vector<std::string> names;
  for (const auto& entry : *node->getChildren()) names.push_back(entry.first);
  return names;
}

// Children a (x=1), a (x=2), b, inserted in that order; b has a child c (x=1)
// and an empty-named child; each node's value names it.
class PathTree : public ::testing::Test {
protected:
  NodePtr root = makeNode("root", "root");
  NodePtr a1, a2, b, c, empty;

  void SetUp() override {
    b = root->createNode("b", "b");
    a1 = root->createNode("a", "a1");
    a1->setAttrValue<std::string>("x", "1");
    a2 = root->createNode("a", "a2");
    a2->setAttrValue<std::string>("x", "2");
    c = b->createNode("c", "c");
    c->setAttrValue<std::string>("x", "1");
    c->setAttrValue<std::string>("k:1", "odd");
    empty = b->createNode("", "empty");
  }
};

struct path_case_t {
  const char* path;
  const char* found;  // value of the node found, null for none
};

TEST_F(PathTree, NodePaths) {
  const path_case_t cases[] = {
      {"a", "a1"},      {"a#x", "a1"},        {"a#x:2", "a2"},     {"a#x:1", "a1"},
      {"a#y", nullptr}, {"a#x:3", nullptr},   {"a#x:", "a1"},      {"b.c", "c"},
      {"b.c#x:1", "c"}, {"b.c#x:2", nullptr}, {"a..b", nullptr},   {".a", nullptr},
      {"a.", "a1"},     {"b.", "b"},          {"b..", "empty"},    {"b.", "b"},
      {"", "root"},     {"zz", nullptr},      {"b.zz.c", nullptr}, {"A", nullptr},
  };
  for (const path_case_t& t : cases) {
    const NodePtr node = root->findNode(t.path);
    EXPECT_EQ(root->hasNode(t.path), t.found != nullptr) << t.path;
    if (t.found == nullptr) {
      EXPECT_EQ(node, nullptr) << t.path;
    } else {
      ASSERT_NE(node, nullptr) << t.path;
      EXPECT_EQ(node->getValue<std::string>(), t.found) << t.path;
    }
  }
  EXPECT_EQ(root->findNode(""), root);
  EXPECT_EQ(childNames(root), (std::vector<std::string>{"a", "a", "b"}));
}

TEST_F(PathTree, GetNodeThrowsWithThePath) {
  EXPECT_EQ(root->getNode("a#x:2"), a2);
  try {
    root->getNode("b.q");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Node path does not exist: b.q");
  }
}

TEST_F(PathTree, SegmentSplitsAtFirstHashThenFirstColon) {
  auto odd = root->createNode("m", "odd");
  odd->setAttrValue<std::string>("id", "a:b#c");
  EXPECT_EQ(root->findNode("m#id:a:b#c"), odd);  // the value holds ":" and "#"
  EXPECT_EQ(root->findChildNode("m", "id", "a:b#c"), odd);
  EXPECT_EQ(root->findChildNode("m", "id", ""), odd);
  EXPECT_EQ(root->findChildNode("m", "", ""), odd);
  EXPECT_EQ(root->findChildNode("m", "nope", ""), nullptr);
}

struct attr_case_t {
  const char* path;
  const char* text;  // null when no attribute is found
};

TEST_F(PathTree, AttributePaths) {
  root->setAttrValue<std::string>("x", "own");
  const attr_case_t cases[] = {
      {"x", "own"},      {"y", nullptr},     {"#x", nullptr},      {"b.c#x", "1"},
      {"a#x", "1"},      {"b#x:1", nullptr}, {"b.c#k:1", nullptr}, {"b.c#x:1", nullptr},
      {"zz#x", nullptr}, {"b.c#y", nullptr},
  };
  for (const attr_case_t& t : cases) {
    const auto attr = root->findAttr(t.path);
    EXPECT_EQ(root->hasAttr(t.path), t.text != nullptr) << t.path;
    if (t.text != nullptr && attr) {
      EXPECT_EQ(attr->getValue<std::string>(), t.text) << t.path;
    }
  }
  EXPECT_EQ(root->getAttrNode("b.c#x")->getName(), "x");
  try {
    root->getAttrNode("a#q");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Attribute path does not exist: a#q");
  }
}

TEST(Paths, NeedSharedOwnershipOnlyWithNodeParts) {
  ConfigNodeClass loose("loose");
  loose.setAttrValue<std::string>("k", "v");  // no "#": the node's own attribute
  EXPECT_TRUE(loose.hasAttr("k"));
  EXPECT_EQ(loose.findChildNode("x", "", ""), nullptr);
  EXPECT_THROW(loose.findNode(""), std::bad_weak_ptr);
  EXPECT_THROW(loose.hasNode("a"), std::bad_weak_ptr);
  EXPECT_THROW(loose.getNode("a"), std::bad_weak_ptr);
  EXPECT_THROW(loose.createNodePath("a"), std::bad_weak_ptr);
  EXPECT_THROW(loose.findAttr("a#k"), std::bad_weak_ptr);
  EXPECT_THROW(loose.setAttrValue<std::string>("a#k", "v"), std::bad_weak_ptr);
}

TEST(Creation, CreateNodePath) {
  auto root = makeNode("root");
  const NodePtr b = root->createNodePath("a#id:7.b");
  EXPECT_EQ(root->toString(), "root:\n  a:\n    id: 7\n    b:\n");
  EXPECT_EQ(root->createNodePath("a#id:7.b"), b);  // nothing new the second time
  EXPECT_EQ(root->toString(), "root:\n  a:\n    id: 7\n    b:\n");

  auto other = makeNode("root");
  const NodePtr plain = other->createNodePath("a");
  const NodePtr withId = other->createNodePath("a#id");  // the existing a lacks id
  EXPECT_NE(plain, withId);
  EXPECT_EQ(other->toString(), "root:\n  a:\n  a:\n    id: (empty)\n");
  EXPECT_EQ(other->createNodePath(""), other);
}

TEST(Creation, DuplicateChildrenKeepInsertionOrder) {
  auto root = makeNode("root");
  root->createNode("z", "1");
  root->createNode("a", "2");
  root->createNode("z", "3");
  root->createNode("A", "4");
  std::string order;
  for (const auto& entry : *root->getChildren()) order += entry.second->getValue<std::string>();
  EXPECT_EQ(order, "4213");  // byte-wise name order, equal names as inserted
}

TEST(Creation, SetAttrValueCreatesWhatIsMissing) {
  auto root = makeNode("root");
  root->setAttrValue<std::string>("p.q#k", "1");
  root->setAttrValue<std::string>("k", "own");
  root->setAttrValue<std::string>("p.q#k", "2");  // overwritten, not duplicated
  EXPECT_EQ(root->toString(), "root:\n  k: own\n  p:\n    q:\n      k: 2\n");
  EXPECT_EQ(root->getAttrNode("p.q#k")->getValue<std::string>(), "2");
}

TEST(CompareAttr, EveryAttributeOfBInA) {
  auto a = makeNode("n");
  a->setAttrValue<std::string>("id", "1");
  a->setAttrValue<std::string>("kind", "x");
  auto bare = makeNode("n");
  auto fewer = makeNode("n");
  fewer->setAttrValue<std::string>("id", "1");
  auto extra = makeNode("n");
  extra->setAttrValue<std::string>("id", "1");
  extra->setAttrValue<std::string>("more", "");
  auto differs = makeNode("n");
  differs->setAttrValue<std::string>("id", "2");

  EXPECT_TRUE(a->compareAttr(a, bare));
  EXPECT_TRUE(a->compareAttr(a, fewer));
  EXPECT_TRUE(a->compareAttr(a, a));
  EXPECT_FALSE(a->compareAttr(a, extra));
  EXPECT_FALSE(a->compareAttr(a, differs));
  EXPECT_FALSE(a->compareAttr(fewer, a));
}

// A source whose root has two children x with id 1 (values v1, v2), a child y
// with id 2, a root attribute and the root value "top".
NodePtr makeSource() {
  auto src = makeNode("src", "top");
  src->setAttrValue<std::string>("rootattr", "r");
  auto x1 = src->createNodePath("x#id:1");
  x1->setData("v1");
  x1->createNode("leaf", "l1");
  auto x2 = src->createNode("x", "v2");
  x2->setAttrValue<std::string>("id", "1");
  x2->createNode("leaf", "l2");
  src->createNodePath("y#id:2");
  return src;
}

struct append_case_t {
  const char* name;
  bool merge;
  int times;
  const char* dump;
};

TEST(Append, MergeAndCopy) {
  const append_case_t cases[] = {
      // The leaves have no attributes, so the second leaf merges into the first too.
      {"merge folds equal children", true, 1,
       "dst: [top]\n  rootattr: r\n  x: [v2]\n    id: 1\n    leaf: [l2]\n  y:\n    id: 2\n"},
      {"merge twice adds nothing", true, 2,
       "dst: [top]\n  rootattr: r\n  x: [v2]\n    id: 1\n    leaf: [l2]\n  y:\n    id: 2\n"},
      {"copy keeps every child", false, 1,
       "dst: [top]\n  rootattr: r\n  x: [v1]\n    id: 1\n    leaf: [l1]\n  x: [v2]\n    id: 1\n    "
       "leaf: [l2]\n"
       "  y:\n    id: 2\n"},
  };
  for (const append_case_t& t : cases) {
    auto dst = makeNode("dst");
    auto src = makeSource();
    for (int i = 0; i < t.times; ++i) dst->append(src, t.merge);
    EXPECT_EQ(dst->toString(), t.dump) << t.name;
    EXPECT_EQ(src->toString(), makeSource()->toString()) << "source unchanged: " << t.name;
  }
}

TEST(Append, CopyTwiceDoublesChildrenAndMakesNewNodes) {
  auto dst = makeNode("dst");
  auto src = makeSource();
  dst->append(src, false);
  dst->append(src, false);
  EXPECT_EQ(dst->getChildren()->count("x"), 4u);
  EXPECT_EQ(dst->getChildren()->count("y"), 2u);
  for (const auto& entry : *dst->getChildren())
    for (const auto& original : *src->getChildren()) EXPECT_NE(entry.second, original.second);
}

TEST(Append, ValueAlwaysTakenAttributesOverwritten) {
  auto dst = makeNode("dst", "old");
  dst->setAttrValue<std::string>("a", "1");
  dst->setAttrValue<std::string>("keep", "k");
  auto src = makeNode("src", "");
  src->setAttrValue<std::string>("a", "2");
  dst->append(src, true);
  EXPECT_EQ(dst->toString(), "dst:\n  a: 2\n  keep: k\n");
}

TEST(Append, MergeMatchesOnlyWhenAttributesAgree) {
  auto dst = makeNode("soc");
  dst->createNodePath("module#id:cpu0")->createNode("isa", "rv32i");
  auto src = makeNode("soc");
  src->createNodePath("module#id:cpu0")->createNode("priv", "msu");
  src->createNodePath("module#id:cpu1");
  src->createNode("module", "bare");  // no attributes: merges into the first module
  dst->append(src, true);
  EXPECT_EQ(dst->toString(),
            "soc:\n  module: [bare]\n    id: cpu0\n    isa: [rv32i]\n    priv: [msu]\n  module:\n  "
            "  id: cpu1\n");
}

TEST(Append, IntoItselfEnds) {
  auto node = makeSource();
  node->append(node, false);
  EXPECT_EQ(node->getChildren()->count("x"), 4u);
  auto merged = makeSource();
  merged->append(merged, true);
  EXPECT_EQ(merged->getChildren()->count("x"), 2u);
}

TEST(Append, IntoOwnDescendantEnds) {
  // The source's subtree holds the destination: the copy must not chase
  // the nodes it is creating.
  for (bool merge : {false, true}) {
    auto root = makeNode("r");
    root->createNode("x", "1");
    auto inner = root->createNode("a", "");
    inner->append(root, merge);
    EXPECT_EQ(root->toString(), "r:\n  a:\n    a:\n    x: [1]\n  x: [1]\n") << "merge " << merge;
  }
}

TEST(Dump, Format) {
  auto module = makeNode("module");
  module->setAttrValue<std::string>("id", "cpu0");
  module->createNode("isa", "rv64gc");
  EXPECT_EQ(module->toString(), "module:\n  id: cpu0\n  isa: [rv64gc]\n");

  auto node = makeNode("n", "v");
  node->setAttrValue<std::string>("b", "");
  node->setAttrValue<std::string>("a", "x");
  node->createNodePath("c.d")->setData("deep");
  std::stringstream out;
  node->dump(out, 4);
  EXPECT_EQ(out.str(), "    n: [v]\n      a: x\n      b: (empty)\n      c:\n        d: [deep]\n");
}

}  // namespace
