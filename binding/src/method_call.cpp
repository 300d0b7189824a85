#include "method_call.hpp"

#include <memory>

#include <qcos_host/qcos.hpp>

#include "kalom_cmi.hpp"
#include "kinds.hpp"

namespace kalo_toolkit_qli {
namespace {

struct HostBlockFree {
  void operator()(void* block) const { qxFree(block); }
};

struct ArrayDestroy {
  void operator()(qxArray* array) const { qxDestroyArray(array); }
};
using OwnedArray = std::unique_ptr<qxArray, ArrayDestroy>;

bool isPackageClass(const char* name) {
  const std::string prefix = std::string(kPackage) + ".";
  return name != nullptr && std::string(name).compare(0, prefix.size(), prefix) == 0;
}

/// Replaces the holder of an instance; the previous one (if any) is released.
void attachHolder(qcosInstance* instance, const char* className, const Holder& object) {
  auto fresh = std::make_unique<Holder>(object);
  auto* previous = static_cast<Holder*>(qcos::getInstanceData(instance, className));
  qcos::setInstanceData(instance, className, fresh.get());
  fresh.release();
  delete previous;
}

}  // namespace

MethodCall::MethodCall(const KalomCMI& method, qxSlot* results, const qxSlot* arguments)
    : method_(method), results_(results), arguments_(arguments) {}

std::string MethodCall::where() const { return method_.owner() + "." + method_.name(); }

void MethodCall::reject(size_t i, const std::string& why) const {
  const auto& kinds = method_.argumentKinds();
  const std::string kind = i < kinds.size() ? kinds[i] : std::string("?");
  throw qcos::Error("kaloimport:invalidArgument",
                    where() + ": argument " + std::to_string(i + 1) + " (" + kind + ") " + why);
}

const qxArray* MethodCall::array(size_t i) const {
  const qxArray* a = arguments_[i].array;
  if (a == nullptr) reject(i, "is missing");
  return a;
}

Holder MethodCall::holder(size_t i) const {
  const qxArray* a = array(i);
  if (qxGetClassID(a) != qxOBJECT_CLASS || !isPackageClass(qxGetClassName(a))) {
    reject(i, std::string("must be an object of this package, not a ") + qxGetClassName(a));
  }
  const qcosInstance* instance = qxGetObject(a, 0);
  if (instance == nullptr) reject(i, "holds no object");
  // The instance's data lives under its own class's name.
  const auto* held =
      static_cast<const Holder*>(qcos::getInstanceData(instance, qcos::instanceClassName(instance)));
  return held ? *held : Holder();
}

std::string MethodCall::text(size_t i) const {
  const qxArray* a = array(i);
  std::unique_ptr<uint16_t, HostBlockFree> units(qxArrayToUTF16String(a));
  if (!units) reject(i, std::string("must be a text, not a ") + qxGetClassName(a));
  std::unique_ptr<char, HostBlockFree> local(qxUTF16ToLocalString(units.get()));
  return std::string(local.get());
}

std::array<double, 3> MethodCall::vector(size_t i) const {
  const qxArray* a = array(i);
  const size_t m = qxGetM(a);
  const size_t n = qxGetN(a);
  const double* data = qxGetPr(a);
  if (data == nullptr || !((m == 3 && n == 1) || (m == 1 && n == 3))) {
    reject(i, "must hold exactly 3 doubles, as 3x1 or 1x3");
  }
  return {data[0], data[1], data[2]};
}

std::array<double, 9> MethodCall::matrix(size_t i) const {
  const qxArray* a = array(i);
  const double* data = qxGetPr(a);
  if (data == nullptr || qxGetM(a) != 3 || qxGetN(a) != 3) reject(i, "must be a 3x3 double matrix");
  std::array<double, 9> values{};
  for (size_t k = 0; k < 9; ++k) values[k] = data[k];
  return values;
}

void MethodCall::setText(size_t i, const std::string& text) {
  results_[i].array = qxCreateString(text.c_str());
}

void MethodCall::setVector(size_t i, const double* values) {
  qxArray* a = qxCreateDoubleMatrix(3, 1);
  double* data = qxGetPr(a);
  for (size_t k = 0; k < 3; ++k) data[k] = values[k];
  results_[i].array = a;
}

void MethodCall::setMatrix(size_t i, const double* values) {
  qxArray* a = qxCreateDoubleMatrix(3, 3);
  double* data = qxGetPr(a);
  for (size_t k = 0; k < 9; ++k) data[k] = values[k];
  results_[i].array = a;
}

void MethodCall::setObject(size_t i, const Holder& object) {
  // The class is the one the signature declares, not the model object's own.
  const std::string& kind = method_.resultKinds().at(i);
  qcosClass* cls = qcos::findClass(kind.c_str());
  if (cls == nullptr)
    throw qcos::Error("kaloimport:undefinedClass", where() + ": class " + kind + " is not defined");
  OwnedArray a(qxCreateObjectArray(cls));
  qcosInstance* instance = qcos::createInstance(cls);
  qxSetObject(a.get(), 0, instance);
  attachHolder(instance, kind.c_str(), object);
  results_[i].array = a.release();
}

void MethodCall::construct(const Holder& object) {
  const std::string& kind = method_.resultKinds().at(0);
  qxArray* a = results_[0].array;
  qcosInstance* instance = qxGetObject(a, 0);
  if (instance == nullptr || kind != qcos::instanceClassName(instance)) {
    // The host made no object of this class: make it here, as for a returned object.
    OwnedArray previous(a);
    results_[0].array = nullptr;
    setObject(0, object);
    return;
  }
  attachHolder(instance, kind.c_str(), object);
}

}  // namespace kalo_toolkit_qli
