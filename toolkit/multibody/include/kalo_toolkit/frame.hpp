#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class ReadHelper;

/// A frame: id (-1: none), position and orientation (3x3, column by column) with units and reference frames.
class KALO_TOOLKIT_API Frame : public ZoltBase {
 public:
  /// Position (0,0,0) in "WORLD", identity orientation in rad, "3x3 Transform".
  Frame(const std::string& name, int id, KalotLengthUnit positionUnits);
  Frame(const std::string& name, int id, const double* position, KalotLengthUnit positionUnits,
        const std::string& posRefFrame, const double* orientation, KalotAngleUnit orientationUnits,
        KalotRotType orientationType, const std::string& orientationRefFrame);
  ~Frame() override;

  int getID() const { return id; }
  const double* getPosition() const { return position; }
  void setPosition(const double* p);
  KalotLengthUnit getPositionUnits() const { return positionUnits; }
  void setPositionUnits(KalotLengthUnit u) { positionUnits = u; }
  const std::string& getPosRefFrame() const { return posRefFrame; }
  void setPosRefFrame(const std::string& f) { posRefFrame = f; }
  const double* getOrientation() const { return orientation; }
  void setOrientation(const double* o);
  KalotRotType getOrientationType() const { return orientationType; }
  void setOrientationType(KalotRotType t) { orientationType = t; }
  KalotAngleUnit getOrientationUnits() const { return orientationUnits; }
  void setOrientationUnits(KalotAngleUnit u) { orientationUnits = u; }
  const std::string& getOrientationRefFrame() const { return orientationRefFrame; }
  void setOrientationRefFrame(const std::string& f) { orientationRefFrame = f; }
  const std::string& getDisplayName() const { return displayName; }
  void setDisplayName(const std::string& n) { displayName = n; }
  /// Names the frame "CS" + (n + 1) through the virtual setName.
  void setAutoName(long long n);

  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<Frame> readFromXMLElement(const xercesc::DOMElement* element, ReadHelper& helper);

 private:
  int id;
  double position[3];
  KalotLengthUnit positionUnits;
  std::string posRefFrame;
  double orientation[9];
  KalotAngleUnit orientationUnits;
  KalotRotType orientationType;
  std::string orientationRefFrame;
  std::string displayName;
};

}  // namespace kalo_toolkit
