// Feeds arbitrary bytes to the multibody file reader as a file and exports
// whatever model it accepts to every simulator format, so that every model the
// reader can produce goes through the export. An export either writes a
// well-formed file or refuses with a reason, gives the same text every time,
// and writes to a file what it gives as text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/xml_session.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "fuzz_support.hpp"

namespace {

std::string inputPath;
std::string textPath;
std::string filePath;

// What a deep model includes beside the file: "<stem>.bodies-N.xml".
std::string includedFile(int n) {
  return filePath.substr(0, filePath.rfind('.')) + ".bodies-" + std::to_string(n) + ".xml";
}

void removeTempFiles() {
  std::remove(inputPath.c_str());
  std::remove(textPath.c_str());
  std::remove(filePath.c_str());
  for (int n = 1; std::remove(includedFile(n).c_str()) == 0; ++n) {
  }
}

bool wellFormed(const std::string& text) {
  kalo_fuzz::writeFile(textPath, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  kalo_toolkit::util::SecureDomParser parser;
  std::string message;
  return parser.parseFile(textPath, message) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  kalo_toolkit::util::s_startXmlLibraryOnce();
  inputPath = kalo_fuzz::makeTempFile(".xml");
  textPath = kalo_fuzz::makeTempFile(".text.xml");
  filePath = kalo_fuzz::makeTempFile(".mjcf");
  std::atexit(removeTempFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kalo_fuzz::writeFile(inputPath, data, size);

  using namespace kalo_toolkit;
  KalotError error = KALOT_GENERIC_FAILURE;
  const boost::shared_ptr<ZoltModel> model =
      ZoltModel::readFromXML(&error, inputPath, MechanismSimplifier::None);
  if (!model) return 0;

  // The input's last byte picks the options, so boxes, a fixed base and sensors are reached too.
  const uint8_t pick = size > 0 ? data[size - 1] : 0;
  for (const sim::Format format : {sim::Format::Mjcf, sim::Format::Sdf, sim::Format::Urdf}) {
    sim::ExportOptions options;
    options.format = format;
    options.collision = pick & 1   ? sim::Collision::Box
                        : pick & 2 ? sim::Collision::None
                                   : sim::Collision::Mesh;
    options.fixedBase = (pick & 4) != 0;
    options.sensors = (pick & 8) != 0;
    options.floor = (pick & 16) != 0;
    std::string text, again;
    const sim::ExportResult first = sim::exportToString(*model, options, &text);
    FUZZ_CHECK(first.code == 0 || first.code == 1, "an export without settings writes or refuses");
    FUZZ_CHECK(first.code == 0 || !first.error.empty(), "a refusal says why");
    const sim::ExportResult second = sim::exportToString(*model, options, &again);
    FUZZ_CHECK(second.code == first.code && again == text && second.report == first.report,
               "one model exports to one text and report");
    if (first.code != 0) continue;
    FUZZ_CHECK(wellFormed(text), "the exported text is well-formed XML");
    if (format != sim::Format::Mjcf) continue;
    // The file route gives the same text, unless the bodies nest too deep for one file.
    const sim::ExportResult written = sim::exportToFile(*model, filePath, options);
    FUZZ_CHECK(written.code == 0, "what exports as text exports to a file");
    std::string bytes;
    FUZZ_CHECK(kalo_fuzz::readFile(filePath, bytes), "the exported file is there");
    if (bytes.find("<include file=") == std::string::npos) {
      FUZZ_CHECK(bytes == text, "the file holds the exported text");
    } else {
      for (int n = 1; kalo_fuzz::readFile(includedFile(n), bytes); ++n)
        FUZZ_CHECK(wellFormed(bytes), "an included file is well-formed XML");
    }
  }
  return 0;
}
