// The package as the host sees it after loading the module: classes, their
// answers, and every method's signature against the package table.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "package_table.hpp"
#include "sample_model.hpp"

namespace kalo_qli_test {
namespace {

qcos::Host& host() { return qcos::Host::instance(); }

TEST(QliPackageRegistry, PackageAndEntryPoints) {
  const qcos::PackageInfo* package = host().package("kaloimport");
  ASSERT_NE(package, nullptr);
  EXPECT_STREQ(package->name(), "kaloimport");
  for (const char* none : {package->description(), package->detailedDescription(), package->helpText(),
                           package->firstHelpLine()}) {
    EXPECT_EQ(none, nullptr);
  }
  EXPECT_TRUE(package->isLocked());
  EXPECT_TRUE(package->isDestructible());

  const auto table = host().functionTable("kalo_qli");
  EXPECT_EQ(table.functionNames, "");
  EXPECT_EQ(table.reserved, 0u);

  // The Body class information has an exported factory besides the package.
  void* module = dlopen(KALO_QLI_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(dlsym(module, "_ZN16kalo_toolkit_qli14create_bodycciEv"), nullptr);
  dlclose(module);
}

TEST(QliPackageRegistry, ClassesInDefinitionOrderWithTheirAnswers) {
  std::vector<std::string> expected;
  for (const TableClass& c : packageTable()) expected.push_back(c.fullName);
  EXPECT_EQ(host().classNames("kaloimport"), expected);

  for (const TableClass& c : packageTable()) {
    SCOPED_TRACE(c.fullName);
    const qcos::ClassInfo* info = host().classInfo(c.fullName);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->shortName(), c.shortName.c_str());
    const std::string description = "This is the COSClassInfo class for the C++ class : " + c.shortName;
    EXPECT_EQ(info->description(), description);
    EXPECT_EQ(info->detailedDescription(), description);
    EXPECT_EQ(host().superclassOf(c.fullName), c.superclass);

    for (const bool answer :
         {info->isHidden(), info->isSealed(), info->isEnumeration(), info->isHandleCompatible(),
          info->hasInexactPropertyCompatibility(), info->displaysFullName(), info->truncatesPropertyNames(),
          info->usesClassDefaultsOnLoad(), info->hasClassFunctions(), info->hasExtensionMethods(),
          info->hasRootRecords(), info->hasSeparateEventNamespace(), info->hasCustomChildrenList(),
          info->allowsInstanceUpdates()}) {
      EXPECT_FALSE(answer);
    }
    for (const bool answer : {info->propertiesCaseSensitive(), info->savesChildren(),
                              info->constructsOnLoad(), info->isLocked(), info->isDestructible()}) {
      EXPECT_TRUE(answer);
    }
    EXPECT_EQ(info->module(), nullptr);
    EXPECT_EQ(info->accessLevel(), 0);
    EXPECT_EQ(info->arrayNature(), 0);
  }
}

TEST(QliPackageRegistry, EverySignatureMatchesTheTable) {
  for (const TableClass& c : packageTable()) {
    const auto registered = host().methods(c.fullName);
    EXPECT_EQ(registered.size(), c.methods.size()) << c.fullName << ": number of methods";
    for (size_t i = 0; i < std::max(registered.size(), c.methods.size()); ++i) {
      SCOPED_TRACE(c.fullName + " method " + std::to_string(i + 1));
      if (i >= registered.size()) {
        ADD_FAILURE() << "missing: " << c.methods[i].name;
        continue;
      }
      if (i >= c.methods.size()) {
        ADD_FAILURE() << "not in the table: " << registered[i].info->name();
        continue;
      }
      EXPECT_EQ(registered[i].info->name(), c.methods[i].name);
      EXPECT_EQ(registered[i].argumentKinds, c.methods[i].arguments);
      EXPECT_EQ(registered[i].resultKinds, c.methods[i].results);
    }
  }
}

TEST(QliPackageRegistry, MethodAnswers) {
  for (const TableClass& c : packageTable()) {
    for (const auto& entry : host().methods(c.fullName)) {
      SCOPED_TRACE(c.fullName + "." + entry.info->name());
      const qcos::MethodInfo& m = *entry.info;
      EXPECT_EQ(m.description(), nullptr);
      EXPECT_EQ(m.memberAccess(), 0);
      for (const bool answer :
           {m.isStatic(), m.isAbstract(), m.isSealed(), m.isExplicit(), m.overridesAllSignatures()}) {
        EXPECT_FALSE(answer);
      }
      for (const bool answer :
           {m.isVisible(), m.isLocked(), m.isDestructible(), m.dispatchesOnFirstArgument()}) {
        EXPECT_TRUE(answer);
      }
    }
  }
}

TEST(QliPackageRegistry, TwoSetTypeMethodsBehaveAsOne) {
  const Value model = call1("kaloimport.ZoltModel", "ZoltModel",
                            {text("u"), text("f"), text("o"), text("b"), text("M"),
                             call1("kaloimport.Subsystem", "Subsystem", {text("Top")})});
  const Value frame = call1("kaloimport.Frame", "Frame", {text("F"), int32_t{0}, text("m")});
  const Value ground = call1("kaloimport.Ground", "Ground", {text("G"), frame});
  const Value joint =
      call1("kaloimport.Joint", "Joint",
            {model, ground, makeBody("A", 1.0), column(0, 0, 0), column(0, 0, 0), text("m"), text("J")});
  const qcos::CallResult result =
      host().call("kaloimport.Joint", "setType", {joint, text("MasslessConnector")});
  EXPECT_EQ(result.method, host().methods("kaloimport.Joint")[8].info)
      << "the first registered overload runs";
  EXPECT_EQ(textOf(call1("kaloimport.Joint", "getType", {joint})), "MasslessConnector");
  // The second overload, run directly, has the same effect.
  host().callUnchecked("kaloimport.Joint", *host().methods("kaloimport.Joint")[9].info,
                       {joint, text("Weld")});
  EXPECT_EQ(textOf(call1("kaloimport.Joint", "getTypeName", {joint})), "SimpleJoint");
}

}  // namespace
}  // namespace kalo_qli_test
