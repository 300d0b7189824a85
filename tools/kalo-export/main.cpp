// kalo-export: a kalo multibody XML file in, a simulator model (MJCF, SDFormat
// or URDF) out, the export report printed.

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "export_options.hpp"
#include "json_writer.hpp"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(const std::string& message) {
  std::cerr << "kalo-export: error: " << message << "\n";
  return kExitFailure;
}

std::string reportJson(const kalo_export::ExportCommand& command,
                       const kalo_toolkit::sim::ExportResult& result) {
  kalo_convert::JsonWriter json;
  json.beginObject();
  json.key("model");
  json.value(command.model);
  json.key("output");
  json.value(command.output);
  json.key("format");
  json.value(kalo_toolkit::sim::formatName(command.options.format));
  json.key("result");
  json.value(static_cast<long long>(result.code));
  json.key("error");
  json.value(result.error);
  json.key("report");
  json.beginArray();
  for (const std::string& line : result.report) json.value(line);
  json.endArray();
  json.endObject();
  return json.text() + "\n";
}

int run(const kalo_export::ExportCommand& command) {
  using namespace kalo_toolkit;
  std::error_code ec;
  if (std::filesystem::is_directory(command.model, ec))
    return fail("cannot open '" + command.model + "': is a directory");
  {
    std::ifstream probe(command.model, std::ios::binary);
    if (!probe) return fail("cannot open '" + command.model + "': " + std::strerror(errno));
  }
  KalotError readError = KALOT_SUCCESS;
  const auto model = ZoltModel::readFromXML(
      &readError, command.model, static_cast<MechanismSimplifier::Option>(command.options.simplify));
  if (!model)
    return fail("'" + command.model + "' is not a readable multibody XML file (" +
                util::fromErrorToStr(readError) + ")");

  const sim::ExportResult result = sim::exportToFile(*model, command.output, command.options);
  if (!command.reportJson.empty()) {
    std::ofstream json(command.reportJson, std::ios::binary | std::ios::trunc);
    json << reportJson(command, result);
    json.close();
    if (!json) return fail("cannot write the JSON report '" + command.reportJson + "'");
  }
  if (result.code == 2) {
    std::cerr << "kalo-export: error: " << result.error << "\n";
    return kExitUsage;
  }
  if (result.code != 0) {
    // Errors of the model itself name a body or joint; say which file they are in.
    const bool namesOutput = result.error.find("'" + command.output + "'") != std::string::npos;
    return fail(namesOutput ? result.error : "'" + command.model + "': " + result.error);
  }
  for (const std::string& line : result.report) std::cout << line << "\n";
  std::cout << "Wrote " << command.output << " (" << sim::formatName(command.options.format) << "), "
            << result.report.size() << " report line" << (result.report.size() == 1 ? "" : "s") << ".\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  kalo_export::ExportCommand command;
  std::string error;
  if (!kalo_export::parseExportCommand(args, command, error)) {
    std::cerr << "kalo-export: " << error << "\n"
              << "Try 'kalo-export --help'.\n";
    return kExitUsage;
  }
  if (command.help) {
    std::cout << kalo_export::exportUsage();
    return 0;
  }
  try {
    return run(command);
  } catch (const std::exception& e) {
    return fail(std::string("export failed: ") + e.what());
  } catch (...) {
    return fail("export failed");
  }
}
