#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/kalot_types.h>

namespace kalo_toolkit {

class CadModel;
class ZoltModel;

/// Converts one CAD assembly into a multibody model and writes it as a
/// multibody XML file. Conversions must not run in parallel: the tolerances
/// reach the inference through process-wide values for one conversion.
class KALO_TOOLKIT_API Cad2Zolt {
 public:
  Cad2Zolt(const boost::shared_ptr<CadModel>& cadModel, const std::string& createdUsing,
           const std::string& createdFrom, const std::string& createdOn, const std::string& createdBy,
           const std::string& modelName);
  virtual ~Cad2Zolt();

  /// Linear, angular and third tolerance (defaults 1e-5, 1e-5, 1e-12); no validation.
  void setTolerances(double linear, double angular, double third);
  /// 0, or 2 when there is no CAD model.
  KalotError convertToZoltModel();
  /// Converts on first use, then writes; 4 with the accumulated report in message when pairs were welded.
  int writeToXML(std::string& message, const std::string& path);

  const boost::shared_ptr<ZoltModel>& getZoltModel() const { return zoltModel; }
  const std::string& getConversionMessage() const { return conversionMessage; }
  double getLinearTolerance() const { return linearTolerance; }
  double getAngularTolerance() const { return angularTolerance; }
  double getThirdTolerance() const { return thirdTolerance; }

 private:
  boost::shared_ptr<CadModel> cadModel;
  boost::shared_ptr<ZoltModel> zoltModel;
  std::string createdUsing;
  std::string createdFrom;
  std::string createdOn;
  std::string createdBy;
  std::string modelName;
  double linearTolerance;
  double angularTolerance;
  double thirdTolerance;
  std::string conversionMessage;
};

}  // namespace kalo_toolkit
