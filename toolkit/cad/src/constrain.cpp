#include <kalo_toolkit/constrain.hpp>

#include <algorithm>

namespace kalo_toolkit {

namespace {

void copy3(const double* from, double* to) {
  if (from != nullptr) {
    std::copy(from, from + 3, to);
  } else {
    std::fill(to, to + 3, 0.0);
  }
}

// A side without a component is stated in the assembly's own coordinates already.
void toAssemCS(const AssemComp* comp, const double* value, double out[3], bool isVector) {
  if (comp != nullptr) {
    comp->transformToAssemCS(value, out, isVector);
  } else {
    std::copy(value, value + 3, out);
  }
}

}  // namespace

Constrain::Constrain(const std::string& name, KalotConstrainType type, const AssemComp* comp1,
                     const AssemComp* comp2, KalotGeomType entity1Type, KalotGeomType entity2Type,
                     const double* entity1Location, const double* entity1Axis, const double* entity2Location,
                     const double* entity2Axis)
    : CadBase(name, std::string()),
      type(type),
      comp1(comp1 != nullptr ? new AssemComp(*comp1) : nullptr),
      comp2(comp2 != nullptr ? new AssemComp(*comp2) : nullptr),
      entity1Type(entity1Type),
      entity2Type(entity2Type) {
  copy3(entity1Location, this->entity1Location);
  copy3(entity1Axis, this->entity1Axis);
  copy3(entity2Location, this->entity2Location);
  copy3(entity2Axis, this->entity2Axis);
}

Constrain::~Constrain() = default;

void Constrain::getBody1LocationInAssemCS(double out[3]) const {
  toAssemCS(comp1.get(), entity1Location, out, false);
}
void Constrain::getBody1AxisInAssemCS(double out[3]) const { toAssemCS(comp1.get(), entity1Axis, out, true); }
void Constrain::getBody2LocationInAssemCS(double out[3]) const {
  toAssemCS(comp2.get(), entity2Location, out, false);
}
void Constrain::getBody2AxisInAssemCS(double out[3]) const { toAssemCS(comp2.get(), entity2Axis, out, true); }

}  // namespace kalo_toolkit
