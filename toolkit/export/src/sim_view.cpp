#include <kalo_toolkit/sim_view.hpp>

#include <kalo_toolkit/body.hpp>

#include <kalo_toolkit/sim_settings.hpp>

#include "joint_control.hpp"
#include "sim_body_index.hpp"
#include "sim_tree.hpp"
#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

std::vector<ViewDof> viewDofs(const std::vector<SimDof>& dofs) {
  std::vector<ViewDof> out;
  for (const SimDof& d : dofs) {
    ViewDof v;
    v.kind = d.kind == DofKind::Slide   ? ViewDof::Slide
             : d.kind == DofKind::Hinge ? ViewDof::Hinge
                                        : ViewDof::Ball;
    v.name = d.name;
    v.axis = d.axis;
    v.point = d.point;
    v.limited = d.control.limited;
    v.lower = d.control.lower;
    v.upper = d.control.upper;
    v.home = d.control.home;
    out.push_back(v);
  }
  return out;
}

}  // namespace

ExportResult buildViewTree(const ZoltModel& model, const ExportOptions& options, ViewTree* view,
                           const std::string& folder) {
  *view = ViewTree();
  // The report is the export's own, so run it; its text is not needed.
  std::string text;
  ExportResult result = exportTextIn(model, options, folder, &text);
  if (result.code != 0) return result;
  try {
    SimTree tree = buildSimTree(model, treeOptions(options));
    // Ranges and home values as the export chose them; the export above has read the settings.
    const SimSettings settings = settingsOf(options);
    applyJointControl(&tree, settings, options);
    const auto bodies = bodiesByLinkName(model);
    view->modelName = tree.modelName;
    for (const SimSubsystem& s : tree.subsystems) view->subsystems.push_back({s.rawName, s.parent});
    for (const SimLink& link : tree.links) {
      ViewLink v;
      v.name = link.name;
      v.rawName = link.rawName;
      v.subsystem = link.subsystem;
      v.parent = link.parent;
      v.origin = link.origin;
      v.mass = link.mass;
      v.com = link.com;
      v.inertia = link.inertia;
      v.dofs = viewDofs(link.dofs);
      v.free = link.free;
      v.moving = link.moving;
      v.light = link.light;
      v.jointName = link.jointName;
      v.jointRawName = link.jointRawName;
      v.jointSubsystem = link.jointSubsystem;
      if (link.hasMesh) {
        v.meshFile = link.mesh.file;
        v.meshPosition = link.mesh.position;
        v.meshRotation = link.mesh.rotation;
        v.meshScale = link.mesh.scale;
      }
      const auto body = link.light ? bodies.end() : bodies.find(link.name);
      if (body != bodies.end() && body->second->getColor()) {
        v.hasColor = true;
        for (size_t i = 0; i < 3; ++i) v.color[i] = body->second->getColor()->color[i];
      }
      view->links.push_back(std::move(v));
    }
    for (const SimClosure& c : tree.closures)
      view->closures.push_back({c.name, c.rawName, c.subsystem, c.link1, c.link2, c.point, viewDofs(c.dofs)});
  } catch (const SettingsError& e) {
    *view = ViewTree();
    result.code = 2;
    result.error = e.what();
    result.report.clear();
  } catch (const std::exception& e) {
    *view = ViewTree();
    result.code = 1;
    result.error = e.what();
    result.report.clear();
  }
  return result;
}

}  // namespace sim
}  // namespace kalo_toolkit
