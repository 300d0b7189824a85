#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

std::string writeSdf(const SimTree&, std::vector<std::string>*) {
  throw ExportError("sdf export is not available yet");
}

}  // namespace sim
}  // namespace kalo_toolkit
