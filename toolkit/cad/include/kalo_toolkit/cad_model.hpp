#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <boost/shared_ptr.hpp>
#include <xercesc/util/XercesDefs.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/cad_base.hpp>
#include <kalo_toolkit/export.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace kalo_toolkit {

class CadModelRef;
class Constrain;
class CadJoint;
class CadCS;
class ReadHelper;

/// One part or sub-assembly definition. Lists keep insertion order.
class KALO_TOOLKIT_API CadModel : public CadBase {
 public:
  CadModel(const std::string& name, double mass, const double* inertia /*6*/, const double* cg /*3*/,
           double volume, double surfaceArea, const std::string& geometryFileName,
           const kalot_vis_mat_prop* material);
  ~CadModel() override;
  CadModel(const CadModel&) = delete;
  CadModel& operator=(const CadModel&) = delete;

  /// Sets the reference's instance index (earlier references of the same name) and appends it.
  void addCadModelRef(const boost::shared_ptr<CadModelRef>& ref);
  void addConstrain(const boost::shared_ptr<Constrain>& c) { constrains.push_back(c); }
  void addCadJoint(const boost::shared_ptr<CadJoint>& j) { cadJoints.push_back(j); }
  void addCS(const boost::shared_ptr<CadCS>& cs) { coordinateSystems.push_back(cs); }

  /// The i-th element, or an empty pointer past the end.
  boost::shared_ptr<CadModelRef> getChildModelAt(size_t i);
  boost::shared_ptr<const CadModelRef> getChildModelAt(size_t i) const;
  boost::shared_ptr<Constrain> getConstrainAt(size_t i) const;
  boost::shared_ptr<CadJoint> getCadJointAt(size_t i) const;
  boost::shared_ptr<CadCS> getCSAt(size_t i);
  boost::shared_ptr<const CadCS> getCSAt(size_t i) const;

  size_t getChildModelCount() const { return cadmodels.size(); }
  size_t getConstrainCount() const { return constrains.size(); }
  size_t getCadJointCount() const { return cadJoints.size(); }
  size_t getCSCount() const { return coordinateSystems.size(); }

  double getMass() const { return mass; }
  const double* getInertia() const { return inertia; }
  const double* getCG() const { return cg; }
  double getVolume() const { return volume; }
  double getSurfaceArea() const { return surfaceArea; }
  const std::string& getGeometryFileName() const { return geometryFileName; }
  void setGeometryFileName(const std::string& f) { geometryFileName = f; }
  /// The visual material, or null.
  const kalot_vis_mat_prop* getMatProp() const { return matProp.get(); }
  /// Replaces the material with a copy of *p (null: no material).
  void setMatProp(const kalot_vis_mat_prop* p);

  /// Writes the CAD XML file with this definition at the top: 0, or 3 on any failure.
  KalotError writeToXML(const std::string& fileName) const;
  /// Checks a CAD XML file's document and version; always yields no model and error 3.
  static boost::shared_ptr<CadModel> readFromXML(KalotError* error, const std::string& fileName);
  /// Reads a CAD XML file written by writeToXML back into a model (empty pointer and 3 on failure).
  static boost::shared_ptr<CadModel> readContentFromXML(KalotError* error, const std::string& fileName);
  /// The same; on failure `reason` (when given) receives why: the parser's "line L, column C: "
  /// and message, the element and the rule a value breaks, or the operating system's reason when
  /// the file cannot be opened or read. Reads of different files may run on different threads.
  static boost::shared_ptr<CadModel> readContentFromXML(KalotError* error, const std::string& fileName,
                                                        std::string* reason);

  /// New CadModel element for this definition, its placed children (in full) and constraints; the caller
  /// appends it. Throws std::runtime_error for a cyclic or too deeply nested model or a child without a
  /// definition.
  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  /// Element reader of the version-checking file reader: element contents are not read back (always empty).
  static boost::shared_ptr<CadModel> readFromXMLElement(const xercesc::DOMElement* element,
                                                        ReadHelper& helper);

  /// Deepest nesting of definitions that the CAD XML writer and content reader accept.
  static constexpr size_t s_maxNestingDepth = 1000;

  std::vector<boost::shared_ptr<CadModelRef>> cadmodels;
  std::vector<boost::shared_ptr<Constrain>> constrains;
  std::vector<boost::shared_ptr<CadJoint>> cadJoints;
  std::vector<boost::shared_ptr<CadCS>> coordinateSystems;
  double mass;
  double inertia[6];  ///< Ixx, Iyy, Izz, Ixy, Ixz, Iyz in the plug-in's mass * length^2
  double cg[3];
  double volume;
  double surfaceArea;
  std::string geometryFileName;

 private:
  std::unique_ptr<kalot_vis_mat_prop> matProp;
  // References per name among cadmodels[0, namesCounted), for instance
  // indexes, valid while no object was renamed after renamesSeen renames.
  std::unordered_map<std::string, uint64_t> nameCounts;
  size_t namesCounted = 0;
  uint64_t renamesSeen = 0;
};

}  // namespace kalo_toolkit
