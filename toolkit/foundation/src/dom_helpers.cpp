#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/XMLString.hpp>

#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

namespace {

// The node after `node` in document order, staying inside `root`'s subtree.
DOMNode* nextInSubtree(DOMNode* node, const DOMNode* root) {
  if (DOMNode* child = node->getFirstChild()) return child;
  while (node != nullptr && node != root) {
    if (DOMNode* sibling = node->getNextSibling()) return sibling;
    node = node->getParentNode();
  }
  return nullptr;
}

// DOM text content of one node: its own value for character data, comments and
// processing instructions, else the text and CDATA below it. Walked with a loop
// rather than the library's getTextContent, which recurses once per nesting
// level: a deeply nested element in a hostile file overflows the stack there.
std::basic_string<XMLCh> textContent(DOMNode* node) {
  const DOMNode::NodeType type = node->getNodeType();
  if (type == DOMNode::TEXT_NODE || type == DOMNode::CDATA_SECTION_NODE || type == DOMNode::COMMENT_NODE ||
      type == DOMNode::PROCESSING_INSTRUCTION_NODE) {
    const XMLCh* value = node->getNodeValue();
    return value ? std::basic_string<XMLCh>(value) : std::basic_string<XMLCh>();
  }
  std::basic_string<XMLCh> text;
  for (DOMNode* n = node->getFirstChild(); n != nullptr; n = nextInSubtree(n, node)) {
    const DOMNode::NodeType t = n->getNodeType();
    if (t == DOMNode::TEXT_NODE || t == DOMNode::CDATA_SECTION_NODE) {
      if (const XMLCh* value = n->getNodeValue()) text += value;
    }
  }
  return text;
}

}  // namespace

DOMElement* createTextElement(DOMDocument* doc, const std::string& name, const std::string& value) {
  DOMElement* element = doc->createElement(toXMLString(name).c_str());
  element->appendChild(doc->createTextNode(toXMLString(value).c_str()));
  return element;
}

std::vector<DOMElement*> findElements(const DOMElement* parent, const std::string& name, bool firstOnly) {
  std::vector<DOMElement*> found;
  if (parent == nullptr) return found;
  auto* root = const_cast<DOMElement*>(parent);
  DOMDocument* doc = root->getOwnerDocument();
  if (doc == nullptr) return found;
  const std::basic_string<XMLCh> wanted = toXMLString(name);
  // Document order, elements only, entity references expanded.
  DOMTreeWalker* walker = doc->createTreeWalker(root, DOMNodeFilter::SHOW_ELEMENT, nullptr, true);
  try {
    for (DOMNode* n = walker->nextNode(); n != nullptr; n = walker->nextNode()) {
      auto* element = static_cast<DOMElement*>(n);
      if (XMLString::equals(element->getTagName(), wanted.c_str())) {
        found.push_back(element);
        if (firstOnly) break;
      }
    }
  } catch (...) {
    walker->release();
    throw;
  }
  walker->release();
  return found;
}

DOMElement* findFirstElement(const DOMElement* parent, const std::string& name) {
  std::vector<DOMElement*> found = findElements(parent, name, true);
  return found.empty() ? nullptr : found.front();
}

std::string getElementText(const DOMElement* parent, const std::string& name) {
  DOMElement* element = findFirstElement(parent, name);
  if (element == nullptr) return std::string();
  DOMNode* child = element->getFirstChild();
  if (child == nullptr) return std::string();
  return unquote(toBytes(textContent(child).c_str()));
}

}  // namespace kalo_toolkit::util
