// The stand-in host with a small package defined in the test: overload
// choice, inheritance, dispatch, instance data and text conversion.

#include <clocale>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <qcos_host/host.hpp>

namespace {

using qcos::Value;

int g_released = 0;

class DemoMethod final : public qcos::MethodInfo {
 public:
  using Body = std::function<void(int*, qxSlot*, const qxSlot*)>;
  DemoMethod(const char* name, std::vector<const char*> arguments, std::vector<const char*> results,
             Body body)
      : name_(name), signature_(qcos::createSignature()), body_(std::move(body)) {
    for (const char* k : arguments) qcos::appendArgumentKind(signature_, k);
    for (const char* k : results) qcos::appendResultKind(signature_, k);
  }
  ~DemoMethod() override { qcos::destroySignature(signature_); }
  const char* name() const override { return name_; }
  const qcos::Signature* signature() const override { return signature_; }
  const char* description() const override { return nullptr; }
  int memberAccess() const override { return 0; }
  bool isVisible() const override { return true; }
  bool isStatic() const override { return false; }
  bool isAbstract() const override { return false; }
  bool isSealed() const override { return false; }
  bool isLocked() const override { return true; }
  bool isDestructible() const override { return true; }
  bool isExplicit() const override { return false; }
  bool dispatchesOnFirstArgument() const override { return true; }
  bool overridesAllSignatures() const override { return false; }
  void call(void*, int* count, qxSlot* results, void*, const qxSlot* arguments) override {
    body_(count, results, arguments);
  }

 private:
  const char* name_;
  qcos::Signature* signature_;
  Body body_;
};

class DemoClass final : public qcos::ClassInfo {
 public:
  explicit DemoClass(const char* name) : name_(name) {}
  const char* shortName() const override { return name_; }
  const char* description() const override { return name_; }
  const char* detailedDescription() const override { return name_; }
  void releaseInstanceData(void* data) override {
    ++g_released;
    delete static_cast<int*>(data);
  }
  bool isHidden() const override { return false; }
  bool isSealed() const override { return false; }
  bool isEnumeration() const override { return false; }
  bool isHandleCompatible() const override { return false; }
  bool hasInexactPropertyCompatibility() const override { return false; }
  bool displaysFullName() const override { return false; }
  bool propertiesCaseSensitive() const override { return true; }
  bool truncatesPropertyNames() const override { return false; }
  bool savesChildren() const override { return true; }
  bool constructsOnLoad() const override { return true; }
  bool usesClassDefaultsOnLoad() const override { return false; }
  bool isLocked() const override { return true; }
  bool isDestructible() const override { return true; }
  bool hasClassFunctions() const override { return false; }
  bool hasExtensionMethods() const override { return false; }
  bool hasRootRecords() const override { return false; }
  bool hasSeparateEventNamespace() const override { return false; }
  bool hasCustomChildrenList() const override { return false; }
  const char* module() const override { return nullptr; }
  int accessLevel() const override { return 0; }
  int arrayNature() const override { return 0; }
  bool allowsInstanceUpdates() const override { return false; }

 private:
  const char* name_;
};

DemoMethod* answer(const char* name, std::vector<const char*> arguments, const char* text) {
  return new DemoMethod(name, std::move(arguments), {"char vector"},
                        [text](int* count, qxSlot* results, const qxSlot*) {
                          results[0].array = qxCreateString(text);
                          *count = 1;
                        });
}

DemoMethod* constructor(const char* name, const char* fullName) {
  return new DemoMethod(name, {}, {fullName}, [fullName](int* count, qxSlot* results, const qxSlot*) {
    qcos::setInstanceData(qxGetObject(results[0].array, 0), fullName, new int(1));
    *count = 1;
  });
}

class DemoPackage final : public qcos::PackageInfo {
 public:
  const char* name() const override { return "demo"; }
  const char* description() const override { return nullptr; }
  const char* detailedDescription() const override { return nullptr; }
  const char* helpText() const override { return nullptr; }
  const char* firstHelpLine() const override { return nullptr; }
  bool isLocked() const override { return true; }
  bool isDestructible() const override { return true; }
  void defineClasses() override {
    auto* base = new DemoClass("Base");
    qcos::addMethod(base, constructor("Base", "demo.Base"));
    qcos::addMethod(base, answer("describe", {"demo.Base"}, "base"));
    qcos::addMethod(base, answer("pick", {"demo.Base", "double scalar"}, "first"));
    qcos::addMethod(base, answer("pick", {"demo.Base", "double scalar"}, "second"));
    qcos::addMethod(base, answer("pick", {"demo.Base", "char vector"}, "text"));
    qcos::addMethod(base, new DemoMethod("overcount", {}, {"char vector"},
                                         [](int* count, qxSlot* results, const qxSlot*) {
                                           results[0].array = qxCreateString("made");
                                           *count = 2;
                                         }));
    qcos::addMethod(base,
                    new DemoMethod("fail", {}, {"double vector"}, [](int*, qxSlot* results, const qxSlot*) {
                      results[0].array = qxCreateDoubleMatrix(3, 1);
                      throw std::runtime_error("model refused");
                    }));
    qcos::defineClass(this, base);
    auto* derived = new DemoClass("Derived");
    qcos::setSuperclass(derived, "demo.Base");
    qcos::addMethod(derived, constructor("Derived", "demo.Derived"));
    qcos::addMethod(derived, answer("describe", {"demo.Derived"}, "derived"));
    qcos::defineClass(this, derived);
  }
};

class QcosHost : public ::testing::Test {
 protected:
  void SetUp() override {
    g_released = 0;
    qcos::registerPackage(new DemoPackage());
  }
  void TearDown() override { host().unloadModules(); }

