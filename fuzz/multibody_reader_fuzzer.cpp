// Feeds arbitrary bytes to the multibody file reader as a file, then writes
// and simplifies whatever model it accepts, so that every object the reader
// can produce also goes through the writer and the simplifier.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "fuzz_support.hpp"

namespace {

std::string inputPath;
std::string outputPath;

void removeTempFiles() {
  std::remove(inputPath.c_str());
  std::remove(outputPath.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  inputPath = kalo_fuzz::makeTempFile(".xml");
  outputPath = kalo_fuzz::makeTempFile(".out.xml");
  std::atexit(removeTempFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kalo_fuzz::writeFile(inputPath, data, size);

  using namespace kalo_toolkit;
  KalotError error = KALOT_GENERIC_FAILURE;
  boost::shared_ptr<ZoltModel> model = ZoltModel::readFromXML(&error, inputPath, MechanismSimplifier::None);
  if ((error == KALOT_SUCCESS) != static_cast<bool>(model)) std::abort();  // code and result must agree
  if (!model) return 0;

  const int written = model->writeToXML(outputPath);
  if (written != KALOT_SUCCESS && written != KALOT_XML_READ_ERROR) std::abort();
  if (written == KALOT_SUCCESS) {
    // What the writer produced must read back.
    boost::shared_ptr<ZoltModel> again =
        ZoltModel::readFromXML(&error, outputPath, MechanismSimplifier::None);
    if (!again) std::abort();
  }
  MechanismSimplifier simplifier(model->getTopSubsystem(), MechanismSimplifier::FlattenAndGroup);
  model->writeToXML(outputPath);
  return 0;
}
