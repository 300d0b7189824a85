// Notes on constraints that the conversion takes in a way the plug-in may not have meant.

#include "conversion_notes.hpp"

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

#include "constraint_classification.hpp"

namespace kalo_toolkit::detail {

namespace {

bool namesNoPart(const AssemComp* comp) { return comp == nullptr || comp->getCadModelRefCount() == 0; }

class NoteWalk {
 public:
  explicit NoteWalk(const CadModel& top) : topName(top.getName()) {}

  void walk(const CadModel& model, AssemComp& path) {
    // Bounded like the CAD XML writer, so a hostile nesting cannot exhaust the stack here.
    if (path.getCadModelRefCount() > CadModel::s_maxNestingDepth) return;
    for (const auto& ref : model.cadmodels) {
      if (!ref || !ref->getFlexible() || !ref->getCadModel() || ref->getCadModel()->cadmodels.empty())
        continue;
      path.addCadModelRef(ref);
      walk(*ref->getCadModel(), path);
      path.popCadModelRef();
    }
    const std::string assembly = path.getCadModelRefCount() == 0 ? topName : path.getName();
    for (const auto& c : model.constrains) {
      if (!c) continue;
      const std::string head = "Constraint \"" + c->getName() + "\" in assembly \"" + assembly + "\": ";
      if (c->getType() < 0 || c->getType() > kMaxConstrainType)
        notes.push_back(head + "constraint type " + std::to_string(c->getType()) +
                        " is not one the inference knows (0 to 7); the pair it ties is welded.");
      const KalotGeomType geoms[2] = {c->getEntity1Type(), c->getEntity2Type()};
      for (int side = 0; side < 2; ++side) {
        if (geoms[side] < 0 || geoms[side] > kMaxGeomType)
          notes.push_back(head + "geometry type " + std::to_string(geoms[side]) + " of side " +
                          std::to_string(side + 1) +
                          " is not one the inference knows (0 to 5); the pair it ties is welded.");
      }
      const AssemComp* comps[2] = {c->getComp1(), c->getComp2()};
      for (int side = 0; side < 2; ++side) {
        if (namesNoPart(comps[side]))
          notes.push_back(head + "side " + std::to_string(side + 1) +
                          " names no part; it was taken against the frame of assembly \"" + assembly + "\".");
      }
    }
  }

  std::vector<std::string> notes;

 private:
  std::string topName;
};

}  // namespace

std::vector<std::string> conversionNotes(const CadModel& top) {
  NoteWalk walk(top);
  AssemComp path;
  walk.walk(top, path);
  return std::move(walk.notes);
}

}  // namespace kalo_toolkit::detail
