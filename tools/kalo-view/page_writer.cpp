#include "page_writer.hpp"

#include <kalo_toolkit/atomic_file.hpp>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

#include <unistd.h>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/mass_audit.hpp>
#include <kalo_toolkit/sim_view.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "json_writer.hpp"
#include "page_assets.hpp"

namespace kalo_view {

namespace {

// Mesh files larger than this are not embedded (the body is drawn as its box).
constexpr std::streamoff kMaxMeshBytes = std::streamoff{64} << 20;

/// Compact JSON with numbers in their shortest exact form, so the page
/// computes with the very doubles the export wrote.
class Json {
 public:
  Json& raw(const std::string& s) {
    out_ += s;
    return *this;
  }
  Json& str(const std::string& s) { return raw(kalo_convert::JsonWriter::quote(s)); }
  Json& num(double v) {
    if (!std::isfinite(v)) return raw("null");
    if (v == 0.0) return raw("0");
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return raw(std::string(buffer, r.ptr));
  }
  Json& vec(const std::array<double, 3>& v) {
    raw("[").num(v[0]).raw(",").num(v[1]).raw(",").num(v[2]);
    return raw("]");
  }
  /// A matrix stored column by column, written as rows.
  Json& rows(const std::array<double, 9>& m) {
    raw("[");
    for (int r = 0; r < 3; ++r) {
      if (r) raw(",");
      vec({m[static_cast<size_t>(r)], m[static_cast<size_t>(3 + r)], m[static_cast<size_t>(6 + r)]});
    }
    return raw("]");
  }
  Json& key(const std::string& k) { return str(k).raw(":"); }
  /// The text, safe inside an HTML script element: '<' only occurs in strings, as \u003c.
  std::string html() const {
    std::string s;
    for (char c : out_) s += c == '<' ? std::string("\\u003c") : std::string(1, c);
    return s;
  }
  const std::string& text() const { return out_; }

 private:
  std::string out_;
};

std::string base64(const std::string& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    for (int k = 18; k >= 0; k -= 6) out += digits[(v >> k) & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += digits[(v >> 18) & 63];
    out += digits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string extensionOf(const std::string& path) {
  const size_t dot = path.find_last_of('.'), slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string e = path.substr(dot + 1);
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return e;
}

/// The file's bytes when it is a mesh the page can read; false otherwise.
bool readMesh(const std::string& path, std::string* bytes) {
  const std::string kind = extensionOf(path);
  if (kind != "stl" && kind != "obj") return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > kMaxMeshBytes) return false;
  in.seekg(0);
  bytes->assign(static_cast<size_t>(size), '\0');
  return static_cast<bool>(in.read(&(*bytes)[0], size));
}

void writeDofs(Json& j, const std::vector<kalo_toolkit::sim::ViewDof>& dofs) {
  using kalo_toolkit::sim::ViewDof;
  j.raw("[");
  for (size_t i = 0; i < dofs.size(); ++i) {
    const ViewDof& d = dofs[i];
    if (i) j.raw(",");
    j.raw("{").key("name").str(d.name).raw(",").key("kind");
    j.str(d.kind == ViewDof::Slide ? "slide" : d.kind == ViewDof::Hinge ? "hinge" : "ball");
    j.raw(",").key("axis").vec(d.axis).raw(",").key("point").vec(d.point);
    j.raw(",").key("range");
    if (d.limited)
      j.raw("[").num(d.lower).raw(",").num(d.upper).raw("]");
    else
      j.raw("null");
    j.raw(",").key("home").num(d.home).raw("}");
  }
  j.raw("]");
}

/// The subsystem tree as the model holds it (what kalo-inspect lists), each body
/// with the flat name its link has in the export.
class TreeWriter {
 public:
  TreeWriter(const kalo_toolkit::sim::ViewTree& view, Json& j) : view_(view), j_(j) {}

  void write(const kalo_toolkit::Subsystem& s) {
    const int index = next_++;
    j_.raw("{").key("name").str(s.getName()).raw(",").key("bodies").raw("[");
    bool first = true;
    for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
      const auto ref = s.getBodyRefAt(i);
      if (!ref || !ref->getBody()) continue;
      if (!first) j_.raw(",");
      first = false;
      j_.raw("{")
          .key("name")
          .str(ref->getBody()->getName())
          .raw(",")
          .key("link")
          .str(linkOf(index, ref->getBody()->getName()))
          .raw("}");
    }
    j_.raw("],").key("joints").raw("[");
    first = true;
    for (size_t i = 0; i < s.getJointCount(); ++i) {
      const auto joint = s.getJointAt(i);
      if (!joint) continue;
      if (!first) j_.raw(",");
      first = false;
      j_.str(joint->getName());
    }
    j_.raw("],").key("subsystems").raw("[");
    first = true;
    for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
      const auto ref = s.getSubsystemRefAt(i);
      if (!ref || !ref->getSubsystem()) continue;
      if (!first) j_.raw(",");
      first = false;
      write(*ref->getSubsystem());
    }
    j_.raw("]}");
  }

