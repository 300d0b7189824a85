// The measurement behind the choice of parser for the streaming reader: CPU
// time of a bare parse (no model built) of one synthetic multibody file by the
// XML library's SAX2 interface and by pugixml, beside `xmllint --noout`, and
// the peak memory of each, every one in a child process of its own.
//
//   kalo_parser_choice_bench [N]        (default 50000 bodies)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <pugixml.hpp>
#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "synthetic_model.hpp"

namespace {

struct Result {
  double cpu = -1;
  long peakKiB = 0;
};

double cpuOf(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Runs `parse` in a child; its CPU time (children included) and peak memory.
template <typename F>
Result inChild(F parse) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const double start = cpuOf(RUSAGE_SELF) + cpuOf(RUSAGE_CHILDREN);
    Result r;
    const bool ok = parse();
    r.cpu = ok ? cpuOf(RUSAGE_SELF) + cpuOf(RUSAGE_CHILDREN) - start : -1;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    r.peakKiB = u.ru_maxrss;
    rusage c{};
    getrusage(RUSAGE_CHILDREN, &c);
    if (c.ru_maxrss > r.peakKiB) r.peakKiB = c.ru_maxrss;
    if (write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  Result r;
  if (pid < 0 || read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = Result{};
  close(fds[0]);
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  return r;
}

struct Counter : xercesc::DefaultHandler {
  size_t elements = 0;
  void startElement(const XMLCh*, const XMLCh*, const XMLCh*, const xercesc::Attributes&) override {
    ++elements;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 50000;
  const std::string path = "/tmp/kalo_parser_choice_" + std::to_string(getpid()) + ".xml";
  // Written in a child too, so that no parse inherits the model's memory.
  if (inChild([&] { return kalo_bench::makeSyntheticModel(n)->writeToXML(path) == 0; }).cpu < 0) return 1;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const double mib = static_cast<double>(in.tellg()) / (1024.0 * 1024.0);

  const Result sax = inChild([&] {
    xercesc::XMLPlatformUtils::Initialize();
    bool ok = false;
    {
      std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
      reader->setFeature(xercesc::XMLUni::fgSAX2CoreNameSpaces, false);
      Counter counter;
      reader->setContentHandler(&counter);
      reader->setErrorHandler(&counter);
      XMLCh* name = xercesc::XMLString::transcode(path.c_str());
      reader->parse(xercesc::LocalFileInputSource(name));
      xercesc::XMLString::release(&name);
      ok = counter.elements > 0;
    }
    xercesc::XMLPlatformUtils::Terminate();
    return ok;
  });
  const Result pugi = inChild([&] {
    pugi::xml_document doc;
    return static_cast<bool>(doc.load_file(path.c_str(), pugi::parse_default | pugi::parse_doctype));
  });
  const Result lint = inChild([&] { return std::system(("xmllint --noout '" + path + "'").c_str()) == 0; });
  std::remove(path.c_str());

  std::printf("bare parse of a %d-body file (%.1f MiB): CPU seconds, peak MiB, CPU relative to xmllint\n", n,
              mib);
  const auto row = [&](const char* name, const Result& r) {
    std::printf("  %-22s %7.3f s %8.1f MiB %6.2f\n", name, r.cpu, r.peakKiB / 1024.0,
                lint.cpu > 0 ? r.cpu / lint.cpu : 0.0);
  };
  row("SAX2 (XML library)", sax);
  row("pugixml (in place)", pugi);
  row("xmllint --noout", lint);
  return 0;
}
