#include "xcfg/ConfigNode.h"

#include <sys/stat.h>
#include <tinyxml2.h>
#include <wordexp.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>
#include <vector>

namespace {

// One node-path segment: name, name#attr or name#attr:value.
struct PathSegment {
  std::string name;
  std::string attr;
  std::string value;
};

PathSegment splitSegment(const std::string& segment) {
  PathSegment parts;
  const size_t hash = segment.find('#');
  parts.name = segment.substr(0, hash);
  if (hash != std::string::npos) {
    const std::string rest = segment.substr(hash + 1);
    const size_t colon = rest.find(':');
    parts.attr = rest.substr(0, colon);
    if (colon != std::string::npos) parts.value = rest.substr(colon + 1);
  }
  return parts;
}

// Sets an attribute's text, reporting a failure with the attribute and node names.
template <typename T>
void setAttrText(DataNodeClass& attr, const std::string& nodeName, const T& value) {
  try {
    attr.setValue<T>(value);
  } catch (const std::exception& e) {
    throw std::runtime_error("Failed to set value to attribute '" + attr.getName() + "' in node '" +
                             nodeName + "', reason: " + e.what());
  }
}

// The directory part of a file path, "/" included; empty without "/".
std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Files being read, outermost first, so that an include cycle is caught
// before it recurses without end. A file is known by device and inode, which
// no spelling of its path (relative, "..", links) can hide.
using FileId = std::pair<dev_t, ino_t>;

std::vector<FileId>& filesBeingRead() {
  static std::vector<FileId> files;
  return files;
}

bool fileId(const std::string& path, FileId& id) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  id = FileId(info.st_dev, info.st_ino);
  return true;
}

bool isBeingRead(const std::string& path) {
  FileId id;
  if (!fileId(path, id)) return false;
  for (const FileId& file : filesBeingRead())
    if (file == id) return true;
  return false;
}

// Marks a file as being read for the guard's lifetime (a file that cannot be
// identified is not marked: it could not have been read either).
class FileReadGuard {
public:
  explicit FileReadGuard(const std::string& path) : marked(fileId(path, id)) {
    if (marked) filesBeingRead().push_back(id);
  }
  ~FileReadGuard() {
    if (marked) filesBeingRead().pop_back();
  }
  FileReadGuard(const FileReadGuard&) = delete;
  FileReadGuard& operator=(const FileReadGuard&) = delete;

private:
  FileId id;
  bool marked;
};

const char* const includeTag = "include";

bool isInclude(const tinyxml2::XMLElement* element) {
  return std::strcmp(element->Name(), includeTag) == 0;
}

const char* const readChildrenFailed = "Could't read children!\n";

// Loads a file into doc; on failure writes "Could't load file: " and the
// name, then the parser's reason with its line on a line of its own
// ("  line 3: mismatched element"), or the system's reason for a file that
// cannot be opened or read.
bool loadDocument(tinyxml2::XMLDocument& doc, const std::string& fileName) {
  errno = 0;
  const tinyxml2::XMLError result = doc.LoadFile(fileName.c_str());
  if (result == tinyxml2::XML_SUCCESS) return true;
  const int systemError = errno;
  std::string reason;
  const bool fileError = result == tinyxml2::XML_ERROR_FILE_NOT_FOUND ||
                         result == tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED ||
                         result == tinyxml2::XML_ERROR_FILE_READ_ERROR;
  if (fileError && systemError != 0) {
    reason = std::strerror(systemError);
  } else {
    // "XML_ERROR_MISMATCHED_ELEMENT" -> "mismatched element",
    // "XML_ERROR_PARSING_TEXT" -> "error parsing text".
    std::string name = tinyxml2::XMLDocument::ErrorIDToName(result);
    const std::string prefix = "XML_ERROR_";
    if (name.compare(0, prefix.size(), prefix) == 0) name.erase(0, prefix.size());
    for (char& c : name) c = c == '_' ? ' ' : char(std::tolower(static_cast<unsigned char>(c)));
    reason = name.compare(0, 7, "parsing") == 0 ? "error " + name : name;
  }
  std::cerr << "Could't load file: " << fileName << '\n' << "  ";
  if (doc.ErrorLineNum() > 0) std::cerr << "line " << doc.ErrorLineNum() << ": ";
  std::cerr << reason << '\n';
  return false;
}

