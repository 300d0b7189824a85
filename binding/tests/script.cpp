#include "script.hpp"

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "package_table.hpp"

namespace kalo_qli_test {
namespace {

std::filesystem::path scratchDirectory() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kalo_qli_tests_" + std::to_string(getpid()));
  return dir;
}

/// Loads the module once for the whole test program and unloads it at the end,
/// which must release every holder and every information object.
class ModuleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qcos::Host::instance().loadModule(KALO_QLI_MODULE_PATH, "kalo_qli");
    std::filesystem::create_directories(scratchDirectory());
  }
  void TearDown() override {
    qcos::Host::instance().unloadModules();
    std::error_code ignored;
    std::filesystem::remove_all(scratchDirectory(), ignored);
  }
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ModuleEnvironment());

/// The package table's result count for the method that ran.
const TableMethod* tableEntryFor(const qcos::MethodInfo* method, std::string& where) {
  for (const TableClass& cls : packageTable()) {
    const auto entries = qcos::Host::instance().methods(cls.fullName);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].info == method) {
        where = cls.fullName + " method " + std::to_string(i + 1);
        return tableMethod(cls.fullName, i);
      }
    }
  }
  return nullptr;
}

}  // namespace

Value text(const std::string& s) { return qcos::makeText(s); }
Value column(double x, double y, double z) { return qcos::makeDoubles(3, 1, {x, y, z}); }
Value row(double x, double y, double z) { return qcos::makeDoubles(1, 3, {x, y, z}); }
Value matrix(const std::vector<double>& values) { return qcos::makeDoubles(3, 3, values); }
Value identity() { return matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}); }

std::vector<Value> call(const std::string& cls, const std::string& method, const std::vector<Value>& args) {
  qcos::CallResult result = qcos::Host::instance().call(cls, method, args);
  std::string where;
  const TableMethod* entry = tableEntryFor(result.method, where);
  if (entry == nullptr) {
    ADD_FAILURE() << cls << "." << method << " ran a method that the package table does not list";
  } else {
    EXPECT_EQ(result.resultCount, entry->resultCount) << "result count of " << where << " (" << method << ")";
  }
  return result.results;
}

Value call1(const std::string& cls, const std::string& method, const std::vector<Value>& args) {
  std::vector<Value> results = call(cls, method, args);
  if (results.empty()) throw std::logic_error(cls + "." + method + " has no result");
  return results[0];
}

int32_t int32Of(const Value& v) {
  if (!std::holds_alternative<int32_t>(v)) throw std::logic_error("not an int32 scalar");
  return std::get<int32_t>(v);
}

bool isEmpty(const Value& object) { return int32Of(call1("kaloimport.ZoltBase", "isEmpty", {object})) == 1; }

boost::shared_ptr<kalo_toolkit::ZoltBase> heldObject(const Value& object) {
  // The binding's instance data is a heap shared pointer to the model object.
  const qcosInstance* instance = qcos::objectOf(object);
  const auto* holder = static_cast<const boost::shared_ptr<kalo_toolkit::ZoltBase>*>(
      qcos::getInstanceData(instance, qcos::instanceClassName(instance)));
  return holder ? *holder : boost::shared_ptr<kalo_toolkit::ZoltBase>();
}

std::string scratchPath(const std::string& fileName) {
  static int counter = 0;
  return (scratchDirectory() / (std::to_string(++counter) + "_" + fileName)).string();
}

}  // namespace kalo_qli_test