 private:
  // Subsystems are numbered depth first, as the export numbers them; a body
  // named twice in one subsystem takes its links in order.
  std::string linkOf(int subsystem, const std::string& raw) {
    for (size_t i = 0; i < view_.links.size(); ++i) {
      const auto& l = view_.links[i];
      if (!l.light && l.subsystem == subsystem && l.rawName == raw && !taken_[i]) {
        taken_[i] = true;
        return l.name;
      }
    }
    return "";
  }

  const kalo_toolkit::sim::ViewTree& view_;
  Json& j_;
  int next_ = 0;
  std::map<size_t, bool> taken_;
};

PageResult buildData(const kalo_toolkit::ZoltModel& model, const PageOptions& options, Json* out) {
  using namespace kalo_toolkit::sim;
  PageResult result;
  ExportOptions exportOptions;
  exportOptions.format = Format::Mjcf;
  exportOptions.meshDir = options.meshDir;
  exportOptions.meshScale = options.meshScale;
  exportOptions.settingsFile = options.jointsFile;
  exportOptions.settingsText = options.jointsText;
  ViewTree view;
  const ExportResult exported = buildViewTree(model, exportOptions, &view, options.reportFolder);
  if (exported.code != 0) {
    result.code = exported.code;
    result.error = exported.error;
    return result;
  }
  std::vector<AuditLine> audit;
  std::string auditError;
  if (!auditMassProperties(model, AuditOptions{options.meshDir, options.meshScale}, &audit, &auditError)) {
    result.code = 1;
    result.error = auditError;
    return result;
  }
  result.report = exported.report;

  Json& j = *out;
  j.raw("{").key("format").num(1).raw(",").key("model").str(view.modelName);
  j.raw(",").key("subsystems").raw("[");
  for (size_t i = 0; i < view.subsystems.size(); ++i) {
    if (i) j.raw(",");
    j.raw("{")
        .key("name")
        .str(view.subsystems[i].rawName)
        .raw(",")
        .key("parent")
        .num(view.subsystems[i].parent)
        .raw("}");
  }
  j.raw("],").key("tree");
  if (model.getTopSubsystem()) {
    TreeWriter(view, j).write(*model.getTopSubsystem());
  } else {
    j.raw("null");
  }

  // Mesh files, each once however many bodies share it.
  std::map<std::string, int> meshIndex;
  std::vector<std::pair<std::string, std::string>> meshes;  // file, bytes
  j.raw(",").key("links").raw("[");
  for (size_t i = 0; i < view.links.size(); ++i) {
    const ViewLink& l = view.links[i];
    if (i) j.raw(",");
    j.raw("{").key("name").str(l.name).raw(",").key("rawName").str(l.rawName);
    j.raw(",").key("subsystem").num(l.subsystem).raw(",").key("parent").num(l.parent);
    j.raw(",").key("origin").vec(l.origin).raw(",").key("mass").num(l.mass).raw(",").key("com").vec(l.com);
    j.raw(",").key("inertia").rows(l.inertia);
    j.raw(",")
        .key("free")
        .raw(l.free ? "true" : "false")
        .raw(",")
        .key("moving")
        .raw(l.moving ? "true" : "false");
    j.raw(",").key("light").raw(l.light ? "true" : "false");
    j.raw(",").key("joint").str(l.jointName).raw(",").key("jointRawName").str(l.jointRawName);
    j.raw(",").key("color");
    if (l.hasColor)
      j.vec(l.color);
    else
      j.raw("null");
    j.raw(",").key("mesh");
    int index = -1;
    if (!l.meshFile.empty()) {
      const auto found = meshIndex.find(l.meshFile);
      std::string bytes;
      if (found != meshIndex.end()) {
        index = found->second;
      } else if (readMesh(l.meshFile, &bytes)) {
        index = static_cast<int>(meshes.size());
        meshIndex[l.meshFile] = index;
        meshes.emplace_back(l.meshFile, std::move(bytes));
      } else {
        meshIndex[l.meshFile] = -1;
      }
    }
    if (index < 0) {
      j.raw("null");
    } else {
      j.raw("{").key("index").num(index).raw(",").key("position").vec(l.meshPosition);
      j.raw(",").key("rotation").rows(l.meshRotation).raw(",").key("scale").num(l.meshScale).raw("}");
    }
    j.raw(",").key("dofs");
    writeDofs(j, l.dofs);
    j.raw("}");
  }
  j.raw("],").key("closures").raw("[");
  for (size_t i = 0; i < view.closures.size(); ++i) {
    const ViewClosure& c = view.closures[i];
    if (i) j.raw(",");
    j.raw("{").key("name").str(c.name).raw(",").key("rawName").str(c.rawName);
    j.raw(",")
        .key("subsystem")
        .num(c.subsystem)
        .raw(",")
        .key("link1")
        .num(c.link1)
        .raw(",")
        .key("link2")
        .num(c.link2);
    j.raw(",").key("point").vec(c.point).raw(",").key("dofs");
    writeDofs(j, c.dofs);
    j.raw("}");
  }
  j.raw("],").key("meshes").raw("[");
  for (size_t i = 0; i < meshes.size(); ++i) {
    if (i) j.raw(",");
    j.raw("{").key("file").str(meshes[i].first).raw(",").key("kind").str(extensionOf(meshes[i].first));
    j.raw(",").key("data").str(base64(meshes[i].second)).raw("}");
  }
  j.raw("],").key("conversion").raw("[");
  for (size_t i = 0; i < options.conversionReport.size(); ++i) {
    if (i) j.raw(",");
    j.str(options.conversionReport[i]);
  }
  j.raw("],").key("report").raw("[");
  for (size_t i = 0; i < exported.report.size(); ++i) {
    if (i) j.raw(",");
    j.str(exported.report[i]);
  }
  j.raw("],").key("audit").raw("[");
  for (size_t i = 0; i < audit.size(); ++i) {
    if (i) j.raw(",");
    j.raw("{").key("level").str(audit[i].level == AuditLevel::Error ? "error" : "warning");
    j.raw(",").key("body").str(audit[i].body).raw(",").key("text").str(auditLineText(audit[i])).raw("}");
  }
  j.raw("]}");
  result.meshes = meshes.size();
  return result;
}

std::string escapeHtml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void replaceOnce(std::string* text, const std::string& placeholder, const std::string& value) {
  const size_t at = text->find(placeholder);
  if (at != std::string::npos) text->replace(at, placeholder.size(), value);
}

}  // namespace

