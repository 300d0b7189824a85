#pragma once

// The model page: one HTML file holding the model, its mesh files, the export
// report, the mass-property audit and the viewer's script; it opens from disk
// with no network access and is byte-identical for the same input.

#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>

namespace kalo_toolkit {
class ZoltModel;
}

namespace kalo_view {

struct PageOptions {
  /// Mesh folder and scale, as for the export (the meshes are read from there).
  std::string meshDir;
  double meshScale = 0.0;
  /// Settings file with the joints' ranges and home values (kalo-export's --joints); empty: none.
  std::string jointsFile;
  /// Lines of the conversion that made the model (kalo-convert --to html), shown before the export's.
  std::vector<std::string> conversionReport;
  /// The settings as JSON text, for callers that hold them in memory; used when jointsFile is empty.
  std::string jointsText;
  /// Folder relative mesh references are checked from in the export's report lines (the page's own
  /// folder when it is written to a file, as an MJCF file beside it would be); empty: the current folder.
  std::string reportFolder;
};

struct PageResult {
  int code = 0;                     ///< 0 written, 1 failed (nothing written)
  std::string error;                ///< names the file, body or joint
  std::vector<std::string> report;  ///< the export's report lines, the audit's after them
  size_t meshes = 0;                ///< mesh files embedded
};

/// The page's text for a model read from `modelPath` (named in the page).
PageResult pageText(const kalo_toolkit::ZoltModel& model, const PageOptions& options, std::string* html);

/// Writes the page through a temporary file that replaces `path` only when complete.
PageResult writePage(const kalo_toolkit::ZoltModel& model, const PageOptions& options,
                     const std::string& path);

/// The page's embedded data alone (JSON), as the viewer's script reads it.
PageResult pageData(const kalo_toolkit::ZoltModel& model, const PageOptions& options, std::string* json);

}  // namespace kalo_view
