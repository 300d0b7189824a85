#pragma once

// The constraints between one pair of parts and the parts they name.

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/assem_comp.hpp>

#include "constraint_classification.hpp"
#include "conversion_context.hpp"

namespace kalo_toolkit {

class CadModel;
class Constrain;
class ZoltBase;

namespace detail {

/// One side of a constraint resolved to the part it lies on: the longest
/// prefix of (assembly path + component) that was converted.
struct PartSide {
  boost::shared_ptr<ZoltBase> part;   ///< the Body; a subsystem's root body
  boost::shared_ptr<CadModel> model;  ///< the definition placed there
  AssemComp placement;                ///< references from the top down to the part
};

/// Finds the part of one constraint side. An absent or empty component, or one
/// whose references were not converted, stands for the assembly itself.
/// Throws std::invalid_argument when not even the top has an entry.
PartSide findPart(const boost::shared_ptr<CadModel>& top, const AssemComp& assemblyPath,
                  const AssemComp* component, ModelMap& modelMap);

struct ConstraintEntry {
  ConstraintCodes codes;
  boost::shared_ptr<Constrain> constrain;
  /// Path of the assembly whose constraint list holds the constraint; maps
  /// its locations and axes into the top assembly.
  AssemComp assemblyPath;
  PartSide side1;
  PartSide side2;
};

class ConstrainToJoint {
 public:
  ConstrainToJoint(const boost::shared_ptr<CadModel>& assemblyModel, const AssemComp& assemblyPath);

  const boost::shared_ptr<CadModel>& getAssemblyModel() const { return assemblyModel; }
  const AssemComp& getAssemblyPath() const { return assemblyPath; }
  const std::vector<ConstraintEntry>& getEntries() const { return entries; }
  void addEntry(ConstraintEntry entry) { entries.push_back(std::move(entry)); }

  const std::string& getReport() const { return report; }
  /// Appends one report block: parts, constraint name, details and a rule.
  void appendReport(const std::string& partNames, const std::string& constraintName,
                    const std::string& details);

 private:
  boost::shared_ptr<CadModel> assemblyModel;
  AssemComp assemblyPath;
  std::vector<ConstraintEntry> entries;
  std::string report;
};

}  // namespace detail
}  // namespace kalo_toolkit
