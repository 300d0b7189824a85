#include <kalo_toolkit/xml_sink.hpp>

#include <cmath>
#include <stdexcept>

#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

XmlSink::~XmlSink() = default;

void XmlSink::textElement(const char* name, const std::string& value) {
  startElement(name);
  text(value);
  endElement();
}

void XmlSink::quotedElement(const char* name, const std::string& value) { textElement(name, quote(value)); }

void XmlSink::numberElement(const char* name, double value) {
  if (!std::isfinite(value)) throw NonFiniteNumber();
  std::string out;
  if (!to_string(out, value)) throw std::runtime_error(std::string("Cannot write number of ") + name);
  textElement(name, out);
}

void XmlSink::numbersElement(const char* name, const double* values, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(values[i])) throw NonFiniteNumber();
  }
  std::string out;
  if (!to_string(out, values, n)) throw std::runtime_error(std::string("Cannot write numbers of ") + name);
  textElement(name, out);
}

DomSink::DomSink(DOMDocument* doc, DOMElement* parent) : doc(doc), parent(parent) {}

void DomSink::startElement(const char* name) {
  DOMElement* element = doc->createElement(toXMLString(name).c_str());
  if (!open.empty()) {
    open.back()->appendChild(element);
  } else if (parent != nullptr) {
    parent->appendChild(element);
  }
  if (open.empty() && top == nullptr) top = element;
  open.push_back(element);
}

void DomSink::attribute(const char* name, const std::string& value) {
  open.back()->setAttribute(toXMLString(name).c_str(), toXMLString(value).c_str());
}

void DomSink::text(const std::string& value) {
  open.back()->appendChild(doc->createTextNode(toXMLString(value).c_str()));
}

void DomSink::endElement() { open.pop_back(); }

}  // namespace kalo_toolkit::util
