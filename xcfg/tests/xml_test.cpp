// Loading, inclusion, expansion and saving of XML configuration files, with
// real files in a temporary directory.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "xcfg/ConfigNode.h"

namespace {

namespace fs = std::filesystem;
using NodePtr = std::shared_ptr<ConfigNodeClass>;

NodePtr makeNode(const std::string& name) { return std::make_shared<ConfigNodeClass>(name); }

// A fresh temporary directory per test, removed afterwards.
class XmlFiles : public ::testing::Test {
protected:
  std::string dir;

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "xcfg_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern + "/";
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string write(const std::string& relative, const std::string& text) {
    const fs::path path = fs::path(dir) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
    return path.string();
  }

  static std::string read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Loads with expansion off, returning load's result and what went to standard error.
  static bool loadCapturing(const NodePtr& node, const std::string& path, std::string& errors,
                            bool expand = false) {
    ::testing::internal::CaptureStderr();
    const bool ok = node->load(path, expand);
    errors = ::testing::internal::GetCapturedStderr();
    return ok;
  }
};

TEST_F(XmlFiles, LoadsRootElementsAttributesAndTexts) {
  const std::string path =
      write("main.xml",
            "<?xml version=\"1.0\"?>\n"
            "<soc kind=\"test\" note=\"a &amp; b\">root text"
            "<swt><XLEN>64</XLEN><FLEN>0x40</FLEN></swt>\n"
            "  <module id=\"cpu1\"><isa>rv32i</isa></module>\n"
            "  <module id=\"cpu0\" id2=\" spaced \"><isa>rv64gc</isa></module>\n"
            "</soc>\n"
            "<ignored/>\n");
  auto node = makeNode("before");
  ASSERT_TRUE(node->load(path, false));
  EXPECT_EQ(node->toString(),
            "soc:\n"
            "  kind: test\n"
            "  note: a & b\n"
            "  module:\n    id: cpu1\n    isa: [rv32i]\n"
            "  module:\n    id: cpu0\n    id2:  spaced \n    isa: [rv64gc]\n"
            "  swt:\n    FLEN: [0x40]\n    XLEN: [64]\n");
  EXPECT_EQ(node->getNodeValue<std::string>("module#id:cpu0.isa"), "rv64gc");
  EXPECT_EQ(node->getNode("swt")->getNodeValue<unsigned long>("FLEN"), 64u);
}

TEST_F(XmlFiles, LoadKeepsWhatTheNodeHeld) {
  const std::string path = write("main.xml", "<soc a=\"new\" b=\"2\"><x>new</x></soc>");
  auto node = makeNode("soc");
  node->createNode("x", "old");
  node->setAttrValue<std::string>("a", "old");
  ASSERT_TRUE(node->load(path, false));
  EXPECT_EQ(node->toString(), "soc:\n  a: old\n  b: 2\n  x: [old]\n  x: [new]\n");
}

TEST_F(XmlFiles, ProgramsWayOfLoading) {
  const std::string path =
      write("soc.xml",
            "<soc><swt><XLEN>64</XLEN><POISON_ENABLE>true</POISON_ENABLE></swt>"
            "<module id=\"cpu0\"><isa>rv64gc</isa><priv_modes>msu</priv_modes></module></soc>");
  auto root = makeNode("soc");
  auto file = makeNode("soc");
  ASSERT_TRUE(file->load(path, true));
  root->append(file, true);
  const NodePtr swt = root->getNode("swt");
  EXPECT_EQ(swt->getNodeValue<unsigned long>("XLEN"), 64u);
  EXPECT_TRUE(swt->getNodeValue<bool>("POISON_ENABLE"));
  EXPECT_EQ(root->getNode("module#id:cpu0")->getNodeValue<std::string>("priv_modes"), "msu");
}

TEST_F(XmlFiles, NestedRelativeInclusion) {
  const std::string main =
      write("conf/main.xml",
            "<soc><a>1</a><include name=\"sub/a.xml\" other=\"x\">ignored<z/></include>"
            "<a>3</a></soc>");
  write("conf/sub/a.xml", "<a>2 never read</a><include name=\"b.xml\"/><c k=\"v\"><d>4</d></c>");
  write("conf/sub/b.xml", "<b/><include name=\"../leaf.xml\"/>");
  write("conf/leaf.xml", "<leaf>deep</leaf>");
  auto node = makeNode("soc");
  std::string errors;
  ASSERT_TRUE(loadCapturing(node, main, errors)) << errors;
  EXPECT_EQ(errors, "");
  // The included a comes between the two a's of the main file; its text is not read.
  EXPECT_EQ(node->toString(),
            "soc:\n  a: [1]\n  a:\n  a: [3]\n  b:\n  c:\n    k: v\n    d: [4]\n  leaf:\n");
}

TEST_F(XmlFiles, IncludeAsRootOfTheMainFile) {
  const std::string main = write("main.xml", "<include name=\"parts.xml\"/>");
  write("parts.xml", "<p>x</p><q/>");
  auto node = makeNode("soc");
  ASSERT_TRUE(node->load(main, false));
  EXPECT_EQ(node->toString(), "soc:\n  p:\n  q:\n");
}

TEST_F(XmlFiles, SameFileIncludedTwiceSideBySideIsNoCycle) {
  const std::string main =
      write("main.xml", "<soc><include name=\"p.xml\"/><x><include name=\"p.xml\"/></x></soc>");
  write("p.xml", "<p/>");
  auto node = makeNode("soc");
  ASSERT_TRUE(node->load(main, false));
  EXPECT_EQ(node->toString(), "soc:\n  p:\n  x:\n    p:\n");
}

TEST_F(XmlFiles, MissingIncludeReportsEachLevelAndKeepsWhatWasRead) {
  const std::string main =
      write("conf/main.xml", "<soc><a/><include name=\"sub/a.xml\"/><z/></soc>");
  write("conf/sub/a.xml", "<b/><include name=\"missing.xml\"/><c/>");
  auto node = makeNode("soc");
  std::string errors;
  EXPECT_FALSE(loadCapturing(node, main, errors));
  EXPECT_EQ(errors, "Could't load file: " + dir +
                        "conf/sub/missing.xml\n  No such file or directory\nCould't read "
                        "children!\nCould't read children!\n");
  EXPECT_EQ(node->toString(), "soc:\n  a:\n  b:\n");
}

struct cycle_case_t {
  const char* name;
  std::vector<std::pair<const char*, const char*>> files;  // the first is loaded
  const char* repeated;                                    // the file named in the message
};

TEST_F(XmlFiles, IncludeCyclesFailWithOneLineNamingTheFile) {
  const std::vector<cycle_case_t> cases = {
      {"file includes itself", {{"self.xml", "<r><include name=\"self.xml\"/></r>"}}, "self.xml"},
      {"root include of itself", {{"root.xml", "<include name=\"root.xml\"/>"}}, "root.xml"},
      {"through others",
       {{"c/a.xml", "<r><include name=\"d/b.xml\"/></r>"},
        {"c/d/b.xml", "<x/><include name=\"../e.xml\"/>"},
        {"c/e.xml", "<include name=\"d/b.xml\"/>"}},
       "c/d/../d/b.xml"},
      {"back to the main file",
       {{"m.xml", "<r><include name=\"n.xml\"/></r>"}, {"n.xml", "<include name=\"./m.xml\"/>"}},
       "./m.xml"},
  };
  for (const cycle_case_t& c : cases) {
    for (const auto& file : c.files) write(file.first, file.second);
    auto node = makeNode("soc");
    std::string errors;
    EXPECT_FALSE(loadCapturing(node, dir + c.files.front().first, errors)) << c.name;
    const std::string line = "Include cycle: file '" + dir + c.repeated + "' includes itself\n";
    EXPECT_EQ(errors.find(line), 0u) << c.name << ": " << errors;
    EXPECT_EQ(errors.find("Include cycle", 1), std::string::npos) << c.name;
  }
}

TEST_F(XmlFiles, IncludeCycleThroughLinks) {
  write("a.xml", "<r><include name=\"hard.xml\"/></r>");
  fs::create_hard_link(dir + "a.xml", dir + "hard.xml");
  write("s.xml", "<r><include name=\"soft.xml\"/></r>");
  fs::create_symlink(dir + "s.xml", dir + "soft.xml");
  for (const char* name : {"a.xml", "s.xml"}) {
    auto node = makeNode("soc");
    std::string errors;
    EXPECT_FALSE(loadCapturing(node, dir + name, errors)) << name;
    EXPECT_NE(errors.find("Include cycle"), std::string::npos) << errors;
  }
}

TEST_F(XmlFiles, BadInputFailsInOrder) {
  struct bad_case_t {
    const char* name;
    const char* text;
    std::string errors;
  };
  const std::vector<bad_case_t> cases = {
      // The parser's reason and line follow the file's name.
      {"not XML", "<soc>\n  <a>\n</soc>",
       "Could't load file: " + dir + "bad.xml\n  line 2: mismatched element\n"},
      {"bad attribute", "<soc>\n<a x=1/></soc>",
       "Could't load file: " + dir + "bad.xml\n  line 2: error parsing attribute\n"},
      {"empty file", "", "Could't load file: " + dir + "bad.xml\n  empty document\n"},
      {"no element", "<?xml version=\"1.0\"?><!-- nothing -->",
       "No element in file: " + dir + "bad.xml\n"},
      {"include without name", "<soc><a/>\n<include nam=\"x.xml\"/><b/></soc>",
       "Include without attribute \"name\" in '" + dir +
           "bad.xml' line 2\nCould't read children!\n"},
  };
  for (const bad_case_t& c : cases) {
    const std::string path = write("bad.xml", c.text);
    auto node = makeNode("soc");
    std::string errors;
    EXPECT_FALSE(loadCapturing(node, path, errors)) << c.name;
    EXPECT_EQ(errors, c.errors) << c.name;
  }
  auto node = makeNode("soc");
  std::string errors;
  EXPECT_FALSE(loadCapturing(node, dir + "absent.xml", errors));
  EXPECT_EQ(errors, "Could't load file: " + dir + "absent.xml\n  No such file or directory\n");
  // A directory opens but cannot be read.
  fs::create_directories(dir + "folder.xml");
  EXPECT_FALSE(loadCapturing(node, dir + "folder.xml", errors));
  EXPECT_EQ(errors, "Could't load file: " + dir + "folder.xml\n  Is a directory\n");
}

TEST_F(XmlFiles, LoadsFromText) {
  write("inc/part.xml", "<part>p</part>");
  auto node = makeNode("soc");
  // Names in a text are taken relative to the working directory; an absolute one works anywhere.
  ASSERT_TRUE(
      node->loads("<cfg a=\"1\"><x>v</x><include name=\"" + dir + "inc/part.xml\"/></cfg>", false));
  EXPECT_EQ(node->toString(), "cfg:\n  a: 1\n  part:\n  x: [v]\n");

  struct bad_case_t {
    std::string text;
    std::string errors;
  };
  const bad_case_t cases[] = {
      {"<a><b></a>", "Could't load from string: <a><b></a>\n"},
      {"", "Could't load from string: \n"},
      {"<!-- c -->", "No element in string: <!-- c -->\n"},
      {"<a><include/></a>",
       "Include without attribute \"name\" in '' line 1\nCould't read children!\n"},
  };
  for (const bad_case_t& c : cases) {
    auto other = makeNode("soc");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(other->loads(c.text, false)) << c.text;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.errors);
  }
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = std::make_unique<std::string>(old);
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

private:
  const char* name_;
  std::unique_ptr<std::string> old_;
};

