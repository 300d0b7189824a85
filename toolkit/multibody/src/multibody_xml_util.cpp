#include "multibody_xml_util.hpp"

#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::mbxml {

namespace {

// XML names of this format are ASCII; widening them needs no transcoder.
std::basic_string<XMLCh> widen(const char* name) {
  std::basic_string<XMLCh> out;
  for (const char* p = name; *p != '\0'; ++p) out += static_cast<XMLCh>(static_cast<unsigned char>(*p));
  return out;
}

bool isText(const DOMNode* node) {
  const DOMNode::NodeType t = node->getNodeType();
  return t == DOMNode::TEXT_NODE || t == DOMNode::CDATA_SECTION_NODE;
}

}  // namespace

bool hasName(const DOMElement* element, const char* name) {
  const XMLCh* tag = element->getTagName();
  if (tag == nullptr) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(name);
  for (; *p != '\0'; ++p, ++tag) {
    if (*tag != static_cast<XMLCh>(*p)) return false;
  }
  return *tag == 0;
}

const DOMElement* firstChild(const DOMElement* parent, const char* name) {
  if (parent == nullptr) return nullptr;
  for (const DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    if (n->getNodeType() != DOMNode::ELEMENT_NODE) continue;
    const auto* element = static_cast<const DOMElement*>(n);
    if (hasName(element, name)) return element;
  }
  return nullptr;
}

std::string elementText(const DOMElement* element) {
  const DOMNode* first = element->getFirstChild();
  if (first == nullptr) return std::string();
  const DOMNode::NodeType t = first->getNodeType();
  if (isText(first) || t == DOMNode::COMMENT_NODE || t == DOMNode::PROCESSING_INSTRUCTION_NODE) {
    return util::unquote(util::toBytes(first->getNodeValue()));
  }
  // An element as first child: its text content, gathered without recursion
  // since a hostile file may nest elements arbitrarily deep.
  std::basic_string<XMLCh> text;
  const DOMNode* n = first->getFirstChild();
  while (n != nullptr) {
    if (isText(n)) {
      if (const XMLCh* v = n->getNodeValue()) text += v;
    }
    if (const DOMNode* child = n->getFirstChild()) {
      n = child;
      continue;
    }
    while (n != nullptr && n != first && n->getNextSibling() == nullptr) n = n->getParentNode();
    n = (n == nullptr || n == first) ? nullptr : n->getNextSibling();
  }
  return util::unquote(util::toBytes(text.c_str()));
}

std::string attributeText(const DOMElement* element, const char* name) {
  const DOMAttr* attr = element->getAttributeNode(widen(name).c_str());
  return attr == nullptr ? std::string() : util::toBytes(attr->getValue());
}

std::string integerText(long long value) { return std::to_string(value); }

}  // namespace kalo_toolkit::mbxml
