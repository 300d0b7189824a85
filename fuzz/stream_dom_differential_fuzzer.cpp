// Reads every input through the streaming path (compact document, streaming
// writer) and the DOM path (hardened DOM parser, element-level readers and
// writers, the library's serializer) and fails on any difference: in the
// result or failure text of the read, in the result of the write, or in the
// bytes written.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <kalo_toolkit/xml_session.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "../toolkit/multibody/src/zolt_model_file_paths.hpp"

namespace {

// The three files live in a folder of their own, removed at exit.
std::string folder;
std::string inputPath;
std::string streamOutput;
std::string domOutput;

void removeFolder() {
  for (const std::string* p : {&inputPath, &streamOutput, &domOutput}) std::remove(p->c_str());
  rmdir(folder.c_str());
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  const char* tmp = std::getenv("TMPDIR");
  folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalo_diff_XXXXXX";
  if (mkdtemp(&folder[0]) == nullptr) std::abort();
  inputPath = folder + "/input.xml";
  streamOutput = folder + "/stream.xml";
  domOutput = folder + "/dom.xml";
  std::atexit(removeFolder);
  // The library is started once for the process, not for every input.
  kalo_toolkit::util::s_startXmlLibraryOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!std::ofstream(inputPath, std::ios::binary).write(reinterpret_cast<const char*>(data), size)) {
    std::abort();
  }
  using namespace kalo_toolkit;
  std::string streamFailure, domFailure;
  boost::shared_ptr<ZoltModel> streamed, built;
  streamed = detail::readStreaming(inputPath, streamFailure);
  built = detail::readThroughDom(inputPath, domFailure);
  if (static_cast<bool>(streamed) != static_cast<bool>(built)) std::abort();
  if (streamFailure != domFailure) std::abort();
  if (!streamed) return 0;

  const int streamWritten = streamed->writeToXML(streamOutput);
  const int domWritten = detail::writeThroughDom(*built, domOutput);
  if (streamWritten != domWritten) std::abort();
  if (streamWritten == KALOT_SUCCESS && slurp(streamOutput) != slurp(domOutput)) std::abort();
  return 0;
}
