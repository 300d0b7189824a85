#pragma once

#include <memory>
#include <string>

#include <boost/shared_ptr.hpp>
#include <xercesc/util/XercesDefs.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_base.hpp>
#include <kalo_toolkit/export.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace kalo_toolkit {

class ReadHelper;

/// A mating constraint between two components; locations and axes are in the
/// coordinates of the innermost part of their side.
class KALO_TOOLKIT_API Constrain : public CadBase {
 public:
  /// Present components are copied; a null component stays absent.
  Constrain(const std::string& name, KalotConstrainType type, const AssemComp* comp1, const AssemComp* comp2,
            KalotGeomType entity1Type, KalotGeomType entity2Type, const double* entity1Location,
            const double* entity1Axis, const double* entity2Location, const double* entity2Axis);
  ~Constrain() override;
  Constrain(const Constrain&) = delete;
  Constrain& operator=(const Constrain&) = delete;

  KalotConstrainType getType() const { return type; }
  const AssemComp* getComp1() const { return comp1.get(); }
  const AssemComp* getComp2() const { return comp2.get(); }
  KalotGeomType getEntity1Type() const { return entity1Type; }
  KalotGeomType getEntity2Type() const { return entity2Type; }
  const double* getEntity1Location() const { return entity1Location; }
  const double* getEntity1Axis() const { return entity1Axis; }
  const double* getEntity2Location() const { return entity2Location; }
  const double* getEntity2Axis() const { return entity2Axis; }

  /// Side locations (as points) and axes (as vectors) in the top assembly's coordinates.
  void getBody1LocationInAssemCS(double out[3]) const;
  void getBody1AxisInAssemCS(double out[3]) const;
  void getBody2LocationInAssemCS(double out[3]) const;
  void getBody2AxisInAssemCS(double out[3]) const;

  /// New Constrain element; components are written as their path text. The caller appends it.
  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  /// Element reader of the version-checking file reader: always empty.
  static boost::shared_ptr<Constrain> readFromXMLElement(const xercesc::DOMElement* element,
                                                         ReadHelper& helper);

  KalotConstrainType type;
  std::unique_ptr<AssemComp> comp1;
  std::unique_ptr<AssemComp> comp2;
  KalotGeomType entity1Type;
  KalotGeomType entity2Type;
  double entity1Location[3];
  double entity1Axis[3];
  double entity2Location[3];
  double entity2Axis[3];
};

}  // namespace kalo_toolkit
