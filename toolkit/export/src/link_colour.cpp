#include "link_colour.hpp"

#include <algorithm>
#include <cmath>

#include <kalo_toolkit/body.hpp>

namespace kalo_toolkit {
namespace sim {

void readColour(const Body& body, SimLink* link, std::vector<std::string>* report) {
  const kalot_vis_mat_prop* material = body.getColor();
  if (!material) return;
  const double values[4] = {material->color[0], material->color[1], material->color[2],
                            1.0 - material->transparency};
  bool clamped = false;
  for (int i = 0; i < 4; ++i) {
    if (!std::isfinite(values[i])) {
      report->push_back("body '" + link->name +
                        "': its material colour is not a finite number; written without colour");
      return;
    }
    const double v = std::clamp(values[i], 0.0, 1.0);
    clamped = clamped || v != values[i];
    link->rgba[static_cast<size_t>(i)] = v;
  }
  link->hasColour = true;
  if (clamped)
    report->push_back("body '" + link->name +
                      "': material colour or transparency outside 0..1; clamped to it");
}

}  // namespace sim
}  // namespace kalo_toolkit