struct expand_case_t {
  const char* text;
  const char* expanded;
};

TEST(ExpandVar, ShellStyleExpansion) {
  const ScopedEnv home("HOME", "/home/tester");
  const ScopedEnv var("XCFG_TEST_VAR", "value");
  unsetenv("XCFG_TEST_UNSET");
  const expand_case_t cases[] = {
      {"rv64gc", "rv64gc"},
      {"a    b\tc", "a b c"},
      {"'quoted  text'", "quoted  text"},
      {"\"$XCFG_TEST_VAR x\"", "value x"},
      {"$HOME/cfg", "/home/tester/cfg"},
      {"~/cfg", "/home/tester/cfg"},
      {"x~", "x~"},
      {"${XCFG_TEST_VAR}s", "values"},
      {"[$XCFG_TEST_UNSET]", "[]"},
      {"$((6 * 7))", "42"},
      {"$(echo substituted)", "substituted"},
      {"   ", ""},
      {"", ""},
      {"a|b", "a|b"},
      {"a;b", "a;b"},
      {"a&b", "a&b"},
      {"a<b", "a<b"},
      {"a>b", "a>b"},
      {"f(x)", "f(x)"},
      {"{a}", "{a}"},
      {"\n    indented\n  ", "\n    indented\n  "},
      {"'unterminated", "'unterminated"},
  };
  for (const expand_case_t& c : cases)
    EXPECT_EQ(ConfigNodeClass::expandVar(c.text, true), c.expanded) << c.text;
  for (const expand_case_t& c : cases)
    EXPECT_EQ(ConfigNodeClass::expandVar(c.text, false), c.text) << c.text;
}

