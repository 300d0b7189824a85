#include "reference_node_ids.hpp"

#include <utility>
#include <vector>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>

namespace kalo_convert {

void assignReferenceNodeIDs(const boost::shared_ptr<kalo_toolkit::CadModel>& top, const std::string& root) {
  // Explicit stack: the nesting depth comes from the file.
  std::vector<std::pair<const kalo_toolkit::CadModel*, std::string>> pending{{top.get(), "/" + root}};
  while (!pending.empty()) {
    const kalo_toolkit::CadModel* model = pending.back().first;
    const std::string prefix = std::move(pending.back().second);
    pending.pop_back();
    if (model == nullptr) continue;
    for (size_t i = 0; i < model->getChildModelCount(); ++i) {
      const boost::shared_ptr<kalo_toolkit::CadModelRef>& ref = model->cadmodels[i];
      std::string path = prefix + "/" + ref->getDisplayName();
      if (ref->getNodeID().empty()) ref->setNodeID(path);
      pending.emplace_back(ref->getCadModel().get(), std::move(path));
    }
  }
}

}  // namespace kalo_convert
