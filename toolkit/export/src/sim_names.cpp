#include "sim_names.hpp"

namespace kalo_toolkit {
namespace sim {

std::string legalName(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (unsigned char c : raw) {
    const bool legal = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-' || c == '.';
    out.push_back(legal ? static_cast<char>(c) : '_');
  }
  if (out.empty()) out = "unnamed";
  if (out.compare(0, 2, "__") == 0) out.insert(0, "n");
  if (out == "world") out = "world_";
  return out;
}

std::string NameTable::claim(const std::string& raw) {
  const std::string base = legalName(raw);
  std::string name = base;
  for (int n = 2; used_.count(name) != 0; ++n) name = base + "_" + std::to_string(n);
  used_.insert(name);
  return name;
}

}  // namespace sim
}  // namespace kalo_toolkit
