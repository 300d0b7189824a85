// The kinematic graph in Graphviz DOT: bodies and grounds as nodes, joints as
// edges from base to follower labelled by their primitives, joints that close
// a kinematic loop dashed, subsystems as clusters.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "mass_total.hpp"
#include "reports.hpp"
#include "text_forms.hpp"

namespace kalo_inspect {

using namespace kalo_toolkit;

namespace {

constexpr int kGround = -1;
constexpr int kUnresolved = -2;

struct Edge {
  const Joint* joint;
  int base, follower;  // body index, kGround, or kUnresolved
};

class DotWriter {
 public:
  explicit DotWriter(std::ostream& out) : out(out) {}

  void write(const ZoltModel& model) {
    out << "digraph " << quoteForDot(model.getName()) << " {\n"
        << "  // Bodies and grounds are nodes, joints edges from base to follower;\n"
        << "  // a dashed edge closes a kinematic loop; a cluster is a subsystem.\n"
        << "  graph [rankdir=TB];\n"
        << "  node [shape=box, style=rounded];\n";
    if (model.getTopSubsystem()) subsystem(*model.getTopSubsystem(), "  ");
    const std::vector<bool> closes = loopClosures();
    for (size_t k = 0; k < edges.size(); ++k) edge(k, closes[k]);
    out << "}\n";
  }

 private:
  static std::string bodyNode(int index) { return "\"b" + std::to_string(index) + "\""; }

  void subsystem(const Subsystem& s, const std::string& indent) {
    const int index = subsystemCount++;
    out << indent << "subgraph \"cluster_" << index << "\" {\n"
        << indent << "  label = " << quoteForDot(s.getName() + (s.getRigidFlag() ? " (rigid)" : "")) << ";\n";
    for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
      const auto ref = s.getBodyRefAt(i);
      const Body* body = ref ? ref->getBody().get() : nullptr;
      if (!body) continue;
      const int b = static_cast<int>(bodyCount++);
      for (size_t k = 0; k < body->getLinkCount(); ++k) owner[body->getLinkAt(k).get()] = b;
      MassTotal mass;
      mass.add(body->getMassUnits(), body->getMass());
      out << indent << "  " << bodyNode(b)
          << " [label=" << quoteForDot(body->getName() + "\n" + mass.toText()) << "];\n";
    }
    for (size_t i = 0; i < s.getGroundCount(); ++i) {
      const auto ground = s.getGroundAt(i);
      if (!ground) continue;
      if (ground->getFrame()) owner[ground->getFrame().get()] = kGround;
      groundOrder[ground.get()] = groundCount;
      out << indent << "  \"g" << groundCount++ << "\" [label=" << quoteForDot(ground->getName())
          << ", shape=invhouse, style=filled, fillcolor=lightgrey];\n";
    }
    for (size_t i = 0; i < s.getJointCount(); ++i)
      if (s.getJointAt(i)) pending.push_back(s.getJointAt(i).get());
    for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
      const auto ref = s.getSubsystemRefAt(i);
      if (ref && ref->getSubsystem()) subsystem(*ref->getSubsystem(), indent + "  ");
    }
    out << indent << "}\n";
    if (index == 0) resolveEdges();
  }

  int side(const boost::shared_ptr<FrameRef>& ref) const {
    const Frame* frame = ref ? ref->getFrame().get() : nullptr;
    const auto found = owner.find(frame);
    return found == owner.end() ? kUnresolved : found->second;
  }

  void resolveEdges() {
    for (const Joint* j : pending) edges.push_back({j, side(j->getBaseFrame()), side(j->getFollowerFrame())});
  }

  // A spanning tree grows from the grounds, breadth first, each body looking
  // at the joints in their order; every joint between two bodies it had
  // already reached closes a loop.
  std::vector<bool> loopClosures() const {
    std::vector<bool> reached(bodyCount, false), inTree(edges.size(), false);
    const auto grow = [&](int start) {
      std::deque<int> queue{start};
      while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (size_t k = 0; k < edges.size(); ++k) {
          const Edge& e = edges[k];
          if (inTree[k] || e.base == kUnresolved || e.follower == kUnresolved || e.base == e.follower)
            continue;
          const int other = e.base == node ? e.follower : e.follower == node ? e.base : kUnresolved;
          if (other < 0 || reached[static_cast<size_t>(other)]) continue;
          inTree[k] = true;
          reached[static_cast<size_t>(other)] = true;
          queue.push_back(other);
        }
      }
    };
    grow(kGround);
    // Bodies no joint ties to a ground start trees of their own.
    for (size_t b = 0; b < bodyCount; ++b)
      if (!reached[b]) {
        reached[b] = true;
        grow(static_cast<int>(b));
      }
    std::vector<bool> closes(edges.size(), false);
    for (size_t k = 0; k < edges.size(); ++k)
      closes[k] = !inTree[k] && edges[k].base != kUnresolved && edges[k].follower != kUnresolved;
    return closes;
  }

  std::string endpoint(int node, size_t edge) {
    if (node >= 0) return bodyNode(node);
    // Grounds share the world: the edge meets the first ground the joint's frame belongs to.
    if (node == kGround) {
      const Edge& e = edges[edge];
      const Frame* frame =
          (e.base == kGround ? e.joint->getBaseFrame() : e.joint->getFollowerFrame())->getFrame().get();
      const auto parent = frame ? frame->getParent() : nullptr;
      return "\"g" + std::to_string(groundIndex(parent.get())) + "\"";
    }
    const std::string name = "\"x" + std::to_string(edge) + "\"";
    out << "  " << name << " [label=\"unresolved frame\", shape=plaintext];\n";
    return name;
  }

  int groundIndex(const ZoltBase* ground) const {
    const auto found = groundOrder.find(ground);
    return found == groundOrder.end() ? 0 : found->second;
  }

  void edge(size_t k, bool closesLoop) {
    const Edge& e = edges[k];
    std::string type;
    for (size_t i = 0; i < e.joint->getPrimitiveCount(); ++i) {
      const auto p = e.joint->getPrimitiveAt(i);
      if (!p) continue;
      const std::string text = util::fromPrimTypeToStr(p->getType());
      type += (type.empty() ? "" : " + ") + (text.empty() ? std::string("unknown") : text);
    }
    if (type.empty()) type = "no primitive";
    if (e.joint->getType() == KALOT_JOINT_MASSLESS_CONNECTOR) type = "massless connector: " + type;
    const std::string from = endpoint(e.base, k), to = endpoint(e.follower, k);
    out << "  " << from << " -> " << to << " [label=" << quoteForDot(e.joint->getName() + "\n" + type);
    if (closesLoop) out << ", style=dashed, constraint=false";
    out << "];\n";
  }

  std::ostream& out;
  int subsystemCount = 0;
  size_t bodyCount = 0;
  int groundCount = 0;
  std::map<const Frame*, int> owner;
  std::map<const ZoltBase*, int> groundOrder;
  std::vector<const Joint*> pending;
  std::vector<Edge> edges;
};

}  // namespace

void writeDotReport(std::ostream& out, const ZoltModel& model) { DotWriter(out).write(model); }

}  // namespace kalo_inspect
