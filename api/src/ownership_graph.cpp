#include "ownership_graph.hpp"

#include <unordered_set>
#include <vector>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

namespace kalo_api {

namespace {

using kalo_toolkit::AssemComp;
using kalo_toolkit::CadModel;
using kalo_toolkit::Constrain;

void pushPlaced(const AssemComp* comp, std::vector<const CadModel*>& pending) {
  if (comp == nullptr) return;
  for (const auto& ref : comp->cadModelRefs) {
    if (ref && ref->cadModel) pending.push_back(ref->cadModel.get());
  }
}

// Walks everything reachable from the models in `pending`.
bool reaches(std::vector<const CadModel*> pending, const CadModel* target) {
  std::unordered_set<const CadModel*> visited;  // membership only; never used for ordering
  while (!pending.empty()) {
    const CadModel* current = pending.back();
    pending.pop_back();
    if (current == target) return true;
    if (!visited.insert(current).second) continue;
    for (const auto& ref : current->cadmodels) {
      if (ref && ref->cadModel) pending.push_back(ref->cadModel.get());
    }
    for (const auto& c : current->constrains) {
      if (!c) continue;
      pushPlaced(c->getComp1(), pending);
      pushPlaced(c->getComp2(), pending);
    }
  }
  return false;
}

}  // namespace

bool keepsAlive(const CadModel* from, const CadModel* target) { return reaches({from}, target); }

bool constraintKeepsAlive(const Constrain& constrain, const CadModel* model) {
  std::vector<const CadModel*> pending;
  pushPlaced(constrain.getComp1(), pending);
  pushPlaced(constrain.getComp2(), pending);
  return reaches(pending, model);
}

}  // namespace kalo_api
