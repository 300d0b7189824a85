#pragma once

// What kind of file a tool was given, from its first elements, so that a file
// of the wrong kind gets a hint naming what it is and which tool reads it
// instead of a bare "not readable".

#include <string>

namespace kalo_tools {

enum class FileKind {
  Unknown,       ///< unreadable, empty, or no kind the tools know
  CadXml,        ///< an assembly written by the CAD XML writer: kalo-convert's input
  MultibodyXml,  ///< a multibody model: kalo-export's and kalo-inspect's input
  Mjcf,
  Sdf,
  Urdf,
  Html,
};

/// The kind of the file at `path`, judged by its root element and, for the two
/// kalo formats (which share a root), the first element after the format version.
/// Reads at most the first 64 KiB.
FileKind sniffFileKind(const std::string& path);

/// "a CAD XML file", "an MJCF (MuJoCo) file", ...
std::string fileKindText(FileKind kind);

/// For a file of kind `found` given to a tool that reads `expected`: what the file
/// is and which tool reads it. Empty when the kind is the expected one or unknown
/// (the tool's reader then says what is wrong).
std::string wrongKindHint(const std::string& path, FileKind found, FileKind expected);

}  // namespace kalo_tools
