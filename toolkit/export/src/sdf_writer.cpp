// SDFormat 1.9: one <model> per subsystem, nested as the subsystems are; names
// local to their model and scoped with "::" across models; loop closures stay
// joints, since SDFormat allows a kinematic graph.

#include <map>

#include "joint_chain.hpp"
#include "link_formats_control.hpp"
#include "sim_text.hpp"
#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

class SdfWriter {
 public:
  SdfWriter(const SimTree& tree, std::vector<std::string>* report) : tree_(tree), names_(tree.names) {
    ChainRules rules;
    rules.keepClosures = true;
    chains_ = chainJoints(tree, rules, &names_, report);
  }

  std::string write() {
    const size_t models = tree_.subsystems.size();
    tables_.resize(models);
    modelNames_.resize(models);
    prefixes_.resize(models);
    children_.resize(models);
    linksOf_.resize(models);
    jointsOf_.resize(models);
    hasLinks_.assign(models, false);
    modelNames_[0] = tree_.modelName;
    for (size_t s = 1; s < models; ++s) {
      const int parent = tree_.subsystems[s].parent;
      children_[static_cast<size_t>(parent)].push_back(static_cast<int>(s));
      const std::string& parentPrefix = prefixes_[static_cast<size_t>(parent)];
      prefixes_[s] = legalName(parentPrefix + tree_.subsystems[s].rawName) + kPathSeparator;
      modelNames_[s] = tables_[static_cast<size_t>(parent)].claim(tree_.subsystems[s].rawName);
    }
    localNames_.resize(chains_.links.size());
    for (size_t i = 0; i < chains_.links.size(); ++i) {
      const SimLink& link = chains_.links[i];
      const size_t s = static_cast<size_t>(link.subsystem);
      localNames_[i] = tables_[s].claim(local(link.name, s));
      linksOf_[s].push_back(static_cast<int>(i));
      for (int m = link.subsystem; m >= 0 && !hasLinks_[static_cast<size_t>(m)];
           m = tree_.subsystems[static_cast<size_t>(m)].parent)
        hasLinks_[static_cast<size_t>(m)] = true;
    }
    jointNames_.resize(chains_.joints.size());
    jointModel_.resize(chains_.joints.size());
    for (size_t k = 0; k < chains_.joints.size(); ++k) {
      const ChainJoint& j = chains_.joints[k];
      const int childModel = linkModel(j.child);
      const int model = j.parent < 0 ? childModel : commonModel(linkModel(j.parent), childModel);
      jointModel_[k] = model;
      jointNames_[k] = tables_[static_cast<size_t>(model)].claim(local(j.name, static_cast<size_t>(model)));
      jointsOf_[static_cast<size_t>(model)].push_back(static_cast<int>(k));
    }

    xml_.open("sdf", {{"version", "1.9"}});
    writeModel(0);
    xml_.close();
    return xml_.str();
  }

 private:
  /// A flat name without the subsystem path of model s, where it has it.
  std::string local(const std::string& flat, size_t s) const {
    const std::string& prefix = prefixes_[s];
    return !prefix.empty() && flat.size() > prefix.size() && flat.compare(0, prefix.size(), prefix) == 0
               ? flat.substr(prefix.size())
               : flat;
  }

  int linkModel(int link) const { return chains_.links[static_cast<size_t>(link)].subsystem; }

  int depth(int model) const {
    int d = 0;
    for (int m = model; m > 0; m = tree_.subsystems[static_cast<size_t>(m)].parent) ++d;
    return d;
  }

  int commonModel(int a, int b) const {
    while (depth(a) > depth(b)) a = tree_.subsystems[static_cast<size_t>(a)].parent;
    while (depth(b) > depth(a)) b = tree_.subsystems[static_cast<size_t>(b)].parent;
    while (a != b) {
      a = tree_.subsystems[static_cast<size_t>(a)].parent;
      b = tree_.subsystems[static_cast<size_t>(b)].parent;
    }
    return a;
  }

