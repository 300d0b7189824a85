#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class ReadHelper;

/// One axis of a joint: weld, prismatic, revolute or spherical. The name is the type's text.
class KALO_TOOLKIT_API Primitive : public ZoltBase {
 public:
  /// Empty name, reference frame "WORLD", axis (0,0,0).
  explicit Primitive(KalotPrimType type);
  /// Type derived from the text (0 when unknown); axis normalised.
  Primitive(const std::string& typeName, const double* axis, const std::string& refFrame);
  Primitive(KalotPrimType type, const double* axis, const std::string& refFrame);
  ~Primitive() override;

  const double* getAxis() const { return axis; }
  /// Copies and normalises the axis when its length is above 1e-6.
  void setAxis(const double* a);
  const std::string& getRefFrame() const { return refFrame; }
  void setRefFrame(const std::string& f) { refFrame = f; }
  KalotPrimType getType() const { return type; }

  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<Primitive> readFromXMLElement(const xercesc::DOMElement* element,
                                                         ReadHelper& helper);

 private:
  void normalizeAxis();

  double axis[3];
  std::string refFrame;
  KalotPrimType type;
};

}  // namespace kalo_toolkit
