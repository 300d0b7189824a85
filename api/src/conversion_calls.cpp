// The C calls that create the converter and have it write the multibody file.

#include <kalo_api/kalo_api.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_model.hpp>

#include "handle.hpp"
#include "remote_quorra.hpp"

using kalo_api::HandleBox;
using kalo_api::HandleKind;
using kalo_toolkit::Cad2Zolt;
using kalo_toolkit::CadModel;

namespace {

// The definition behind a model handle; empty for a null, empty or foreign
// handle, which leaves the converter without a CAD model (result 2 on writing).
boost::shared_ptr<CadModel> cadModelOf(void* handle) {
  auto* box = static_cast<HandleBox*>(handle);
  if (box == nullptr || box->kind != HandleKind::CadModel) return boost::shared_ptr<CadModel>();
  return boost::static_pointer_cast<CadModel>(box->object);
}

}  // namespace

extern "C" int kalot_create_cad2zolt(void** out, void* topModel, const char* createdUsing,
                                     const char* createdFrom, const char* createdOn, const char* createdBy,
                                     const char* modelName) {
  if (out == nullptr) return KALOT_GENERIC_FAILURE;
  *out = nullptr;
  if (createdUsing == nullptr || createdFrom == nullptr || createdOn == nullptr || createdBy == nullptr ||
      modelName == nullptr)
    return KALOT_GENERIC_FAILURE;
  try {
    *out = kalo_api::makeHandle(boost::make_shared<Cad2Zolt>(cadModelOf(topModel), createdUsing, createdFrom,
                                                             createdOn, createdBy, modelName));
    return KALOT_SUCCESS;
  } catch (...) {
    *out = nullptr;
    return KALOT_GENERIC_FAILURE;
  }
}

extern "C" int kalot_set_tolerances(void* cad2zolt, double tol1, double tol2, double tol3) {
  boost::shared_ptr<Cad2Zolt> converter = kalo_api::fromHandle<Cad2Zolt>(cad2zolt);
  if (!converter) return KALOT_GENERIC_FAILURE;
  converter->setTolerances(tol1, tol2, tol3);
  return KALOT_SUCCESS;
}

extern "C" int kalot_write_xml(char** messages, void* cad2zolt, const char* fileName) {
  if (messages == nullptr) return KALOT_GENERIC_FAILURE;
  *messages = nullptr;
  try {
    if (!kalo_toolkit::RemoteQuorraSingleton::instance().ensureSession()) return KALOT_HOST_UNREACHABLE;
    boost::shared_ptr<Cad2Zolt> converter = kalo_api::fromHandle<Cad2Zolt>(cad2zolt);
    if (fileName == nullptr || !converter) return KALOT_GENERIC_FAILURE;

    std::string text;
    const int result = converter->writeToXML(text, fileName);
    auto* buffer = static_cast<char*>(std::calloc(text.size() + 1, 1));
    if (buffer == nullptr) return KALOT_GENERIC_FAILURE;
    std::memcpy(buffer, text.data(), text.size());
    *messages = buffer;
    return result;
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}

extern "C" int kalot_get_conversion_notes(char** notes, void* cad2zolt) {
  if (notes == nullptr) return KALOT_GENERIC_FAILURE;
  *notes = nullptr;
  try {
    const boost::shared_ptr<Cad2Zolt> converter = kalo_api::fromHandle<Cad2Zolt>(cad2zolt);
    if (!converter) return KALOT_GENERIC_FAILURE;
    std::string text;
    for (const std::string& line : converter->getConversionNotes()) text += line + "\n";
    auto* buffer = static_cast<char*>(std::calloc(text.size() + 1, 1));
    if (buffer == nullptr) return KALOT_GENERIC_FAILURE;
    std::memcpy(buffer, text.data(), text.size());
    *notes = buffer;
    return KALOT_SUCCESS;
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}

extern "C" int kalot_release_buffer(char** buffer) {
  if (buffer == nullptr) return KALOT_SUCCESS;
  std::free(*buffer);
  *buffer = nullptr;
  return KALOT_SUCCESS;
}
