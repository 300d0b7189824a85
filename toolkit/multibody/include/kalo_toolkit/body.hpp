#pragma once

#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class Frame;
class ReadHelper;

/// A rigid body: mass properties with units, a geometry file, an optional
/// material and an ordered list of frames ("links").
class KALO_TOOLKIT_API Body : public ZoltBase {
 public:
  Body(const std::string& name, double mass, KalotMassUnit massUnits, const double* inertia /*9*/,
       KalotInertiaUnit inertiaUnits, double volume, KalotVolUnit volumeUnits, double sArea,
       KalotSAreaUnit sAreaUnits, const std::string& fileName, const kalot_vis_mat_prop* matProp);
  ~Body() override;

  double getMass() const { return mass; }
  KalotMassUnit getMassUnits() const { return massUnits; }
  const double* getInertia() const { return inertia; }
  KalotInertiaUnit getInertiaUnits() const { return inertiaUnits; }
  double getVolume() const { return volume; }
  KalotVolUnit getVolumeUnits() const { return volumeUnits; }
  double getSArea() const { return sArea; }
  KalotSAreaUnit getSAreaUnits() const { return sAreaUnits; }
  const std::string& getFileName() const { return fileName; }
  /// The material, or null.
  const kalot_vis_mat_prop* getColor() const { return matProp.get(); }
  void setMatProp(const kalot_vis_mat_prop* p);

  size_t getLinkCount() const { return links.size(); }
  boost::shared_ptr<Frame> getLinkAt(size_t i) const;
  /// Appends the frame; an unnamed frame gets the next automatic name "CS%i".
  void addLink(const boost::shared_ptr<Frame>& frame);
  const boost::shared_ptr<Frame>& getCGFrame() const { return cgFrame; }
  void setCGFrame(const boost::shared_ptr<Frame>& f) { cgFrame = f; }
  const boost::shared_ptr<Frame>& getOriginFrame() const { return originFrame; }
  void setOriginFrame(const boost::shared_ptr<Frame>& f) { originFrame = f; }

  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<Body> readFromXMLElement(const xercesc::DOMElement* element, ReadHelper& helper);

 private:
  double mass;
  KalotMassUnit massUnits;
  double inertia[9];
  KalotInertiaUnit inertiaUnits;
  double volume;
  KalotVolUnit volumeUnits;
  double sArea;
  KalotSAreaUnit sAreaUnits;
  std::string fileName;
  std::vector<boost::shared_ptr<Frame>> links;
  boost::shared_ptr<Frame> cgFrame;
  boost::shared_ptr<Frame> originFrame;
  long long linkNameCount;
  std::unique_ptr<kalot_vis_mat_prop> matProp;
};

}  // namespace kalo_toolkit
