// The C calls that build assembly components and constraints.

#include <kalo_api/kalo_api.h>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

#include "call_guard.hpp"
#include "handle.hpp"
#include "ownership_graph.hpp"

using kalo_api::guarded;
using kalo_api::guardedCreate;
using kalo_api::makeHandle;
using kalo_api::optionalObject;
using kalo_api::require;
using kalo_api::requireFinite;
using kalo_api::requireObject;
using kalo_toolkit::AssemComp;
using kalo_toolkit::CadModel;
using kalo_toolkit::CadModelRef;
using kalo_toolkit::Constrain;

extern "C" int kalot_create_assemcomp(void** out) {
  return guardedCreate(out, [] { return makeHandle(boost::make_shared<AssemComp>()); });
}

extern "C" int kalot_add_refincomp(void* comp, void* ref) {
  return guarded([&] {
    const boost::shared_ptr<AssemComp> c = requireObject<AssemComp>(comp);
    c->addCadModelRef(requireObject<CadModelRef>(ref));
    return KALOT_SUCCESS;
  });
}

// An unknown path is no failure: the result is an empty handle.
extern "C" int kalot_create_assemcomp_fromstr(void** out, const char* path, void* topModel) {
  return guardedCreate(out, [&] {
    const char* p = require(path);
    const boost::shared_ptr<CadModel> top = requireObject<CadModel>(topModel);
    return makeHandle(boost::shared_ptr<AssemComp>(AssemComp::createAssemComp(p, top)));
  });
}

extern "C" int kalot_assemcomp_is_empty(void* comp, int* out) {
  return guarded([&] {
    const boost::shared_ptr<AssemComp> c = optionalObject<AssemComp>(comp);
    *require(out) = !c || c->getCadModelRefCount() == 0 ? 1 : 0;
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_create_constrain(void** out, const char* name, KalotConstrainType type, void* comp1,
                                      void* comp2, KalotGeomType entity1Type, KalotGeomType entity2Type,
                                      const double* entity1Location, const double* entity1Axis,
                                      const double* entity2Location, const double* entity2Axis) {
  if (out == nullptr) return KALOT_GENERIC_FAILURE;
  boost::shared_ptr<AssemComp> side1, side2;
  try {
    require(name);
    for (const double* v : {entity1Location, entity1Axis, entity2Location, entity2Axis}) requireFinite(v, 3);
    side1 = optionalObject<AssemComp>(comp1);
    side2 = optionalObject<AssemComp>(comp2);
  } catch (...) {
    *out = nullptr;
    return KALOT_GENERIC_FAILURE;
  }
  // With neither component the constraint ties nothing; the output is left as it was.
  if (!side1 && !side2) return KALOT_INVALID_CON_COMPS;
  return guardedCreate(out, [&] {
    return makeHandle(boost::make_shared<Constrain>(name, type, side1.get(), side2.get(), entity1Type,
                                                    entity2Type, entity1Location, entity1Axis,
                                                    entity2Location, entity2Axis));
  });
}

extern "C" int kalot_add_constrain(void* model, void* constrain) {
  return guarded([&] {
    const boost::shared_ptr<CadModel> m = requireObject<CadModel>(model);
    const boost::shared_ptr<Constrain> c = requireObject<Constrain>(constrain);
    // A component naming a placement of this very definition would keep it alive for ever.
    if (kalo_api::constraintKeepsAlive(*c, m.get())) return KALOT_GENERIC_FAILURE;
    m->addConstrain(c);
    return KALOT_SUCCESS;
  });
}
