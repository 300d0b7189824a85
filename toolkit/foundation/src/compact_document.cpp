#include <kalo_toolkit/compact_document.hpp>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

#include "secure_sax_parse.hpp"

XERCES_CPP_NAMESPACE_USE

static_assert(sizeof(XMLCh) == sizeof(char16_t), "the subtree log holds the library's characters");

namespace kalo_toolkit::util {

namespace {

// Texts of at most this size share blocks; larger ones get a block of their own.
constexpr size_t kTextBlockSize = size_t(1) << 20;
// The high bit of a node's text length marks a text kept in the subtree log.
constexpr uint32_t kSubtreeText = 0x80000000u;

}  // namespace

// Turns the parse events into nodes. A node's text is that of the node the
// library's DOM parser would make its first child: character data is one text
// node until another node starts (element, comment, instruction or a CDATA
// section with content), each CDATA section with content is a node of its
// own, and an element's text is all the character data below it. The latter
// is kept once in a log that every enclosing capture refers to, so that a deep
// chain of first children costs no more than its text.
class CompactDocument::Builder : public detail::XmlEvents {
 public:
  explicit Builder(CompactDocument& doc) : doc(doc) {}

  void startElement(const XMLCh* name, const Attributes& attributes) override {
    seal();
    if (doc.nodes.size() >= std::numeric_limits<uint32_t>::max() - 1)
      throw std::length_error("Too many elements.");
    const uint32_t index = static_cast<uint32_t>(doc.nodes.size());
    doc.nodes.emplace_back();
    Node& node = doc.nodes.back();
    node.name = intern(name, std::char_traits<XMLCh>::length(name));
    if (locator != nullptr) {
      node.line = clampPosition(locator->getLineNumber());
      node.column = clampPosition(locator->getColumnNumber());
    }
    if (const XMLSize_t count = attributes.getLength()) {
      node.firstAttribute = static_cast<uint32_t>(doc.attributes.size());
      node.attributeCount = static_cast<uint32_t>(count);
      for (XMLSize_t i = 0; i < count; ++i) {
        const XMLCh* qname = attributes.getQName(i);
        Attribute a{intern(qname, std::char_traits<XMLCh>::length(qname)), toBytes(attributes.getValue(i))};
        doc.attributes.push_back(std::move(a));
      }
    }
    if (!open.empty()) {
      Open& parent = open.back();
      if (parent.lastChild == 0) {
        doc.nodes[parent.index].firstChild = index + 1;
        if (parent.kind == Kind::None) {
          parent.kind = Kind::Element;
          parent.logStart = doc.subtreeLog.size();
          ++subtreeCaptures;
        }
      } else {
        doc.nodes[parent.lastChild - 1].nextSibling = index + 1;
      }
      parent.lastChild = index + 1;
    }
    open.push_back(Open{index, 0, Kind::None, 0});
  }

  void endElement() override {
    seal();
    open.pop_back();
    if (open.empty()) return;
    Open& parent = open.back();
    // The parent's first child element ends: its text is the log since it began.
    if (parent.kind == Kind::Element && parent.lastChild == doc.nodes[parent.index].firstChild) {
      const size_t length = doc.subtreeLog.size() - parent.logStart;
      if (length >= kSubtreeText) throw std::length_error("Text too long.");
      Node& node = doc.nodes[parent.index];
      node.textLength = static_cast<uint32_t>(length) | kSubtreeText;
      node.text = reinterpret_cast<const char*>(parent.logStart);  // an offset into the log
      parent.kind = Kind::Done;
      --subtreeCaptures;
    }
  }

  void characters(const XMLCh* chars, XMLSize_t length) override {
    if (open.empty()) return;
    if (subtreeCaptures > 0) doc.subtreeLog.append(reinterpret_cast<const char16_t*>(chars), length);
    Open& top = open.back();
    if (capturing) {
      if (inCData ? (top.kind == Kind::CData && captureSection == cdataSection) : top.kind == Kind::Text) {
        pending.append(chars, length);
        return;
      }
      seal();
    }
    if (top.kind == Kind::None) {
      top.kind = inCData ? Kind::CData : Kind::Text;
      captureSection = cdataSection;
      capturing = true;
      pending.assign(chars, length);
    }
  }

  void startCData() override {
    inCData = true;
    ++cdataSection;
  }
  void endCData() override { inCData = false; }

  void comment(const XMLCh* chars, XMLSize_t length) override { ownNode(chars, length); }

  void processingInstruction(const XMLCh* /*target*/, const XMLCh* data) override {
    ownNode(data, std::char_traits<XMLCh>::length(data));
  }

 private:
  enum class Kind : uint8_t { None, Text, CData, Element, Done };

  static uint32_t clampPosition(XMLFileLoc at) {
    return at >= std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(at);
  }

  struct Open {
    uint32_t index;
    uint32_t lastChild;  // node index + 1
    Kind kind;           // of the first child node
    size_t logStart;
  };

  // A comment or instruction: a node of its own, the first child's text when first.
  void ownNode(const XMLCh* chars, size_t length) {
    if (open.empty()) return;
    seal();
    Open& top = open.back();
    if (top.kind != Kind::None) return;
    top.kind = Kind::Done;
    store(top.index, chars, length);
  }

