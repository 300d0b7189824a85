// Feeds arbitrary bytes to the multibody file reader as a file, then writes
// and simplifies whatever model it accepts, so that every object the reader
// can produce also goes through the writer and the simplifier.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace {

std::string inputPath;
std::string outputPath;

std::string makeTempFile(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  std::string templ = std::string(dir && *dir ? dir : "/tmp") + "/kalo_fuzz_XXXXXX" + suffix;
  const int fd = mkstemps(&templ[0], static_cast<int>(std::char_traits<char>::length(suffix)));
  if (fd < 0) std::abort();
  close(fd);
  return templ;
}

void removeTempFiles() {
  std::remove(inputPath.c_str());
  std::remove(outputPath.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  inputPath = makeTempFile(".xml");
  outputPath = makeTempFile(".out.xml");
  std::atexit(removeTempFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(inputPath.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

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