// Reads a parsed document's first element into node (later top-level elements are ignored).
bool readDocumentRoot(ConfigNodeClass& node, const tinyxml2::XMLDocument& doc,
                      const std::string& path, const std::string& noElementMessage, bool expand) {
  const tinyxml2::XMLElement* root = doc.FirstChildElement();
  if (root == nullptr) {
    std::cerr << noElementMessage << '\n';
    return false;
  }
  if (!node.readChildren(path, root, expand)) {
    std::cerr << readChildrenFailed;
    return false;
  }
  return true;
}

}  // namespace

ConfigNodeClass::ConfigNodeClass(const std::string& name, const std::string& value)
    : DataNodeClass(name, value), children(std::make_shared<ChildMap>()) {}

ConfigNodeClass::NodePtr ConfigNodeClass::selfPtr() const {
  return std::const_pointer_cast<ConfigNodeClass>(shared_from_this());
}

void ConfigNodeClass::insertNewAttr(const std::string& attrName, const std::string& text) {
  auto attr = std::make_shared<DataNodeClass>(attrName, std::string());
  setAttrText(*attr, name, text);
  attributes.emplace(attrName, attr);
}

// ---- children and node paths ----

ConfigNodeClass::NodePtr ConfigNodeClass::createNode(const std::string& childName,
                                                     const std::string& value) {
  auto node = std::make_shared<ConfigNodeClass>(childName, value);
  children->emplace(childName, node);  // after existing children of that name
  return node;
}

ConfigNodeClass::NodePtr ConfigNodeClass::findChildNode(const std::string& childName,
                                                        const std::string& attr,
                                                        const std::string& value) const {
  const auto range = children->equal_range(childName);
  for (auto it = range.first; it != range.second; ++it) {
    if (attr.empty()) return it->second;
    const AttrPtr found = it->second->findChildAttr(attr);
    if (found && (value.empty() || found->getValue<std::string>() == value)) return it->second;
  }
  return nullptr;
}

ConfigNodeClass::AttrPtr ConfigNodeClass::findChildAttr(const std::string& attrName) const {
  const auto it = attributes.find(attrName);
  return it == attributes.end() ? nullptr : it->second;
}

ConfigNodeClass::NodePtr ConfigNodeClass::findOrCreateNode(NodePtr& cur, const std::string& path,
                                                           bool create) {
  // Segments as line reading with "." as delimiter gives them: a trailing "."
  // adds no segment, an empty segment elsewhere is an empty name.
  size_t pos = 0;
  while (cur && pos < path.size()) {
    const size_t dot = path.find('.', pos);
    const size_t end = dot == std::string::npos ? path.size() : dot;
    const PathSegment segment = splitSegment(path.substr(pos, end - pos));
    pos = dot == std::string::npos ? path.size() : dot + 1;

    NodePtr next = cur->findChildNode(segment.name, segment.attr, segment.value);
    if (!next && create) {
      next = cur->createNode(segment.name, std::string());
      if (!segment.attr.empty()) next->insertNewAttr(segment.attr, segment.value);
    }
    cur = next;
  }
  return cur;
}

ConfigNodeClass::NodePtr ConfigNodeClass::findNode(const std::string& path) const {
  NodePtr cur = selfPtr();
  return findOrCreateNode(cur, path, false);
}

bool ConfigNodeClass::hasNode(const std::string& path) const { return findNode(path) != nullptr; }

ConfigNodeClass::NodePtr ConfigNodeClass::getNode(const std::string& path) const {
  NodePtr node = findNode(path);
  if (!node) throw std::runtime_error("Node path does not exist: " + path);
  return node;
}

ConfigNodeClass::NodePtr ConfigNodeClass::createNodePath(const std::string& path) {
  NodePtr cur = selfPtr();
  NodePtr node = findOrCreateNode(cur, path, true);
  if (!node) throw std::runtime_error("Failed to create node/attr path: " + path);
  return node;
}

