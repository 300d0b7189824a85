#include <kalo_toolkit/xml_file_writer.hpp>

#include <stdexcept>
#include <vector>

#include <kalo_toolkit/atomic_file.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

namespace kalo_toolkit::util {

namespace {

constexpr size_t kFlushSize = size_t(1) << 20;

struct InvalidCharacter : std::runtime_error {
  InvalidCharacter() : std::runtime_error("A text holds a character XML cannot hold.") {}
};

// Appends text escaped as the serializer escapes it: markup characters as
// entities, a carriage return as a character reference, and no control
// character XML does not allow. Texts are cut at a NUL and malformed UTF-8
// becomes U+FFFD, as on the way into a DOM document.
void appendEscaped(std::string& out, const std::string& raw, bool attribute) {
  const std::string* text = &raw;
  std::string normalized;
  for (unsigned char c : raw) {
    if (c >= 0x80 || c == 0) {
      normalized = toBytes(toXMLString(raw).c_str());
      text = &normalized;
      break;
    }
  }
  const size_t n = text->size();
  const char* p = text->data();
  for (size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(p[i]);
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        if (!attribute) {
          out += "&gt;";
          continue;
        }
        break;
      case '"':
        if (attribute) {
          out += "&quot;";
          continue;
        }
        break;
      case '\r':
        out += "&#xD;";
        continue;
      case '\t':
      case '\n':
        break;
      default:
        if (c < 0x20) throw InvalidCharacter();
        // U+FFFE and U+FFFF are not characters XML allows.
        if (c == 0xEF && i + 2 < n && static_cast<unsigned char>(p[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(p[i + 2]) & 0xFE) == 0xBE) {
          throw InvalidCharacter();
        }
    }
    out += static_cast<char>(c);
  }
}

// Pretty prints as the serializer does: each element on a line of its own,
// indented two spaces per level, with an empty line before every child of the
// root and before the root's end tag; an element holding only text on one
// line; an element without content as an empty-element tag.
class FileSink : public XmlSink {
 public:
  explicit FileSink(AtomicFile& file) : file(file) {
    out.reserve(kFlushSize + 4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n";
  }

  void startElement(const char* name) override {
    const size_t depth = open.size();
    if (depth > 0) {
      Open& parent = open.back();
      if (parent.tagOpen) out += '>';
      parent.tagOpen = false;
      parent.hasChildren = true;
      out += depth == 1 ? "\n\n" : "\n";
      out.append(2 * depth, ' ');
    }
    out += '<';
    out += name;
    open.push_back(Open{name, true, false});
  }

  void attribute(const char* name, const std::string& value) override {
    out += ' ';
    out += name;
    out += "=\"";
    appendEscaped(out, value, true);
    out += '"';
  }

  void text(const std::string& value) override {
    Open& e = open.back();
    if (e.tagOpen) out += '>';
    e.tagOpen = false;
    appendEscaped(out, value, false);
  }

  void endElement() override {
    Open& e = open.back();
    const size_t depth = open.size() - 1;
    if (e.tagOpen) {
      out += "/>";
    } else {
      if (e.hasChildren) {
        out += depth == 0 ? "\n\n" : "\n";
        out.append(2 * depth, ' ');
      }
      out += "</";
      out += e.name;
      out += '>';
    }
    open.pop_back();
    if (open.empty()) out += '\n';
    if (out.size() >= kFlushSize) flush();
  }

  void flush() {
    if (!file.write(out)) throw std::runtime_error("Cannot write the file.");
    out.clear();
  }

  bool complete() const { return open.empty(); }

 private:
  struct Open {
    std::string name;
    bool tagOpen;
    bool hasChildren;
  };
  AtomicFile& file;
  std::string out;
  std::vector<Open> open;
};

}  // namespace

bool writeXmlFile(const std::string& path, const std::function<void(XmlSink&)>& fill) {
  AtomicFile file(path);
  if (!file.ok()) return false;
  try {
    FileSink sink(file);
    fill(sink);
    if (!sink.complete()) return false;
    sink.flush();
  } catch (...) {
    return false;
  }
  return file.commit();
}

}  // namespace kalo_toolkit::util
