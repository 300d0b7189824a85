#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

class CadModel;
class CadModelRef;

/// One placed part seen from the top of the assembly: the references from the
/// outermost (a child of the top definition) to the innermost. Empty names the top.
class KALO_TOOLKIT_API AssemComp {
 public:
  AssemComp();
  AssemComp(const AssemComp& other);
  AssemComp& operator=(const AssemComp& other);
  virtual ~AssemComp();

  /// A new heap copy owned by the caller.
  AssemComp* copy() const;

  void addCadModelRef(const boost::shared_ptr<CadModelRef>& ref) { cadModelRefs.push_back(ref); }
  void popCadModelRef() { cadModelRefs.pop_back(); }
  boost::shared_ptr<CadModelRef> getCadModelRefAt(size_t i) const;
  boost::shared_ptr<CadModelRef> getCadModelRefAtEnd() const;
  size_t getCadModelRefCount() const { return cadModelRefs.size(); }

  /// Plain names of the references, outermost first, joined with "/".
  std::string getName() const;
  /// One rotation (column by column), translation and scale mapping the innermost part into the top.
  void getCumulativeTransform(double rotation[9], double translation[3], double& scale) const;
  /// Maps a point (or a vector, without translations) from the innermost part into the top.
  void transformToAssemCS(const double in[3], double out[3], bool isVector) const;

  /// Depth-first, pre-order search by path text ("A/B"); first match wins. Caller owns the result; null if
  /// absent.
  static AssemComp* createAssemComp(const std::string& path, const boost::shared_ptr<CadModel>& top);

  std::vector<boost::shared_ptr<CadModelRef>> cadModelRefs;
};

}  // namespace kalo_toolkit
