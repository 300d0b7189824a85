// kalo-convert: CAD XML file in, multibody XML file out, report printed.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <kalo_toolkit/atomic_file.hpp>
#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include <kalo_tools/file_checks.hpp>
#include <kalo_tools/tool_version.hpp>

#include "conversion_report.hpp"
#include "convert_options.hpp"
#include "page_writer.hpp"
#include "reference_node_ids.hpp"
#include "step_input.hpp"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(const std::string& message) {
  std::cerr << "kalo-convert: error: " << message << "\n";
  return kExitFailure;
}

int run(kalo_convert::ConvertOptions& options, const kalo_convert::StepArgs& step) {
  using namespace kalo_toolkit;
  if (const int status = kalo_tools::checkToolFiles(
          {"kalo-convert",
           options.input,
           kalo_tools::FileKind::CadXml,
           options.output,
           options.toPage        ? kalo_tools::OutputFormat::Html
           : options.toSimulator ? kalo_tools::simulatorOutput(options.simulatorFormat)
                                 : kalo_tools::OutputFormat::Multibody,
           {options.reportJson, step.matesOut}},
          std::cerr))
    return status;

  {
    std::ifstream probe(options.input, std::ios::binary);
    if (!probe) return fail("cannot open '" + options.input + "': " + std::strerror(errno));
  }
  boost::shared_ptr<CadModel> top;
  if (kalo_convert::isStepFile(options.input)) {
    std::string importReport, error;
    top = kalo_convert::importStepInput(step, options, importReport, error);
    if (!top) return fail(error);
    std::cout << importReport;
    if (step.toCadXml) {
      if (top->writeToXML(options.output) != KALOT_SUCCESS)
        return fail("cannot write '" + options.output + "'");
      std::cout << "Wrote " << options.output << " (CAD XML).\n";
      return 0;
    }
  } else {
    KalotError readError = KALOT_SUCCESS;
    std::string reason;
    top = CadModel::readContentFromXML(&readError, options.input, &reason);
    if (!top)
      return fail("'" + options.input + "'" + (reason.rfind("line ", 0) == 0 ? " " : ": ") + reason + " (" +
                  util::fromErrorToStr(readError) + ")");
  }

  const std::string name = !options.modelName.empty() ? options.modelName
                           : !top->getName().empty()  ? top->getName()
                                                      : std::string("Model");
  kalo_convert::assignReferenceNodeIDs(top, name);

  s_getDefaultCadUnit()->set(options.massUnit, options.lengthUnit);
  Cad2Zolt converter(top, options.createdUsing,
                     options.createdFrom.empty() ? options.input : options.createdFrom, options.createdOn,
                     options.createdBy, name);
  converter.setTolerances(options.linearTolerance, options.angularTolerance, options.thirdTolerance);

  std::string report;
  int result = KALOT_SUCCESS;
  std::vector<std::string> exportReport;
  bool checksFailed = false;
  if (options.toSimulator) {
    // Straight to the simulator: the converted model is exported without a multibody file between.
    result = converter.convertToZoltModel();
    if (result != KALOT_SUCCESS)
      return fail("cannot convert '" + options.input + "' (" +
                  util::fromErrorToStr(static_cast<KalotError>(result)) + ")");
    sim::ExportOptions exportOptions = options.exportOptions;
    exportOptions.format = options.simulatorFormat;
    // As kalo-export does while reading a multibody file, so both routes give one model.
    if (exportOptions.simplify != MechanismSimplifier::None)
      MechanismSimplifier(converter.getZoltModel()->getTopSubsystem(),
                          static_cast<MechanismSimplifier::Option>(exportOptions.simplify));
    sim::ExportResult exported;
    if (options.toPage) {
      kalo_view::PageOptions pageOptions{exportOptions.meshDir,      exportOptions.meshScale,
                                         exportOptions.settingsFile, {},
                                         exportOptions.settingsText, {}};
      // The conversion's report text, one line each, goes on the page beside the export's.
      std::istringstream conversion(converter.getConversionMessage());
      for (std::string line; std::getline(conversion, line);)
        if (!line.empty()) pageOptions.conversionReport.push_back(line);
      const kalo_view::PageResult page =
          kalo_view::writePage(*converter.getZoltModel(), pageOptions, options.output);
      exported.code = page.code;
      exported.error = page.error;
      exported.report = page.report;
    } else {
      exported = sim::exportChecked(*converter.getZoltModel(), options.output, exportOptions);
    }
    if (exported.code == 2) {
      // Settings that do not fit the model are a usage error, as in kalo-export.
      std::cerr << "kalo-convert: error: " << exported.error << "\n";
      return kExitUsage;
    }
    if (exported.code != 0 && exported.code != sim::kCheckFailed) return fail(exported.error);
    checksFailed = exported.code == sim::kCheckFailed;
    report = converter.getConversionMessage();
    if (!report.empty()) result = KALOT_UNHANDLED_CONSTRAINT;
    exportReport = exported.report;
  } else {
    result = converter.writeToXML(report, options.output);
    if (result != KALOT_SUCCESS && result != KALOT_UNHANDLED_CONSTRAINT)
      return fail("cannot write '" + options.output + "' (" +
                  util::fromErrorToStr(static_cast<KalotError>(result)) + ")");
  }

  std::cout << report;
  for (const std::string& line : converter.getConversionNotes()) std::cout << line << "\n";
  for (const std::string& line : exportReport) std::cout << line << "\n";
  size_t welded = 0;
  for (const Cad2Zolt::PairRecord& pair : converter.getPairRecords())
    welded += pair.status == KALOT_UNHANDLED_CONSTRAINT ? 1 : 0;
  std::cout << "Wrote " << options.output;
  if (options.toSimulator) std::cout << " (" << kalo_convert::outputFormatName(options) << ")";
  std::cout << ": " << converter.getPairRecords().size() << " constrained pairs, " << welded << " welded.\n";

  if (!options.reportJson.empty()) {
    std::string why;
    if (!util::writeFileAtomically(
            options.reportJson, kalo_convert::conversionReportJson(converter, options, result, exportReport),
            &why))
      return fail("cannot write the JSON report '" + options.reportJson + "': " + why);
  }
  if (checksFailed) {
    std::cerr << "kalo-convert: '" << options.output << "' is written but fails the MuJoCo checks above\n";
    return sim::kCheckFailed;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A file size limit then fails the write (EFBIG, reported) instead of killing the tool.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (kalo_tools::asksForVersion(args)) {
    std::cout << kalo_tools::versionText("kalo-convert");
    return 0;
  }
  kalo_convert::ConvertOptions options;
  kalo_convert::StepArgs step;
  std::string error;
  if (!kalo_convert::takeStepOptions(args, step, error) ||
      !kalo_convert::parseConvertOptions(args, options, error) ||
      !kalo_convert::applyStepOptions(step, options, error)) {
    std::cerr << "kalo-convert: " << error << "\n"
              << "Try 'kalo-convert --help'.\n";
    return kExitUsage;
  }
  if (options.help) {
    std::cout << kalo_convert::convertUsage() << "\n" << kalo_convert::stepUsage();
    return 0;
  }
  try {
    return run(options, step);
  } catch (const std::exception& e) {
    return fail(std::string("conversion failed: ") + e.what());
  } catch (...) {
    return fail("conversion failed");
  }
}
