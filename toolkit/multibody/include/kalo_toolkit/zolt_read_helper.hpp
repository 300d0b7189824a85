#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/read_helper.hpp>

namespace kalo_toolkit {

class Frame;
class FrameRef;

/// Read context of the multibody file: the frames read so far by id and the
/// frame references waiting to be resolved once the whole model is read.
class KALO_TOOLKIT_API ZoltReadHelper : public ReadHelper {
 public:
  /// Deepest subsystem nesting below the top subsystem that a file may have. Reading, writing and releasing a
  /// model recurse once per level, so deeper files are refused instead of
  /// risking the stack; real assemblies stay far below this.
  static constexpr int kMaxSubsystemDepth = 256;

  ZoltReadHelper();
  ~ZoltReadHelper() override;

  /// Records a frame under its id unless the id is already taken; returns whether it was recorded.
  bool addFrame(int id, const boost::shared_ptr<Frame>& frame);
  /// Records a frame under its id, replacing an earlier one.
  void replaceFrame(int id, const boost::shared_ptr<Frame>& frame);
  boost::shared_ptr<Frame> findFrame(int id) const;
  void addFrameRef(const boost::shared_ptr<FrameRef>& ref, int id);
  /// Points every recorded reference at the frame of its id; unknown ids leave the reference empty.
  void resolveFrameRefs();

  std::unordered_map<int, boost::shared_ptr<Frame>> frames;
  /// In reading order, so resolution does not depend on addresses.
  std::vector<std::pair<boost::shared_ptr<FrameRef>, int>> frameRefs;
  /// Number of subsystems being read around the current element (0 outside the top subsystem).
  int subsystemDepth;
};

}  // namespace kalo_toolkit