// ---- attribute paths ----

ConfigNodeClass::AttrPtr ConfigNodeClass::findAttr(const std::string& path) const {
  const size_t hash = path.rfind('#');
  if (hash == std::string::npos) return findChildAttr(path);
  // The whole text is the node path: its last segment name#attr requires the attribute.
  const NodePtr node = findNode(path);
  return node ? node->findChildAttr(path.substr(hash + 1)) : nullptr;
}

bool ConfigNodeClass::hasAttr(const std::string& path) const { return findAttr(path) != nullptr; }

ConfigNodeClass::AttrPtr ConfigNodeClass::getAttrNode(const std::string& path) const {
  AttrPtr attr = findAttr(path);
  if (!attr) throw std::runtime_error("Attribute path does not exist: " + path);
  return attr;
}

template <typename T>
void ConfigNodeClass::setAttrValue(const std::string& path, const T& value) {
  const size_t hash = path.rfind('#');
  if (hash != std::string::npos) {
    createNodePath(path.substr(0, hash))->setAttrValue<T>(path.substr(hash + 1), value);
    return;
  }
  auto it = attributes.find(path);
  if (it == attributes.end())
    it = attributes.emplace(path, std::make_shared<DataNodeClass>(path, std::string())).first;
  setAttrText(*it->second, name, value);
}

template void ConfigNodeClass::setAttrValue<std::string>(const std::string&, const std::string&);

// ---- comparison, merge and dump ----

bool ConfigNodeClass::compareAttr(const NodePtr& a, const NodePtr& b) const {
  for (const auto& entry : b->attributes) {
    const std::string& attrName = entry.first;
    if (!a->hasAttr(attrName)) return false;
    if (a->getAttrNode(attrName)->getValue<std::string>() != entry.second->getValue<std::string>())
      return false;
  }
  return true;
}

void ConfigNodeClass::appendChildren(const NodePtr& dst, const NodePtr& src, bool merge) {
  // A snapshot of src's children, so that appending a node to itself ends.
  std::vector<NodePtr> sourceChildren;
  sourceChildren.reserve(src->children->size());
  for (const auto& entry : *src->children) sourceChildren.push_back(entry.second);

  for (const NodePtr& child : sourceChildren) {
    NodePtr target;
    if (merge) {
      const auto range = dst->children->equal_range(child->name);
      for (auto it = range.first; it != range.second && !target; ++it)
        if (compareAttr(it->second, child)) target = it->second;
    }
    if (!target) target = dst->createNode(child->name, std::string());
    appendChildren(target, child, merge);
  }
  for (const auto& entry : src->attributes)
    dst->setAttrValue<std::string>(entry.first, entry.second->getValue<std::string>());
  dst->data = src->data;
}

namespace {
bool subtreeHolds(const ConfigNodeClass& root, const ConfigNodeClass* node) {
  if (&root == node) return true;
  for (const auto& entry : *root.getChildren())
    if (subtreeHolds(*entry.second, node)) return true;
  return false;
}
}  // namespace

void ConfigNodeClass::append(const NodePtr& src, bool merge) {
  // Appending a node into its own subtree would copy what it is creating, for
  // ever: copy the source out first.
  if (src.get() != this && subtreeHolds(*src, this)) {
    const NodePtr copy = std::make_shared<ConfigNodeClass>(src->name);
    appendChildren(copy, src, false);
    appendChildren(selfPtr(), copy, merge);
    return;
  }
  appendChildren(selfPtr(), src, merge);
}

void ConfigNodeClass::dump(std::stringstream& out, unsigned indent) const {
  const std::string pad(indent, ' ');
  out << pad << name << ':';
  if (!data.empty()) out << " [" << data << ']';
  out << std::endl;
  for (const auto& entry : attributes) {
    const std::string& text = entry.second->getValue<std::string>();
    out << pad << "  " << entry.first << ": " << (text.empty() ? "(empty)" : text) << std::endl;
  }
  for (const auto& entry : *children) entry.second->dump(out, indent + 2);
}

