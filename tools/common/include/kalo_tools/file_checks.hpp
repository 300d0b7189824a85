#pragma once

// The checks every tool makes before it reads or writes, so that no tool
// overwrites its own input or writes one format under another's name.
//
//   input of the wrong kind          exit 1, with a hint naming the tool that reads it
//   output is the input (also
//   through a link or a hard link)   exit 2, nothing written
//   output is a directory            exit 1, "is a directory"
//   output named for another format  exit 2 (refused, not warned: a file named .urdf
//                                    that holds MJCF misleads every later reader)
//   (.mjcf, .sdf, .urdf and .html/.htm each name their format; .xml takes any XML
//   format but no page; another or no extension is accepted)

#include <iosfwd>
#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>
#include <kalo_tools/file_kind.hpp>

namespace kalo_tools {

enum class OutputFormat { Multibody, Mjcf, Sdf, Urdf, Html };

/// What one run of a tool reads and writes.
struct ToolFiles {
  std::string tool;  ///< "kalo-export": the prefix of every message
  std::string input;
  FileKind inputKind = FileKind::Unknown;  ///< what the tool reads; Unknown: no check
  std::string output;                      ///< empty: the tool writes no file
  OutputFormat format = OutputFormat::Multibody;
  std::vector<std::string> otherOutputs;  ///< further files written (a JSON report), empty entries ignored
};

/// Runs the checks in the order above. Prints the first problem to `err` as
/// "<tool>: error: ..." and returns the exit status, or returns 0 to go on.
int checkToolFiles(const ToolFiles& files, std::ostream& err);

/// The simulator format an output name stands for: .mjcf, .sdf or .urdf; false otherwise
/// (.xml is MJCF's and the multibody file's, so it implies nothing).
bool simulatorFormatOfName(const std::string& output, kalo_toolkit::sim::Format* format);

/// "mjcf" -> OutputFormat::Mjcf, ... (the names --to takes, and "html"); false for another name.
bool outputFormatFromName(const std::string& name, OutputFormat* format);

/// The output format of a simulator export.
OutputFormat simulatorOutput(kalo_toolkit::sim::Format format);

}  // namespace kalo_tools
