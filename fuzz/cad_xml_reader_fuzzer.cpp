// Feeds arbitrary bytes to the CAD XML content reader as a file. A model it
// accepts must be written with 0, and what was written must read back and be
// written again byte for byte (the reader inverts the writer), but for array
// values at the cleaning limit, which the rounding of their array's largest
// value may clean on the second write (round_trip_compare.hpp). The reader's
// hostile-file defences (no document type, no external resource, bounded
// nesting) keep every input within the fuzzer's time and memory limits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <kalo_toolkit/cad_model.hpp>

#include "fuzz_support.hpp"
#include "round_trip_compare.hpp"

namespace {

std::string inputPath, firstPath, secondPath;

void removeTempFiles() {
  for (const std::string* p : {&inputPath, &firstPath, &secondPath}) std::remove(p->c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  inputPath = kalo_fuzz::makeTempFile(".cad.xml");
  firstPath = kalo_fuzz::makeTempFile(".first.xml");
  secondPath = kalo_fuzz::makeTempFile(".second.xml");
  std::atexit(removeTempFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using kalo_toolkit::CadModel;
  kalo_fuzz::writeFile(inputPath, data, size);
  KalotError error = KALOT_GENERIC_FAILURE;
  const boost::shared_ptr<CadModel> model = CadModel::readContentFromXML(&error, inputPath);
  FUZZ_CHECK((error == KALOT_SUCCESS) == static_cast<bool>(model), "result code and model disagree");
  if (!model) return 0;

  std::remove(firstPath.c_str());
  FUZZ_CHECK(model->writeToXML(firstPath) == KALOT_SUCCESS, "an accepted model cannot be written");
  const boost::shared_ptr<CadModel> again = CadModel::readContentFromXML(&error, firstPath);
  FUZZ_CHECK(error == KALOT_SUCCESS && again, "a written CAD XML file does not read back");
  std::remove(secondPath.c_str());
  FUZZ_CHECK(again->writeToXML(secondPath) == KALOT_SUCCESS, "a model read back cannot be written");
  std::string first, second;
  kalo_fuzz::readFile(firstPath, first);
  kalo_fuzz::readFile(secondPath, second);
  const std::string difference = kalo_fuzz::roundTripDifference(first, second, kalo_fuzz::keptAsWritten);
  if (!difference.empty()) std::fprintf(stderr, "%s\n", difference.c_str());
  FUZZ_CHECK(difference.empty(), "a CAD XML file read back is written differently");
  return 0;
}
