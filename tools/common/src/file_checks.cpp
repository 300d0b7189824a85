#include <kalo_tools/file_checks.hpp>

#include <filesystem>
#include <ostream>
#include <system_error>

namespace kalo_tools {
namespace {

namespace fs = std::filesystem;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

std::string extensionOf(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

const char* formatText(OutputFormat format) {
  switch (format) {
    case OutputFormat::Multibody:
      return "a multibody XML file";
    case OutputFormat::Mjcf:
      return "MJCF";
    case OutputFormat::Sdf:
      return "SDFormat";
    case OutputFormat::Urdf:
      return "URDF";
    case OutputFormat::Html:
      return "an HTML page";
  }
  return "";
}

const char* usualExtension(OutputFormat format) {
  switch (format) {
    case OutputFormat::Multibody:
      return ".xml";
    case OutputFormat::Mjcf:
      return ".mjcf or .xml";
    case OutputFormat::Sdf:
      return ".sdf or .xml";
    case OutputFormat::Urdf:
      return ".urdf or .xml";
    case OutputFormat::Html:
      return ".html";
  }
  return "";
}

/// Whether a file named with `ext` may hold `format`: its own extension, or one no format claims.
bool extensionFits(const std::string& ext, OutputFormat format) {
  const bool html = ext == ".html" || ext == ".htm";
  if (ext == ".mjcf") return format == OutputFormat::Mjcf;
  if (ext == ".sdf") return format == OutputFormat::Sdf;
  if (ext == ".urdf") return format == OutputFormat::Urdf;
  if (html) return format == OutputFormat::Html;
  // .xml names no one format: every XML format may go there, a page may not.
  if (ext == ".xml") return format != OutputFormat::Html;
  return true;
}

/// Whether the two names reach one file (a link, a hard link, another spelling).
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace

bool simulatorFormatOfName(const std::string& output, kalo_toolkit::sim::Format* format) {
  const std::string ext = extensionOf(output);
  return ext.size() > 1 && ext != ".xml" && kalo_toolkit::sim::formatFromName(ext.substr(1), format);
}

bool outputFormatFromName(const std::string& name, OutputFormat* format) {
  if (name == "mjcf")
    *format = OutputFormat::Mjcf;
  else if (name == "sdf")
    *format = OutputFormat::Sdf;
  else if (name == "urdf")
    *format = OutputFormat::Urdf;
  else if (name == "html")
    *format = OutputFormat::Html;
  else
    return false;
  return true;
}

OutputFormat simulatorOutput(kalo_toolkit::sim::Format format) {
  switch (format) {
    case kalo_toolkit::sim::Format::Sdf:
      return OutputFormat::Sdf;
    case kalo_toolkit::sim::Format::Urdf:
      return OutputFormat::Urdf;
    case kalo_toolkit::sim::Format::Mjcf:
      break;
  }
  return OutputFormat::Mjcf;
}

int checkToolFiles(const ToolFiles& files, std::ostream& err) {
  const std::string prefix = files.tool + ": error: ";
  const std::string hint = wrongKindHint(files.input, sniffFileKind(files.input), files.inputKind);
  if (!hint.empty()) {
    err << prefix << hint << "\n";
    return kExitFailure;
  }
  std::vector<std::string> outputs;
  if (!files.output.empty()) outputs.push_back(files.output);
  for (const std::string& other : files.otherOutputs)
    if (!other.empty()) outputs.push_back(other);
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (sameFile(outputs[i], files.input)) {
      err << prefix << "'" << outputs[i] << "' is the input file '" << files.input
          << "': refusing to write over it (name another output file)\n";
      return kExitUsage;
    }
    for (size_t j = 0; j < i; ++j) {
      if (outputs[i] == outputs[j] || sameFile(outputs[i], outputs[j])) {
        err << prefix << "'" << outputs[i] << "' is named for two outputs: refusing to write it twice\n";
        return kExitUsage;
      }
    }
    std::error_code ec;
    if (fs::is_directory(outputs[i], ec)) {
      err << prefix << "cannot write '" << outputs[i] << "': is a directory\n";
      return kExitFailure;
    }
  }
  if (!files.output.empty() && !extensionFits(extensionOf(files.output), files.format)) {
    err << prefix << "'" << files.output << "' is named as another format's file, but "
        << formatText(files.format) << " would be written; name it " << usualExtension(files.format)
        << " (or choose the format its name says)\n";
    return kExitUsage;
  }
  return 0;
}

}  // namespace kalo_tools