PageResult pageData(const kalo_toolkit::ZoltModel& model, const PageOptions& options, std::string* json) {
  Json j;
  PageResult result = buildData(model, options, &j);
  if (result.code == 0) *json = j.text();
  return result;
}

PageResult pageText(const kalo_toolkit::ZoltModel& model, const PageOptions& options, std::string* html) {
  Json j;
  PageResult result = buildData(model, options, &j);
  if (result.code != 0) return result;
  // The script goes in last: its text is ours and holds no placeholder, while
  // the data may hold any text.
  std::string page = pageTemplate();
  replaceOnce(&page, "@KALO_TITLE@", escapeHtml(model.getName()));
  const size_t script = page.find("@KALO_SCRIPT@");
  const std::string tail = script == std::string::npos ? "" : page.substr(script + 13);
  if (script != std::string::npos) page.resize(script);
  replaceOnce(&page, "@KALO_DATA@", j.html());
  *html = page + pageScript() + tail;
  return result;
}

PageResult writePage(const kalo_toolkit::ZoltModel& model, const PageOptions& options,
                     const std::string& path) {
  PageOptions beside = options;
  const size_t slash = path.rfind('/');
  beside.reportFolder = slash == std::string::npos ? std::string()
                        : slash == 0               ? std::string("/")
                                                   : path.substr(0, slash);
  std::string html;
  PageResult result = pageText(model, beside, &html);
  if (result.code != 0) return result;
  // Whole or not at all, through links too, and unique per call, as every writer of the system.
  std::string why;
  if (!kalo_toolkit::util::writeFileAtomically(path, html, &why)) {
    result.code = 1;
    result.error = "cannot write '" + path + "': " + why;
  }
  return result;
}

}  // namespace kalo_view