  /// The name of a link as seen from model `from`, an ancestor of the link's model.
  std::string scoped(int link, int from) const {
    std::string name = localNames_[static_cast<size_t>(link)];
    for (int m = linkModel(link); m != from; m = tree_.subsystems[static_cast<size_t>(m)].parent)
      name = modelNames_[static_cast<size_t>(m)] + "::" + name;
    return name;
  }

  static std::string pose(const Vec3& position, const Vec3& rpy = Vec3{}) {
    return numbers(position) + ' ' + numbers(rpy);
  }

  void writeModel(int model) {
    const size_t m = static_cast<size_t>(model);
    xml_.open("model", {{"name", modelNames_[m]}});
    for (int i : linksOf_[m]) writeLink(i);
    for (int k : jointsOf_[m]) writeJoint(k);
    for (int child : children_[m])
      if (hasLinks_[static_cast<size_t>(child)]) writeModel(child);
    xml_.close();
  }

  void writeLink(int index) {
    const SimLink& link = chains_.links[static_cast<size_t>(index)];
    xml_.open("link", {{"name", localNames_[static_cast<size_t>(index)]}});
    xml_.textElement("pose", pose(link.origin));
    // Without an inertial SDFormat assumes 1 kg: write one even for a massless body.
    xml_.open("inertial");
    xml_.textElement("pose", pose(sub(link.com, link.origin)));
    xml_.textElement("mass", number(link.mass));
    xml_.open("inertia");
    const Mat3& i = link.inertia;
    xml_.textElement("ixx", number(at(i, 0, 0)));
    xml_.textElement("ixy", number(at(i, 0, 1)));
    xml_.textElement("ixz", number(at(i, 0, 2)));
    xml_.textElement("iyy", number(at(i, 1, 1)));
    xml_.textElement("iyz", number(at(i, 1, 2)));
    xml_.textElement("izz", number(at(i, 2, 2)));
    xml_.close();
    xml_.close();
    if (link.hasMesh) {
      xml_.open("visual", {{"name", "visual"}});
      xml_.textElement("pose", pose(sub(link.mesh.position, link.origin), rpyFromMatrix(link.mesh.rotation)));
      xml_.open("geometry");
      xml_.open("mesh");
      xml_.textElement("uri", link.mesh.file);
      const std::string s = number(link.mesh.scale);
      xml_.textElement("scale", s + ' ' + s + ' ' + s);
      xml_.close();
      xml_.close();
      writeSdfMaterial(link, &xml_);
      xml_.close();
    }
    writeSdfCollision(link, &xml_);
    xml_.close();
  }

  void writeJoint(int index) {
    const ChainJoint& j = chains_.joints[static_cast<size_t>(index)];
    const int model = jointModel_[static_cast<size_t>(index)];
    const char* type = j.kind == ChainKind::Slide   ? "prismatic"
                       : j.kind == ChainKind::Hinge ? "revolute"
                       : j.kind == ChainKind::Ball  ? "ball"
                                                    : "fixed";
    xml_.open("joint", {{"name", jointNames_[static_cast<size_t>(index)]}, {"type", type}});
    xml_.textElement("parent", j.parent < 0 ? std::string("world") : scoped(j.parent, model));
    xml_.textElement("child", scoped(j.child, model));
    xml_.textElement("pose", pose(sub(j.point, chains_.links[static_cast<size_t>(j.child)].origin)));
    if (j.kind == ChainKind::Slide || j.kind == ChainKind::Hinge) {
      xml_.open("axis");
      xml_.textElement("xyz", numbers(j.axis));
      writeSdfAxisControl(chains_.controlOf(j), &xml_);
      xml_.close();
    }
    xml_.close();
  }

  const SimTree& tree_;
  NameTable names_;
  ChainTree chains_;
  std::vector<NameTable> tables_;
  std::vector<std::string> modelNames_, prefixes_, localNames_, jointNames_;
  std::vector<std::vector<int>> children_, linksOf_, jointsOf_;
  std::vector<int> jointModel_;
  std::vector<bool> hasLinks_;
  XmlText xml_;
};

}  // namespace

std::string writeSdf(const SimTree& tree, std::vector<std::string>* report) {
  return SdfWriter(tree, report).write();
}

}  // namespace sim
}  // namespace kalo_toolkit