TEST_F(XmlFiles, ExpansionOfTextsAndIncludedNamesNotAttributes) {
  const ScopedEnv var("XCFG_TEST_SUB", "sub");
  const std::string main =
      write("main.xml",
            "<soc path=\"$XCFG_TEST_SUB\"><a>$XCFG_TEST_SUB  x</a>"
            "<b>\n    multi line\n  </b><include name=\"$XCFG_TEST_SUB/p.xml\"/></soc>");
  write("sub/p.xml", "<p>$XCFG_TEST_SUB</p><q><r>$XCFG_TEST_SUB</r></q>");

  auto expanded = makeNode("soc");
  ASSERT_TRUE(expanded->load(main, true));
  EXPECT_EQ(expanded->toString(),
            "soc:\n  path: $XCFG_TEST_SUB\n  a: [sub x]\n  b: [\n    multi line\n  ]\n  p:\n  q:\n "
            "   r: [sub]\n");

  auto plain = makeNode("soc");
  std::string errors;
  EXPECT_FALSE(loadCapturing(plain, main, errors));  // the name stays $XCFG_TEST_SUB/p.xml
  EXPECT_EQ(errors,
            "Could't load file: " + dir +
                "$XCFG_TEST_SUB/p.xml\n  No such file or directory\nCould't read children!\n");
  EXPECT_EQ(plain->getNodeValue<std::string>("a"), "$XCFG_TEST_SUB  x");
}

