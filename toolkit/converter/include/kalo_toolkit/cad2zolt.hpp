#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

class CadModel;
class Joint;
class ZoltModel;

/// Converts one CAD assembly into a multibody model and writes it as a
/// multibody XML file. Conversions of different assemblies may run on
/// different threads at once: each conversion's tolerances are its own, in
/// force on its thread while it runs. The default unit system is process-wide
/// and read by every conversion, so it is not changed while one runs; one
/// converter (and one CAD model) is used by one thread at a time.
class KALO_TOOLKIT_API Cad2Zolt {
 public:
  /// What the last conversion did with one constrained pair of parts, in processing order.
  struct PairRecord {
    std::vector<std::string> constraintNames;  ///< the pair's constraints, in the order they were met
    boost::shared_ptr<Joint> joint;            ///< the joint made (a weld when status is 4)
    KalotError status = KALOT_SUCCESS;         ///< 0, or 4 when the pair was welded
    std::string report;                        ///< the pair's report blocks (empty unless status is 4)
  };

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
  /// One record per constrained pair of the last conversion (empty before it).
  const std::vector<PairRecord>& getPairRecords() const { return pairRecords; }

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
  std::vector<PairRecord> pairRecords;
};

}  // namespace kalo_toolkit
