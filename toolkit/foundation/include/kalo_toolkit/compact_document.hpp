#pragma once

// The document of the streaming reader: parsed by the same hardened parse as
// the DOM, but keeping per element only what the element readers look at -
// its name, its attributes, its children, and the text of its first child
// node (that node's own text for character data, a comment or a processing
// instruction; the character data of its whole subtree for an element). Texts
// are stored once as UTF-8, so the document takes about the file's size.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit::util {

class KALO_TOOLKIT_API CompactDocument {
 public:
  struct Node {
    uint32_t name = 0;         ///< index into the name table
    uint32_t firstChild = 0;   ///< node index + 1; 0: none
    uint32_t nextSibling = 0;  ///< node index + 1; 0: none
    uint32_t firstAttribute = 0;
    uint32_t attributeCount = 0;
    uint32_t textLength = 0;
    const char* text = nullptr;  ///< see text(); an offset into the subtree log when so marked
    uint32_t line = 0;           ///< where the start tag ends (1-based; 0: not known)
    uint32_t column = 0;
  };

  CompactDocument();
  ~CompactDocument();
  CompactDocument(const CompactDocument&) = delete;
  CompactDocument& operator=(const CompactDocument&) = delete;

  /// Parses the file (inside an initialised XML library). False with a
  /// non-empty message on any failure, with the same texts as SecureDomParser.
  bool parseFile(const std::string& path, std::string& message);
  /// The same; on failure `reason` (when given) receives why in full: "line L,
  /// column C: " and the message, or the operating system's reason when the
  /// file cannot be opened or read.
  bool parseFile(const std::string& path, std::string& message, std::string* reason);

  /// The root element (index 0); only after a successful parse.
  const Node& node(uint32_t index) const { return nodes[index]; }
  const std::string& nameOf(const Node& n) const { return names[n.name]; }
  /// Text of the node's first child, UTF-8, quotes kept.
  std::string text(const Node& n) const;
  /// Value of the named attribute of the node, empty when it has none.
  std::string attribute(const Node& n, const char* name) const;

 private:
  class Builder;
  struct Attribute {
    uint32_t name;
    std::string value;
  };
  std::vector<Node> nodes;
  std::vector<std::string> names;
  std::vector<Attribute> attributes;
  std::vector<std::unique_ptr<char[]>> textBlocks;
  std::u16string subtreeLog;  ///< character data below elements that are first children
  size_t blockUsed = 0;
  size_t blockSize = 0;
  const char* storeText(const std::string& text);
};

/// A read-only handle of one element of a CompactDocument (or none).
class KALO_TOOLKIT_API CompactElement {
 public:
  CompactElement() = default;
  CompactElement(const CompactDocument* doc, uint32_t index) : doc(doc), index(index) {}

  explicit operator bool() const { return doc != nullptr; }
  bool hasName(const char* name) const { return doc->nameOf(doc->node(index)) == name; }
  /// First direct child element with the name.
  CompactElement child(const char* name) const;
  /// First element with the name anywhere below, in document order.
  CompactElement descendant(const char* name) const;
  /// Calls f(child) for every direct child element with the name, in document order.
  template <typename F>
  void forEachChild(const char* name, F&& f) const {
    if (doc == nullptr) return;
    for (uint32_t c = doc->node(index).firstChild; c != 0; c = doc->node(c - 1).nextSibling) {
      const CompactElement e(doc, c - 1);
      if (e.hasName(name)) f(e);
    }
  }
  /// Text of the first child node, one pair of surrounding quotes removed.
  std::string text() const;
  std::string attribute(const char* name) const { return doc->attribute(doc->node(index), name); }
  /// Where the element's start tag ends in the file (0: not known).
  uint64_t line() const { return doc == nullptr ? 0 : doc->node(index).line; }
  uint64_t column() const { return doc == nullptr ? 0 : doc->node(index).column; }

 private:
  const CompactDocument* doc = nullptr;
  uint32_t index = 0;
};

}  // namespace kalo_toolkit::util
