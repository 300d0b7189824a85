#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

std::string writeUrdf(const SimTree&, std::vector<std::string>*) {
  throw ExportError("urdf export is not available yet");
}

}  // namespace sim
}  // namespace kalo_toolkit