TEST_F(XmlFiles, SaveWritesChildrenAttributesThenValue) {
  auto node = makeNode("soc");
  node->setData("top");
  node->setAttrValue<std::string>("z", "1");
  node->setAttrValue<std::string>("a", "x & y");
  node->createNode("b", "bee");
  node->createNodePath("a#id:7")->createNode("c", "");
  const std::string path = dir + "saved.xml";
  EXPECT_FALSE(node->save(path));
  EXPECT_EQ(read(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<soc a=\"x &amp; y\" z=\"1\">\n"
            "    <a id=\"7\">\n"
            "        <c/>\n"
            "    </a>\n"
            "    <b>bee</b>top</soc>\n");

  auto back = makeNode("other");
  ASSERT_TRUE(back->load(path, false));
  node->setData("");  // the root's value is not read back
  EXPECT_EQ(back->toString(), node->toString());
}

TEST_F(XmlFiles, SaveReportsFailureAsTrue) {
  auto node = makeNode("soc");
  EXPECT_TRUE(node->save(dir + "no/such/dir/out.xml"));
  EXPECT_FALSE(node->save(dir + "out.xml"));
}

TEST_F(XmlFiles, IncludedContentIsSavedInPlace) {
  const std::string main = write("main.xml", "<soc><include name=\"p.xml\"/></soc>");
  write("p.xml", "<p><q>1</q></p>");
  auto node = makeNode("soc");
  ASSERT_TRUE(node->load(main, false));
  ASSERT_FALSE(node->save(dir + "flat.xml"));
  EXPECT_EQ(read(dir + "flat.xml").find("include"), std::string::npos);
  auto back = makeNode("soc");
  ASSERT_TRUE(back->load(dir + "flat.xml", false));
  EXPECT_EQ(back->toString(), "soc:\n  p:\n    q: [1]\n");
}

}  // namespace
