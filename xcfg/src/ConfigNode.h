#pragma once
// One node of the configuration tree: an XML element with its tag as name, its
// text as value, its attributes and its child elements. Nodes live in
// std::shared_ptr (made with std::make_shared): the path operations start from
// the node's own shared pointer.
//
// Node path: segments separated by "."; a segment is "name" (first child of
// that name), "name#attr" (first such child having attr) or "name#attr:value"
// (first such child whose attr is exactly value). Attribute path: a node path,
// "#" and the attribute name; without "#" it names an attribute of the node itself.

#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "xcfg/DataNode.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

class ConfigNodeClass : public DataNodeClass, public std::enable_shared_from_this<ConfigNodeClass> {
public:
  using NodePtr = std::shared_ptr<ConfigNodeClass>;
  using AttrPtr = std::shared_ptr<DataNodeClass>;
  using ChildMap = std::multimap<std::string, NodePtr>;

  explicit ConfigNodeClass(const std::string& name, const std::string& value = std::string());
  ~ConfigNodeClass() override = default;

  // Children in name order; equal names in insertion order.
  std::shared_ptr<ChildMap> getChildren() const { return children; }

  NodePtr createNode(const std::string& name, const std::string& value);
  NodePtr findChildNode(const std::string& name, const std::string& attr,
                        const std::string& value) const;
  AttrPtr findChildAttr(const std::string& name) const;

  // Walks `path` from `cur` (advanced as it goes); creates missing nodes when `create`.
  static NodePtr findOrCreateNode(NodePtr& cur, const std::string& path, bool create);
  NodePtr findNode(const std::string& path) const;
  bool hasNode(const std::string& path) const;
  NodePtr getNode(const std::string& path) const;
  NodePtr createNodePath(const std::string& path);

  AttrPtr findAttr(const std::string& path) const;
  bool hasAttr(const std::string& path) const;
  AttrPtr getAttrNode(const std::string& path) const;
  // Creates the nodes and the attribute that are missing. Defined for std::string.
  template <typename T>
  void setAttrValue(const std::string& path, const T& value);

  // The value text of the node at `path` (never one of its attributes).
  template <typename T>
  T getNodeValue(const std::string& path) const {
    const NodePtr node = findNode(path);
    if (!node) throw std::runtime_error("Node path does not exist: " + path);
    return node->template getValue<T>();
  }

  // True when every attribute of b exists in a with the same text.
  bool compareAttr(const NodePtr& a, const NodePtr& b) const;
  // Copies src's subtree into dst; with merge, a child that matches an existing
  // child of dst by name and attributes is merged into it instead.
  void appendChildren(const NodePtr& dst, const NodePtr& src, bool merge);
  void append(const NodePtr& src, bool merge);

  void dump(std::stringstream& out, unsigned indent) const;
  std::string toString() const;

  // XML files. load/loads/include return true on success and write one line on
  // standard error on failure; save returns true when writing FAILED.
  bool load(const std::string& path, bool expand);
  bool loads(const std::string& text, bool expand);
  bool include(const std::string& fileName, bool expand);
  bool readChildren(const std::string& path, const tinyxml2::XMLElement* element, bool expand);
  // Shell-style expansion by wordexp (variables, ~, command substitution, globbing);
  // a text that wordexp refuses comes back unchanged.
  static std::string expandVar(const char* text, bool expand);
  bool save(const std::string& path) const;
  void writeChildren(tinyxml2::XMLDocument* doc, tinyxml2::XMLElement* element) const;

private:
  std::map<std::string, AttrPtr> attributes;
  std::shared_ptr<ChildMap> children;

  NodePtr selfPtr() const;
  void insertNewAttr(const std::string& name, const std::string& text);
};

extern template void ConfigNodeClass::setAttrValue<std::string>(const std::string&,
                                                                const std::string&);
