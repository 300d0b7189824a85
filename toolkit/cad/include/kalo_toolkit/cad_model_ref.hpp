#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <boost/shared_ptr.hpp>
#include <xercesc/util/XercesDefs.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/cad_base.hpp>
#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/transform.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace kalo_toolkit {

class CadModel;
class ReadHelper;

/// One placed use of a definition inside a parent definition.
class KALO_TOOLKIT_API CadModelRef : public CadBase, public Transform {
 public:
  CadModelRef(const std::string& name, const std::string& nodeID, const boost::shared_ptr<CadModel>& cadModel,
              const double* rotation /*9*/, const double* translation /*3*/, double scale, bool flexible,
              bool fixed, const kalot_vis_mat_prop* material);
  ~CadModelRef() override;
  CadModelRef(const CadModelRef&) = delete;
  CadModelRef& operator=(const CadModelRef&) = delete;

  /// name, or name + "-" + instanceIndex when the index is not 0.
  std::string getDisplayName() const;

  const boost::shared_ptr<CadModel>& getCadModel() const { return cadModel; }
  bool getFlexible() const { return flexible; }
  bool getFixed() const { return fixed; }
  void setFlexible(bool v) { flexible = v; }
  void setFixed(bool v) { fixed = v; }
  uint64_t getInstanceIndex() const { return instanceIndex; }
  const kalot_vis_mat_prop* getMatProp() const { return matProp.get(); }
  void setMatProp(const kalot_vis_mat_prop* p);

  /// New CadModelRef element with the placed definition written in full; the caller appends it.
  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  /// Element reader of the version-checking file reader: always empty.
  static boost::shared_ptr<CadModelRef> readFromXMLElement(const xercesc::DOMElement* element,
                                                           ReadHelper& helper);

  boost::shared_ptr<CadModel> cadModel;
  bool flexible;
  bool fixed;
  /// References of the same name the parent held before this one; all bits set until added.
  uint64_t instanceIndex;

 private:
  std::unique_ptr<kalot_vis_mat_prop> matProp;
};

}  // namespace kalo_toolkit
