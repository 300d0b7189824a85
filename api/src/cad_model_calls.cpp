// The C calls that build definitions, placed references and coordinate systems.

#include <kalo_api/kalo_api.h>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/cad_cs.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>

#include "call_guard.hpp"
#include "handle.hpp"
#include "ownership_graph.hpp"

using kalo_api::finiteOrNone;
using kalo_api::guarded;
using kalo_api::guardedCreate;
using kalo_api::makeHandle;
using kalo_api::require;
using kalo_api::requireFinite;
using kalo_api::requireObject;
using kalo_toolkit::CadCS;
using kalo_toolkit::CadModel;
using kalo_toolkit::CadModelRef;

namespace {

/// A mass, volume or area below zero can only be a mistake of the caller.
double requireNonNegative(double v) {
  if (kalo_api::requireFinite(v) < 0) throw kalo_api::BadArgument();
  return v;
}

}  // namespace

extern "C" int kalot_create_cadmodel(void** out, const char* name, double mass, const double* inertia,
                                     const double* cg, double volume, double surfaceArea,
                                     const char* geometryFileName, const kalot_vis_mat_prop* material) {
  return guardedCreate(out, [&] {
    return makeHandle(boost::make_shared<CadModel>(
        require(name), requireNonNegative(mass), requireFinite(inertia, 6), requireFinite(cg, 3),
        requireNonNegative(volume), requireNonNegative(surfaceArea), require(geometryFileName),
        finiteOrNone(material)));
  });
}

extern "C" int kalot_cadmodel_setfilename(void* model, const char* geometryFileName) {
  return guarded([&] {
    requireObject<CadModel>(model)->setGeometryFileName(require(geometryFileName));
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_create_cadmodelref(void** out, const char* name, const char* nodeID, void* model,
                                        const double* rotation, const double* translation, double scale,
                                        int flexible, int fixed, const kalot_vis_mat_prop* material) {
  return guardedCreate(out, [&] {
    return makeHandle(boost::make_shared<CadModelRef>(
        require(name), require(nodeID), requireObject<CadModel>(model), requireFinite(rotation, 9),
        requireFinite(translation, 3), requireFinite(scale), flexible != 0, fixed != 0,
        finiteOrNone(material)));
  });
}

extern "C" int kalot_add_refincadmodel(void* parentModel, void* ref) {
  return guarded([&] {
    const boost::shared_ptr<CadModel> parent = requireObject<CadModel>(parentModel);
    const boost::shared_ptr<CadModelRef> child = requireObject<CadModelRef>(ref);
    if (child->cadModel && kalo_api::keepsAlive(child->cadModel.get(), parent.get()))
      return KALOT_GENERIC_FAILURE;
    parent->addCadModelRef(child);
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_get_refflexibleflag(int* out, void* ref) {
  return guarded([&] {
    const boost::shared_ptr<CadModelRef> r = requireObject<CadModelRef>(ref);
    *require(out) = r->getFlexible() ? 1 : 0;
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_get_reffixedflag(int* out, void* ref) {
  return guarded([&] {
    const boost::shared_ptr<CadModelRef> r = requireObject<CadModelRef>(ref);
    *require(out) = r->getFixed() ? 1 : 0;
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_set_refflexibleflag(void* ref, int value) {
  return guarded([&] {
    requireObject<CadModelRef>(ref)->setFlexible(value != 0);
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_set_reffixedflag(void* ref, int value) {
  return guarded([&] {
    requireObject<CadModelRef>(ref)->setFixed(value != 0);
    return KALOT_SUCCESS;
  });
}

// The one creating call that leaves *out untouched on failure.
extern "C" int kalot_cadmodelref_getcadmodel(void** out, void* ref) {
  return guarded([&] {
    void** target = require(out);
    *target = makeHandle(requireObject<CadModelRef>(ref)->cadModel);
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_create_cadcs(void** out, const char* name, const char* nodeID, const double* rotation,
                                  const double* translation) {
  return guardedCreate(out, [&] {
    return makeHandle(boost::make_shared<CadCS>(require(name), require(nodeID), requireFinite(rotation, 9),
                                                requireFinite(translation, 3)));
  });
}

extern "C" int kalot_add_cadcs(void* model, void* cs) {
  return guarded([&] {
    const boost::shared_ptr<CadModel> m = requireObject<CadModel>(model);
    m->addCS(requireObject<CadCS>(cs));
    return KALOT_SUCCESS;
  });
}

extern "C" int kalot_write_cad_xml(void* topModel, const char* fileName) {
  return guarded([&] {
    const char* path = require(fileName);
    return static_cast<int>(requireObject<CadModel>(topModel)->writeToXML(path));
  });
}