  // Ends the text node being captured, if any; it is the first child of the open element.
  void seal() {
    if (!capturing) return;
    capturing = false;
    Open& top = open.back();
    top.kind = Kind::Done;
    store(top.index, pending.data(), pending.size());
  }

  void store(uint32_t index, const XMLCh* chars, size_t length) {
    scratch.clear();
    appendBytes(scratch, chars, length);
    if (scratch.size() >= kSubtreeText) throw std::length_error("Text too long.");
    Node& node = doc.nodes[index];
    node.text = doc.storeText(scratch);
    node.textLength = static_cast<uint32_t>(scratch.size());
  }

  uint32_t intern(const XMLCh* name, size_t length) {
    key.assign(name, length);
    auto it = nameIndex.find(key);
    if (it != nameIndex.end()) return it->second;
    const auto id = static_cast<uint32_t>(doc.names.size());
    doc.names.push_back(toBytes(key.c_str()));
    nameIndex.emplace(key, id);
    return id;
  }

 private:
  CompactDocument& doc;
  std::vector<Open> open;
  std::unordered_map<std::basic_string<XMLCh>, uint32_t> nameIndex;
  std::basic_string<XMLCh> key;
  std::basic_string<XMLCh> pending;
  std::string scratch;
  bool capturing = false;
  bool inCData = false;
  uint64_t cdataSection = 0;
  uint64_t captureSection = 0;
  size_t subtreeCaptures = 0;
};

CompactDocument::CompactDocument() = default;
CompactDocument::~CompactDocument() = default;

const char* CompactDocument::storeText(const std::string& text) {
  if (text.empty()) return "";
  if (text.size() > kTextBlockSize / 4) {
    textBlocks.emplace_back(new char[text.size()]);
    std::memcpy(textBlocks.back().get(), text.data(), text.size());
    const char* stored = textBlocks.back().get();
    // The shared block stays last, so that it is filled further.
    if (blockSize != 0) std::swap(textBlocks[textBlocks.size() - 1], textBlocks[textBlocks.size() - 2]);
    return stored;
  }
  if (blockSize == 0 || blockUsed + text.size() > blockSize) {
    textBlocks.emplace_back(new char[kTextBlockSize]);
    blockSize = kTextBlockSize;
    blockUsed = 0;
  }
  char* at = textBlocks.back().get() + blockUsed;
  std::memcpy(at, text.data(), text.size());
  blockUsed += text.size();
  return at;
}

bool CompactDocument::parseFile(const std::string& path, std::string& message) {
  return parseFile(path, message, nullptr);
}

bool CompactDocument::parseFile(const std::string& path, std::string& message, std::string* reason) {
  nodes.clear();
  names.clear();
  attributes.clear();
  textBlocks.clear();
  subtreeLog.clear();
  blockUsed = blockSize = 0;
  Builder builder(*this);
  bool parsed = false;
  detail::ParseFailure where;
  try {
    parsed = detail::parseSecurely(path, builder, message, &where);
  } catch (const std::exception& e) {
    message = e.what();
  }
  if (parsed && nodes.empty()) {
    message = SecureDomParser::s_unreadableMessage;
    parsed = false;
  }
  if (!parsed) {
    nodes.clear();
    if (reason != nullptr) *reason = detail::describeFailure(message, where);
  }
  return parsed;
}

std::string CompactDocument::text(const Node& n) const {
  if (n.textLength & kSubtreeText) {
    std::string out;
    const auto* log = reinterpret_cast<const XMLCh*>(subtreeLog.data());
    appendBytes(out, log + reinterpret_cast<size_t>(n.text), n.textLength & ~kSubtreeText);
    return out;
  }
  return std::string(n.text == nullptr ? "" : n.text, n.textLength);
}

std::string CompactDocument::attribute(const Node& n, const char* name) const {
  for (uint32_t i = 0; i < n.attributeCount; ++i) {
    const Attribute& a = attributes[n.firstAttribute + i];
    if (names[a.name] == name) return a.value;
  }
  return std::string();
}

CompactElement CompactElement::child(const char* name) const {
  if (doc == nullptr) return CompactElement();
  for (uint32_t c = doc->node(index).firstChild; c != 0; c = doc->node(c - 1).nextSibling) {
    const CompactElement e(doc, c - 1);
    if (e.hasName(name)) return e;
  }
  return CompactElement();
}

CompactElement CompactElement::descendant(const char* name) const {
  if (doc == nullptr) return CompactElement();
  // Document order without recursion: siblings still to visit wait on a stack.
  std::vector<uint32_t> later;
  uint32_t next = doc->node(index).firstChild;
  while (next != 0 || !later.empty()) {
    if (next == 0) {
      next = later.back();
      later.pop_back();
    }
    const CompactElement e(doc, next - 1);
    if (e.hasName(name)) return e;
    const CompactDocument::Node& n = doc->node(next - 1);
    if (n.firstChild != 0) {
      if (n.nextSibling != 0) later.push_back(n.nextSibling);
      next = n.firstChild;
    } else {
      next = n.nextSibling;
    }
  }
  return CompactElement();
}

std::string CompactElement::text() const { return unquote(doc->text(doc->node(index))); }

}  // namespace kalo_toolkit::util
