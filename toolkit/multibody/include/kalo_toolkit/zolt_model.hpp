#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class Subsystem;
class ReadHelper;

/// A multibody model: creation attributes, one top subsystem and the frame id counter.
class KALO_TOOLKIT_API ZoltModel : public ZoltBase {
 public:
  /// Note: the model name is the fifth argument.
  ZoltModel(const std::string& createdUsing, const std::string& createdFrom, const std::string& createdOn,
            const std::string& createdBy, const std::string& name,
            const boost::shared_ptr<Subsystem>& topSubsystem);
  ~ZoltModel() override;

  const boost::shared_ptr<Subsystem>& getTopSubsystem() const { return topSubsystem; }
  /// Increments the counter and returns it: 0, 1, 2, ...
  int getNextFrameId() { return ++nextFrameId; }
  const std::string& getCreatedUsing() const { return createdUsing; }
  const std::string& getCreatedFrom() const { return createdFrom; }
  const std::string& getCreatedOn() const { return createdOn; }
  const std::string& getCreatedBy() const { return createdBy; }

  /// Writes the multibody XML file: 0, or 3 on any failure.
  int writeToXML(const std::string& path) const;
  /// Reads a multibody XML file and applies the simplifier option; empty pointer and *error = 3 on failure.
  static boost::shared_ptr<ZoltModel> readFromXML(KalotError* error, const std::string& path,
                                                  MechanismSimplifier::Option option);
  /// The same; on failure `reason` (when given) receives why: "line L, column C: " and what is
  /// wrong there (the parser's message, or the element and the rule it breaks), or the operating
  /// system's reason when the file cannot be opened or read.
  ///
  /// Reads and writes of different models may run on different threads at once (the XML library
  /// is started once for the process); one model is used by one thread at a time.
  static boost::shared_ptr<ZoltModel> readFromXML(KalotError* error, const std::string& path,
                                                  MechanismSimplifier::Option option, std::string* reason);

  /// Fills the root element of the document.
  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<ZoltModel> readFromXMLElement(const xercesc::DOMElement* root, ReadHelper& helper);

 private:
  std::string createdUsing;
  std::string createdFrom;
  std::string createdOn;
  std::string createdBy;
  boost::shared_ptr<Subsystem> topSubsystem;
  int nextFrameId;
};

}  // namespace kalo_toolkit