  static qcos::Host& host() { return qcos::Host::instance(); }
  static std::string text(const qcos::CallResult& r) { return qcos::textOf(r.results.at(0)); }
  static Value make(const char* cls, const char* ctor) { return host().call(cls, ctor, {}).results.at(0); }
};

TEST_F(QcosHost, OverloadChoiceAndInheritance) {
  EXPECT_EQ(host().classNames("demo"), (std::vector<std::string>{"demo.Base", "demo.Derived"}));
  EXPECT_TRUE(host().isA("demo.Derived", "demo.Base"));
  const Value base = make("demo.Base", "Base");
  const Value derived = make("demo.Derived", "Derived");
  EXPECT_EQ(qcos::classNameOf(derived), "demo.Derived");

  EXPECT_EQ(text(host().call("demo.Base", "pick", {base, 1.0})), "first")
      << "a tie goes to the first registered";
  EXPECT_EQ(text(host().call("demo.Base", "pick", {base, qcos::makeText("x")})), "text");
  EXPECT_THROW(host().call("demo.Base", "pick", {base, int32_t{1}}), qcos::Error);
  EXPECT_THROW(host().call("demo.Base", "pick", {base}), qcos::Error);

  EXPECT_EQ(text(host().call("demo.Derived", "pick", {derived, 1.0})), "first") << "inherited";
  EXPECT_EQ(text(host().call("demo.Base", "describe", {derived})), "base") << "a subclass object fits";
  EXPECT_EQ(text(host().dispatch("describe", {derived})), "derived");
  EXPECT_EQ(text(host().dispatch("describe", {base})), "base");
  EXPECT_THROW(host().call("demo.Base", "describe", {qcos::makeText("not an object")}), qcos::Error);
  EXPECT_THROW(host().call("demo.Derived", "Base", {}), qcos::Error) << "constructors are not inherited";
}

TEST_F(QcosHost, InstanceDataIsReleasedWithTheLastReference) {
  Value first = make("demo.Base", "Base");
  Value copy = qcos::copyObject(first);
  EXPECT_EQ(host().liveInstanceCount(), 1u);
  first = Value();
  EXPECT_EQ(g_released, 0);
  copy = Value();
  EXPECT_EQ(g_released, 1);
  EXPECT_EQ(host().liveInstanceCount(), 0u);

  // Unloading releases what live objects hold; the shells go later without a second release.
  Value kept = make("demo.Derived", "Derived");
  host().unloadModules();
  EXPECT_EQ(g_released, 2);
  kept = Value();
  EXPECT_EQ(g_released, 2);
  EXPECT_EQ(host().liveInstanceCount(), 0u);
}

TEST_F(QcosHost, FailedCallsFreeTheirResults) {
  const auto failure = [](const char* method) {
    try {
      host().call("demo.Base", method, {});
    } catch (const qcos::Error& e) {
      return e.identifier() + " " + e.what();
    }
    return std::string("accepted");
  };
  EXPECT_EQ(failure("overcount").rfind("qcos:invalidResultCount ", 0), 0u);
  EXPECT_EQ(failure("fail"), "qcos:methodFailed fail: model refused");
}

TEST_F(QcosHost, TextRoundTrips) {
  const std::string bytes = "plain \xC3\xA9 \xFF\xFE end";  // valid UTF-8, then two bytes that are not
  for (const char* locale : {"C", "C.UTF-8"}) {
    SCOPED_TRACE(locale);
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, locale) == nullptr) continue;
    const Value t = qcos::makeText(bytes);
    EXPECT_EQ(qcos::textOf(t), bytes);
    // Under UTF-8 the two-byte letter is one UTF-16 unit.
    EXPECT_EQ(qcos::dimensionsOf(t).second, std::string(locale) == "C" ? bytes.size() : bytes.size() - 1);
    std::setlocale(LC_CTYPE, previous.c_str());
  }
  EXPECT_THROW(qcos::textOf(qcos::makeDoubles(1, 1, {1})), qcos::Error);
}

}  // namespace
