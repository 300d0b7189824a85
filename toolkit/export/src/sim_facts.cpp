#include <kalo_toolkit/sim_facts.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

ExportResult exportFacts(const ZoltModel& model, const ExportOptions& options, ModelFacts* facts) {
  ExportResult result;
  try {
    if (!facts) throw ExportError("no facts given");
    const SimTree tree = buildSimTree(model, treeOptions(options));
    ModelFacts out;
    for (const SimLink& link : tree.links) {
      if (link.light) continue;
      out.bodies.push_back({link.name, link.modelMass, link.com});
      out.totalMass += link.modelMass;
    }
    out.floatingGroups = tree.floatingGroups;
    out.treeFreedoms = treeFreedoms(tree) - 6 * tree.floatingGroups;
    out.mobility = loopMobility(tree);
    for (const SimClosure& c : tree.closures) out.closures.push_back({c.name, c.point});
    *facts = std::move(out);
  } catch (const std::exception& e) {
    result.code = 1;
    result.error = e.what();
  }
  return result;
}

}  // namespace sim
}  // namespace kalo_toolkit
