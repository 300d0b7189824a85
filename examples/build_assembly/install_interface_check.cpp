// Compiles against the installed headers as a C++ program: the umbrella header of the toolkit and the
// plug-in C header together, and uses both libraries.
#include <kalo_api/kalo_api.h>
#include <kalo_toolkit/kalo_toolkit.hpp>

#include <cstdio>
#include <string>

#include <boost/make_shared.hpp>

int main(int argc, char** argv) {
  using namespace kalo_toolkit;
  auto top = boost::make_shared<CadModel>("Top", 1.0, nullptr, nullptr, 0.0, 0.0, "top.step", nullptr);
  auto part = boost::make_shared<CadModel>("Part", 2.0, nullptr, nullptr, 0.0, 0.0, "part.step", nullptr);
  for (int i = 0; i < 2; ++i) {
    top->addCadModelRef(
        boost::make_shared<CadModelRef>("part", "", part, nullptr, nullptr, 1.0, false, false, nullptr));
  }
  const std::string second = top->getChildModelAt(1)->getDisplayName();
  if (second != "part-1") {
    std::fprintf(stderr, "unexpected display name %s\n", second.c_str());
    return 1;
  }
  const std::string file = std::string(argc > 1 ? argv[1] : ".") + "/install_interface_check.xml";
  if (top->writeToXML(file) != KALOT_SUCCESS) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return 1;
  }
  KalotError error = KALOT_GENERIC_FAILURE;
  if (!CadModel::readContentFromXML(&error, file) || error != KALOT_SUCCESS) {
    std::fprintf(stderr, "cannot read %s back\n", file.c_str());
    return 1;
  }
  if (kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M) != 0) return 1;
  std::printf("C++ consumer: %s written and read back\n", file.c_str());
  return 0;
}
