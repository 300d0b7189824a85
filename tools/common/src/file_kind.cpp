#include <kalo_tools/file_kind.hpp>

#include <cctype>
#include <fstream>
#include <vector>

namespace kalo_tools {
namespace {

/// The names of the first `count` elements of an XML (or HTML) text, skipping
/// the declaration, comments, processing instructions and a DOCTYPE.
std::vector<std::string> firstElements(const std::string& text, size_t count) {
  std::vector<std::string> names;
  size_t at = 0;
  while (names.size() < count) {
    at = text.find('<', at);
    if (at == std::string::npos || at + 1 >= text.size()) break;
    const char next = text[at + 1];
    if (text.compare(at, 4, "<!--") == 0) {
      const size_t end = text.find("-->", at + 4);
      if (end == std::string::npos) break;
      at = end + 3;
      continue;
    }
    if (next == '!' || next == '?' || next == '/') {
      // A DOCTYPE names the root: "<!DOCTYPE html>".
      if (text.compare(at, 9, "<!DOCTYPE") == 0 || text.compare(at, 9, "<!doctype") == 0) {
        size_t i = at + 9;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        size_t j = i;
        while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_')) ++j;
        if (j > i) names.push_back(text.substr(i, j - i));
      }
      ++at;
      continue;
    }
    size_t end = at + 1;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) && text[end] != '>' &&
           text[end] != '/')
      ++end;
    names.push_back(text.substr(at + 1, end - at - 1));
    at = end;
  }
  return names;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

FileKind sniffFileKind(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileKind::Unknown;
  std::string head(64 * 1024, '\0');
  in.read(&head[0], static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  const std::vector<std::string> names = firstElements(head, 3);
  if (names.empty()) return FileKind::Unknown;
  const std::string root = lower(names[0]);
  if (root == "mujoco") return FileKind::Mjcf;
  if (root == "sdf") return FileKind::Sdf;
  if (root == "robot") return FileKind::Urdf;
  if (root == "html") return FileKind::Html;
  if (names[0] != "OmbraXMLFile") return FileKind::Unknown;
  // Both kalo formats open with the format version; an assembly goes on with its definition.
  for (size_t i = 1; i < names.size(); ++i) {
    if (names[i] == "formatVersion") continue;
    return names[i] == "CadModel" ? FileKind::CadXml : FileKind::MultibodyXml;
  }
  return FileKind::Unknown;
}

std::string fileKindText(FileKind kind) {
  switch (kind) {
    case FileKind::CadXml:
      return "a CAD XML file (an assembly)";
    case FileKind::MultibodyXml:
      return "a multibody XML file";
    case FileKind::Mjcf:
      return "an MJCF (MuJoCo) file";
    case FileKind::Sdf:
      return "an SDFormat file";
    case FileKind::Urdf:
      return "a URDF file";
    case FileKind::Html:
      return "an HTML page";
    case FileKind::Unknown:
      break;
  }
  return "a file of unknown kind";
}

std::string wrongKindHint(const std::string& path, FileKind found, FileKind expected) {
  if (found == expected || found == FileKind::Unknown || expected == FileKind::Unknown) return std::string();
  const std::string is =
      "'" + path + "' is " + fileKindText(found) + ", not " + fileKindText(expected) + "; ";
  switch (found) {
    case FileKind::CadXml:
      return is + "kalo-convert reads it (kalo-convert " + path +
             " model.xml for a multibody file, or with --to mjcf|sdf|urdf for a simulator model)";
    case FileKind::MultibodyXml:
      return is + "kalo-export writes it as a simulator model and kalo-inspect prints it";
    case FileKind::Mjcf:
      return is +
             "a simulator file the kalo tools write but do not read; MuJoCo reads it. Give the CAD XML or "
             "multibody XML file it was made from";
    case FileKind::Sdf:
      return is +
             "a simulator file the kalo tools write but do not read; an SDFormat reader (libsdformat) "
             "reads it. Give the CAD XML or multibody XML file it was made from";
    case FileKind::Urdf:
      return is +
             "a simulator file the kalo tools write but do not read; a URDF reader (urdfdom) reads it. "
             "Give the CAD XML or multibody XML file it was made from";
    case FileKind::Html:
      return is + "a page for a web browser; the kalo tools write such pages but do not read them";
    case FileKind::Unknown:
      break;
  }
  return std::string();
}

}  // namespace kalo_tools