std::string ConfigNodeClass::toString() const {
  std::stringstream out;
  dump(out, 0);
  return out.str();
}

// ---- XML files ----

std::string ConfigNodeClass::expandVar(const char* text, bool expand) {
  if (text == nullptr) return std::string();
  if (!expand) return text;
  wordexp_t words;
  const int status = wordexp(text, &words, 0);
  if (status != 0) {
    if (status == WRDE_NOSPACE) wordfree(&words);  // may hold a partial result
    return text;
  }
  std::string result;
  for (size_t i = 0; i < words.we_wordc; ++i) {
    if (i != 0) result += ' ';
    result += words.we_wordv[i];
  }
  wordfree(&words);
  return result;
}

bool ConfigNodeClass::readChildren(const std::string& path, const tinyxml2::XMLElement* element,
                                   bool expand) {
  if (element == nullptr) return false;
  if (isInclude(element)) {
    const char* fileName = element->Attribute("name");
    if (fileName == nullptr) {
      std::cerr << "Include without attribute \"name\" in '" << path << "' line "
                << element->GetLineNum() << '\n';
      return false;
    }
    // The including file's directory is put in front of every name, absolute ones too.
    return include(directoryOf(path) + expandVar(fileName, expand), expand);
  }

  setName(element->Name());
  for (const tinyxml2::XMLAttribute* attr = element->FirstAttribute(); attr != nullptr;
       attr = attr->Next())
    if (attributes.find(attr->Name()) == attributes.end())
      insertNewAttr(attr->Name(), attr->Value());

  for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child != nullptr;
       child = child->NextSiblingElement()) {
    if (isInclude(child)) {
      if (!readChildren(path, child, expand)) return false;
      continue;
    }
    const NodePtr node = createNode(child->Name(), std::string());
    if (const char* text = child->GetText()) node->setData(expandVar(text, expand));
    if (!node->readChildren(path, child, expand)) return false;
  }
  return true;
}

bool ConfigNodeClass::include(const std::string& fileName, bool expand) {
  if (isBeingRead(fileName)) {
    std::cerr << "Include cycle: file '" << fileName << "' includes itself\n";
    return false;
  }
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  if (!loadDocument(doc, fileName)) return false;
  const FileReadGuard guard(fileName);
  for (const tinyxml2::XMLElement* element = doc.FirstChildElement(); element != nullptr;
       element = element->NextSiblingElement()) {
    const NodePtr target =
        isInclude(element) ? selfPtr() : createNode(element->Name(), std::string());
    if (!target->readChildren(fileName, element, expand)) {
      std::cerr << readChildrenFailed;
      return false;
    }
  }
  return true;
}

bool ConfigNodeClass::load(const std::string& path, bool expand) {
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  if (!loadDocument(doc, path)) return false;
  const FileReadGuard guard(path);
  return readDocumentRoot(*this, doc, path, "No element in file: " + path, expand);
}

bool ConfigNodeClass::loads(const std::string& text, bool expand) {
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  if (doc.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) {
    std::cerr << "Could't load from string: " << text << '\n';
    return false;
  }
  return readDocumentRoot(*this, doc, std::string(), "No element in string: " + text, expand);
}

bool ConfigNodeClass::save(const std::string& path) const {
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  doc.InsertEndChild(doc.NewDeclaration());
  tinyxml2::XMLElement* root = doc.NewElement(name.c_str());
  doc.InsertEndChild(root);
  writeChildren(&doc, root);
  return doc.SaveFile(path.c_str(), false) != tinyxml2::XML_SUCCESS;
}

void ConfigNodeClass::writeChildren(tinyxml2::XMLDocument* doc,
                                    tinyxml2::XMLElement* element) const {
  for (const auto& entry : *children) {
    tinyxml2::XMLElement* childElement = doc->NewElement(entry.second->name.c_str());
    element->InsertEndChild(childElement);
    entry.second->writeChildren(doc, childElement);
  }
  for (const auto& entry : attributes)
    element->SetAttribute(entry.first.c_str(), entry.second->getValue<std::string>().c_str());
  if (!data.empty()) element->InsertEndChild(doc->NewText(data.c_str()));
}
