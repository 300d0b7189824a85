#pragma once

// Command line of kalo-convert.

#include <string>
#include <vector>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/sim_export.hpp>

namespace kalo_convert {

struct ConvertOptions {
  std::string input;
  std::string output;
  KalotMassUnit massUnit = KALOT_MASS_KG;
  KalotLengthUnit lengthUnit = KALOT_LENGTH_M;
  double linearTolerance = 1e-5;
  double angularTolerance = 1e-5;
  double thirdTolerance = 1e-12;
  std::string createdUsing = "kalo-convert";
  std::string createdFrom;  ///< empty: the input path
  std::string createdOn;
  std::string createdBy;
  std::string modelName;     ///< empty: the top definition's name
  std::string reportJson;    ///< empty: no machine-readable report
  bool toSimulator = false;  ///< --to given: write a simulator model instead of a multibody XML file
  bool toPage = false;       ///< --to html: write the model page (kalo-view) instead
  kalo_toolkit::sim::Format simulatorFormat = kalo_toolkit::sim::Format::Mjcf;
  kalo_toolkit::sim::ExportOptions exportOptions;  ///< the simulator export's options (format aside)
  bool help = false;
};

/// Parses the arguments after the program name. Returns false with a message
/// naming the offending argument when they are not usable.
bool parseConvertOptions(const std::vector<std::string>& args, ConvertOptions& options, std::string& error);

/// The text of --help.
std::string convertUsage();

/// The name of what --to writes: "html" for the page, else the simulator format's name.
std::string outputFormatName(const ConvertOptions& options);

}  // namespace kalo_convert
