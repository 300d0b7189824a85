#pragma once

// Element-level helpers shared by the readers and writers of the multibody
// file. Values are looked up among the direct children only: a value of an
// element never comes from a nested element (a frame's name is not a body's),
// and a missing value costs one pass over the children, not over the subtree.

#include <stdexcept>
#include <string>

#include <xercesc/dom/DOM.hpp>

namespace kalo_toolkit::mbxml {

/// The failure of a reader; its text is one of the fixed failure texts.
class ReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Tag name equality with an ASCII name, without allocating.
bool hasName(const xercesc::DOMElement* element, const char* name);

/// First direct child element with the name, or null.
const xercesc::DOMElement* firstChild(const xercesc::DOMElement* parent, const char* name);

/// Like firstChild; a missing element ends the read with `failureText`.
const xercesc::DOMElement* requireChild(const xercesc::DOMElement* parent, const char* name,
                                        const std::string& failureText);

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

/// elementText of the first direct child with the name; empty when there is none.
std::string childText(const xercesc::DOMElement* parent, const char* name);

/// Value of an attribute as bytes; empty when missing.
std::string attributeText(const xercesc::DOMElement* element, const char* name);

/// Element builder bound to one document.
class Writer {
 public:
  explicit Writer(xercesc::DOMDocument* doc) : doc(doc) {}

  xercesc::DOMElement* element(const char* name) const;
  /// Appends <name>value</name>.
  void text(xercesc::DOMElement* parent, const char* name, const std::string& value) const;
  /// Appends <name>"value"</name>.
  void quoted(xercesc::DOMElement* parent, const char* name, const std::string& value) const;
  void number(xercesc::DOMElement* parent, const char* name, double value) const;
  void numbers(xercesc::DOMElement* parent, const char* name, const double* values, size_t n) const;
  /// A list element stays present when empty: it then gets an empty text node.
  void closeList(xercesc::DOMElement* list) const;

  xercesc::DOMDocument* const doc;
};

/// Writes the int as decimal text, widened so that id + 1 cannot overflow.
std::string integerText(long long value);

}  // namespace kalo_toolkit::mbxml
