#pragma once

// Element-level helpers shared by the readers and writers of the multibody
// file. Values are looked up among the direct children only: a value of an
// element never comes from a nested element (a frame's name is not a body's),
// and a missing value costs one pass over the children, not over the subtree.

#include <cstdint>
#include <stdexcept>
#include <string>

#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/xml_helpers.hpp>

namespace kalo_toolkit::mbxml {

/// The failure of a reader; its text is one of the fixed failure texts. The
/// position is that of the element at fault (0 when the document has none).
class ReadError : public std::runtime_error {
 public:
  explicit ReadError(const std::string& text, uint64_t line = 0, uint64_t column = 0)
      : std::runtime_error(text), line(line), column(column) {}
  uint64_t line;
  uint64_t column;
};

/// Tag name equality with an ASCII name, without allocating.
bool hasName(const xercesc::DOMElement* element, const char* name);

/// First direct child element with the name, or null.
const xercesc::DOMElement* firstChild(const xercesc::DOMElement* parent, const char* name);

/// Calls f(child) for every direct child element with the name, in document order.
template <typename F>
void forEachChild(const xercesc::DOMElement* parent, const char* name, F&& f) {
  if (parent == nullptr) return;
  for (const xercesc::DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    if (n->getNodeType() != xercesc::DOMNode::ELEMENT_NODE) continue;
    const auto* element = static_cast<const xercesc::DOMElement*>(n);
    if (hasName(element, name)) f(element);
  }
}

/// Text of the first child of the element (the node's own value, or the text below it), unquoted.
std::string elementText(const xercesc::DOMElement* element);

/// Value of an attribute as bytes; empty when missing.
std::string attributeText(const xercesc::DOMElement* element, const char* name);

/// A read-only handle of one DOM element (or none), with the interface of
/// util::CompactElement, so that the element readers serve both documents.
class DomElement {
 public:
  DomElement() = default;
  explicit DomElement(const xercesc::DOMElement* element) : element(element) {}

  explicit operator bool() const { return element != nullptr; }
  DomElement child(const char* name) const { return DomElement(firstChild(element, name)); }
  /// First element with the name anywhere below, in document order.
  DomElement descendant(const char* name) const { return DomElement(util::findFirstElement(element, name)); }
  template <typename F>
  void forEachChild(const char* name, F&& f) const {
    mbxml::forEachChild(element, name, [&](const xercesc::DOMElement* c) { f(DomElement(c)); });
  }
  std::string text() const { return elementText(element); }
  std::string attribute(const char* name) const { return attributeText(element, name); }
  /// The DOM keeps no positions.
  uint64_t line() const { return 0; }
  uint64_t column() const { return 0; }

 private:
  const xercesc::DOMElement* element = nullptr;
};

/// text() of the first direct child with the name; empty when there is none.
template <typename E>
std::string childText(const E& parent, const char* name) {
  const E child = parent.child(name);
  return child ? child.text() : std::string();
}

/// Ends the read with `failureText` at the element's child with the name (at the element without one).
template <typename E>
[[noreturn]] void failAt(const E& element, const char* child, const std::string& failureText) {
  E at = child != nullptr ? element.child(child) : E();
  if (!at) at = element;
  throw ReadError(failureText, at ? at.line() : 0, at ? at.column() : 0);
}

/// The first direct child with the name; a missing one ends the read with `failureText`.
template <typename E>
E requireChild(const E& parent, const char* name, const std::string& failureText) {
  const E child = parent.child(name);
  if (!child) failAt(parent, nullptr, failureText);
  return child;
}

/// Writes the int as decimal text, widened so that id + 1 cannot overflow.
std::string integerText(long long value);

}  // namespace kalo_toolkit::mbxml
