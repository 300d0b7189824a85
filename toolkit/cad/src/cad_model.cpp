#include <kalo_toolkit/cad_model.hpp>

#include <algorithm>

#include <kalo_toolkit/cad_cs.hpp>
#include <kalo_toolkit/cad_joint.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

namespace kalo_toolkit {

namespace {

template <typename T>
boost::shared_ptr<T> elementAt(const std::vector<boost::shared_ptr<T>>& list, size_t i) {
  return i < list.size() ? list[i] : boost::shared_ptr<T>();
}

}  // namespace

CadModel::CadModel(const std::string& name, double mass, const double* inertia, const double* cg,
                   double volume, double surfaceArea, const std::string& geometryFileName,
                   const kalot_vis_mat_prop* material)
    : CadBase(name, std::string()),
      mass(mass),
      inertia{0, 0, 0, 0, 0, 0},
      cg{0, 0, 0},
      volume(volume),
      surfaceArea(surfaceArea),
      geometryFileName(geometryFileName) {
  if (inertia != nullptr) std::copy(inertia, inertia + 6, this->inertia);
  if (cg != nullptr) std::copy(cg, cg + 3, this->cg);
  setMatProp(material);
}

// Releasing the top of a deep tree would otherwise destroy one definition inside the destructor of
// the one above it, one stack frame pair per level. Definitions held only through references held only
// by their parent are taken out first and released one at a time from a work list instead.
CadModel::~CadModel() {
  std::vector<boost::shared_ptr<CadModel>> pending;
  auto takeSoleChildren = [&pending](CadModel& model) {
    for (const auto& ref : model.cadmodels) {
      if (ref && ref.use_count() == 1 && ref->cadModel && ref->cadModel.use_count() == 1) {
        pending.push_back(std::move(ref->cadModel));
      }
    }
  };
  takeSoleChildren(*this);
  while (!pending.empty()) {
    boost::shared_ptr<CadModel> model = std::move(pending.back());
    pending.pop_back();
    takeSoleChildren(*model);
  }
}

void CadModel::addCadModelRef(const boost::shared_ptr<CadModelRef>& ref) {
  // Names are counted once per reference, so building a large flat assembly
  // stays linear. A rename anywhere since the last call (or a shortened list)
  // makes the counts be taken again from the current names.
  const uint64_t renames = CadBase::s_getRenameCount();
  if (renames != renamesSeen || namesCounted > cadmodels.size()) {
    nameCounts.clear();
    namesCounted = 0;
    renamesSeen = renames;
  }
  // References appended to the list directly are folded in here too.
  for (; namesCounted < cadmodels.size(); ++namesCounted) {
    if (cadmodels[namesCounted]) ++nameCounts[cadmodels[namesCounted]->name];
  }
  ref->instanceIndex = nameCounts[ref->name];
  cadmodels.push_back(ref);
}

boost::shared_ptr<CadModelRef> CadModel::getChildModelAt(size_t i) { return elementAt(cadmodels, i); }
boost::shared_ptr<const CadModelRef> CadModel::getChildModelAt(size_t i) const {
  return elementAt(cadmodels, i);
}
boost::shared_ptr<Constrain> CadModel::getConstrainAt(size_t i) const { return elementAt(constrains, i); }
boost::shared_ptr<CadJoint> CadModel::getCadJointAt(size_t i) const { return elementAt(cadJoints, i); }
boost::shared_ptr<CadCS> CadModel::getCSAt(size_t i) { return elementAt(coordinateSystems, i); }
boost::shared_ptr<const CadCS> CadModel::getCSAt(size_t i) const { return elementAt(coordinateSystems, i); }

void CadModel::setMatProp(const kalot_vis_mat_prop* p) {
  matProp.reset(p != nullptr ? new kalot_vis_mat_prop(*p) : nullptr);
}

}  // namespace kalo_toolkit
