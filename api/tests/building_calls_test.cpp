// The building calls of the plug-in C interface: handle lifetimes, results and bad arguments.

#include <gtest/gtest.h>

#include <kalo_api/kalo_api.h>

#include <boost/weak_ptr.hpp>
#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_cs.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/constrain.hpp>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "../src/handle.hpp"

using namespace kalo_toolkit;

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kRotZ90[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
const double kZero[3] = {0, 0, 0};
const double kInertia[6] = {1, 1, 1, 0, 0, 0};

void* const kSentinel = reinterpret_cast<void*>(0x1);

// The object behind a handle, seen from the C++ side.
template <typename T>
boost::shared_ptr<T> objectOf(void* handle) {
  return kalo_api::fromHandle<T>(handle);
}

bool isEmptyHandle(void* handle) {
  return handle != nullptr && !static_cast<kalo_api::HandleBox*>(handle)->object;
}

// Releases every handle it was given when the test ends.
class BuildingCallsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (void* h : handles) EXPECT_EQ(kalot_release_object(h), KALOT_SUCCESS);
  }

  void* keep(void* handle) {
    handles.push_back(handle);
    return handle;
  }

  void* model(const char* name) {
    void* h = nullptr;
    EXPECT_EQ(kalot_create_cadmodel(&h, name, 1.0, kInertia, kZero, 0.5, 2.0, "part.step", nullptr), 0);
    return keep(h);
  }

  void* ref(const char* name, void* definition, const double* rotation = kIdentity,
            const double* translation = kZero) {
    void* h = nullptr;
    EXPECT_EQ(kalot_create_cadmodelref(&h, name, "id", definition, rotation, translation, 1.0, 0, 0, nullptr),
              0);
    return keep(h);
  }

  // An empty component, or the one `path` names below `top` (an empty handle when there is none).
  void* component(const char* path = nullptr, void* top = nullptr) {
    void* h = nullptr;
    EXPECT_EQ(path ? kalot_create_assemcomp_fromstr(&h, path, top) : kalot_create_assemcomp(&h), 0);
    return keep(h);
  }

  void* place(void* parent, const char* name, void* definition) {
    void* r = ref(name, definition);
    EXPECT_EQ(kalot_add_refincadmodel(parent, r), 0);
    return r;
  }

  std::vector<void*> handles;
};

}  // namespace

TEST_F(BuildingCallsTest, LinkedObjectsOutliveTheirHandles) {
  void* parent = nullptr;
  void* part = nullptr;
  void* r = nullptr;
  void* cs = nullptr;
  void* comp = nullptr;
  void* c = nullptr;
  ASSERT_EQ(kalot_create_cadmodel(&parent, "Top", 1, kInertia, kZero, 0, 0, "top.step", nullptr), 0);
  ASSERT_EQ(kalot_create_cadmodel(&part, "Part", 1, kInertia, kZero, 0, 0, "part.step", nullptr), 0);
  ASSERT_EQ(kalot_create_cadmodelref(&r, "part", "n1", part, kIdentity, kZero, 1.0, 0, 1, nullptr), 0);
  ASSERT_EQ(kalot_add_refincadmodel(parent, r), 0);
  ASSERT_EQ(kalot_create_cadcs(&cs, "cs", "n2", kIdentity, kZero), 0);
  ASSERT_EQ(kalot_add_cadcs(part, cs), 0);
  ASSERT_EQ(kalot_create_assemcomp(&comp), 0);
  ASSERT_EQ(kalot_add_refincomp(comp, r), 0);
  ASSERT_EQ(kalot_create_constrain(&c, "mate", 0, nullptr, comp, 2, 2, kZero, kZero, kZero, kZero), 0);
  ASSERT_EQ(kalot_add_constrain(parent, c), 0);

  boost::weak_ptr<CadModel> weakParent = objectOf<CadModel>(parent);
  boost::weak_ptr<CadModel> weakPart = objectOf<CadModel>(part);
  boost::weak_ptr<CadModelRef> weakRef = objectOf<CadModelRef>(r);
  boost::weak_ptr<CadCS> weakCS = objectOf<CadCS>(cs);
  boost::weak_ptr<Constrain> weakConstrain = objectOf<Constrain>(c);
  boost::weak_ptr<AssemComp> weakComp = objectOf<AssemComp>(comp);

  for (void* h : {r, part, cs, comp, c}) EXPECT_EQ(kalot_release_object(h), 0);
  EXPECT_TRUE(weakComp.expired());  // the constraint keeps its own copy
  ASSERT_FALSE(weakRef.expired());
  ASSERT_FALSE(weakPart.expired());
  EXPECT_FALSE(weakCS.expired());
  EXPECT_FALSE(weakConstrain.expired());
  auto parentObject = weakParent.lock();
  ASSERT_TRUE(parentObject);
  EXPECT_EQ(parentObject->getChildModelAt(0), weakRef.lock());
  EXPECT_EQ(parentObject->getChildModelAt(0)->getCadModel(), weakPart.lock());
  EXPECT_TRUE(parentObject->getChildModelAt(0)->getFixed());
  EXPECT_EQ(parentObject->getConstrainAt(0)->getComp2()->getCadModelRefAt(0), weakRef.lock());
  parentObject.reset();

  // The parent's handle was the last share of the whole tree.
  EXPECT_EQ(kalot_release_object(parent), 0);
  EXPECT_TRUE(weakParent.expired());
  EXPECT_TRUE(weakRef.expired());
  EXPECT_TRUE(weakPart.expired());
  EXPECT_TRUE(weakCS.expired());
  EXPECT_TRUE(weakConstrain.expired());
  EXPECT_EQ(kalot_release_object(nullptr), 0);
}

TEST_F(BuildingCallsTest, ReferenceSharesItsDefinition) {
  void* part = model("Part");
  void* r = ref("part", part);
  void* definition = kSentinel;
  ASSERT_EQ(kalot_cadmodelref_getcadmodel(&definition, r), 0);
  keep(definition);
  EXPECT_EQ(objectOf<CadModel>(definition), objectOf<CadModel>(part));

  // A reference made on the C++ side without a definition gives an empty handle.
  boost::shared_ptr<CadModelRef> hollow(
      new CadModelRef("h", "", boost::shared_ptr<CadModel>(), kIdentity, kZero, 1.0, false, false, nullptr));
  void* hollowHandle = keep(kalo_api::makeHandle(hollow));
  void* empty = kSentinel;
  ASSERT_EQ(kalot_cadmodelref_getcadmodel(&empty, hollowHandle), 0);
  keep(empty);
  EXPECT_TRUE(isEmptyHandle(empty));

  // On failure the output is left as it was.
  void* untouched = kSentinel;
  EXPECT_EQ(kalot_cadmodelref_getcadmodel(&untouched, part), 1);  // a model, not a reference
  EXPECT_EQ(untouched, kSentinel);
  EXPECT_EQ(kalot_cadmodelref_getcadmodel(&untouched, nullptr), 1);
  EXPECT_EQ(untouched, kSentinel);
  EXPECT_EQ(kalot_cadmodelref_getcadmodel(nullptr, r), 1);
}

TEST_F(BuildingCallsTest, ValuesAndFlagsReachTheModel) {
  const kalot_vis_mat_prop mat{{0.1, 0.2, 0.3}, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
  const double cg[3] = {1, 2, 3};
  void* top = nullptr;
  ASSERT_EQ(kalot_create_cadmodel(&top, "Top", 7.5, kInertia, cg, 0.5, 2.0, "top.step", &mat), 0);
  keep(top);
  ASSERT_EQ(kalot_cadmodel_setfilename(top, "renamed.step"), 0);
  auto topObject = objectOf<CadModel>(top);
  EXPECT_EQ(topObject->getGeometryFileName(), "renamed.step");
  EXPECT_EQ(topObject->getMass(), 7.5);
  EXPECT_EQ(topObject->getCG()[2], 3);
  ASSERT_NE(topObject->getMatProp(), nullptr);
  EXPECT_EQ(topObject->getMatProp()->emission, 0.9);

  const double t[3] = {4, 5, 6};
  void* r = nullptr;
  ASSERT_EQ(kalot_create_cadmodelref(&r, "arm", "node-7", top, kRotZ90, t, 2.0, 5, 0, &mat), 0);
  keep(r);
  auto refObject = objectOf<CadModelRef>(r);
  EXPECT_EQ(refObject->getNodeID(), "node-7");
  EXPECT_EQ(refObject->getScale(), 2.0);
  EXPECT_EQ(refObject->getRotation()[3], -1);
  EXPECT_EQ(refObject->getTranslation()[2], 6);
  ASSERT_NE(refObject->getMatProp(), nullptr);

  // (flexible, fixed) as the interface reports them; any non-zero int sets a flag.
  auto flags = [r] {
    int flexible = -1, fixed = -1;
    EXPECT_EQ(kalot_get_refflexibleflag(&flexible, r), 0);
    EXPECT_EQ(kalot_get_reffixedflag(&fixed, r), 0);
    return std::make_pair(flexible, fixed);
  };
  EXPECT_EQ(flags(), std::make_pair(1, 0));
  EXPECT_EQ(kalot_set_reffixedflag(r, -3), 0);
  EXPECT_EQ(kalot_set_refflexibleflag(r, 0), 0);
  EXPECT_EQ(flags(), std::make_pair(0, 1));
  EXPECT_EQ(kalot_get_reffixedflag(nullptr, r), 1);
  EXPECT_EQ(kalot_get_refflexibleflag(nullptr, r), 1);
}

TEST_F(BuildingCallsTest, PathsAreLookedUpThroughTheInterface) {
  void* top = model("Top");
  void* arm = model("Arm");
  void* bolt = model("Bolt");
  void* firstArm = place(top, "arm", arm);
  place(top, "arm", arm);
  place(arm, "bolt", bolt);

  auto comp = objectOf<AssemComp>(component("arm/bolt", top));
  ASSERT_TRUE(comp);
  EXPECT_EQ(comp->getName(), "arm/bolt");
  EXPECT_EQ(comp->getCadModelRefAt(0), objectOf<CadModelRef>(firstArm));
  EXPECT_TRUE(isEmptyHandle(component("arm/nut", top)));
}

TEST_F(BuildingCallsTest, ConstraintNeedsAtLeastOneComponent) {
  void* top = model("Top");
  void* arm = model("Arm");
  const double t[3] = {1, 0, 0};
  void* armRef = ref("arm", arm, kRotZ90, t);
  ASSERT_EQ(kalot_add_refincadmodel(top, armRef), 0);

  void* missing = component("nothing", top);
  void* emptyComp = component();  // an empty path, but a component all the same
  void* sides[3][2] = {{missing, nullptr}, {nullptr, nullptr}, {missing, missing}};
  for (const auto& side : sides) {
    void* out = kSentinel;
    EXPECT_EQ(kalot_create_constrain(&out, "c", 0, side[0], side[1], 0, 0, kZero, kZero, kZero, kZero), 5);
    EXPECT_EQ(out, kSentinel);
  }

  void* comp = component("arm", top);
  const double loc2[3] = {1, 1, 0}, axis2[3] = {1, 0, 0}, loc1[3] = {5, 6, 7}, axis1[3] = {0, 0, 1};
  void* c = nullptr;
  ASSERT_EQ(kalot_create_constrain(&c, "mate", 3, nullptr, comp, 1, 2, loc1, axis1, loc2, axis2), 0);
  keep(c);
  auto constrain = objectOf<Constrain>(c);
  EXPECT_EQ(constrain->getComp1(), nullptr);
  ASSERT_NE(constrain->getComp2(), nullptr);
  double v[3];
  constrain->getBody1LocationInAssemCS(v);
  EXPECT_EQ(v[0], 5);
  constrain->getBody2LocationInAssemCS(v);
  EXPECT_NEAR(v[0], 0, 1e-12);
  EXPECT_NEAR(v[1], 1, 1e-12);
  constrain->getBody2AxisInAssemCS(v);
  EXPECT_NEAR(v[1], 1, 1e-12);

  void* withEmpty = nullptr;
  ASSERT_EQ(
      kalot_create_constrain(&withEmpty, "ground", 7, emptyComp, nullptr, 0, 0, kZero, kZero, kZero, kZero),
      0);
  keep(withEmpty);
  ASSERT_NE(objectOf<Constrain>(withEmpty)->getComp1(), nullptr);
  EXPECT_EQ(objectOf<Constrain>(withEmpty)->getComp1()->getCadModelRefCount(), 0u);
}

TEST_F(BuildingCallsTest, NullTextsAndArraysGiveOneAndANullHandle) {
  void* part = model("Part");
  void* comp = component();
  void* out = kSentinel;
  auto expectFailed = [&](int rc, const std::string& what) {
    EXPECT_EQ(rc, 1) << what;
    EXPECT_EQ(out, nullptr) << what;
    out = kSentinel;
  };
  // Each call with its i-th text or array argument missing.
  for (int i = 0; i < 4; ++i) {
    const std::string what = " argument " + std::to_string(i);
    auto text = [&](int k, const char* t) { return i == k ? nullptr : t; };
    auto array = [&](int k, const double* a) { return i == k ? nullptr : a; };
    expectFailed(kalot_create_cadmodel(&out, text(0, "m"), 1, array(1, kInertia), array(2, kZero), 0, 0,
                                       text(3, "f"), nullptr),
                 "model" + what);
    expectFailed(kalot_create_cadmodelref(&out, text(0, "r"), text(1, "n"), part, array(2, kIdentity),
                                          array(3, kZero), 1, 0, 0, nullptr),
                 "ref" + what);
    expectFailed(kalot_create_cadcs(&out, text(0, "cs"), text(1, "n"), array(2, kIdentity), array(3, kZero)),
                 "cs" + what);
    expectFailed(kalot_create_constrain(&out, "c", 0, comp, nullptr, 0, 0, array(0, kZero), array(1, kZero),
                                        array(2, kZero), array(3, kZero)),
                 "constraint" + what);
  }
  expectFailed(kalot_create_constrain(&out, nullptr, 0, comp, nullptr, 0, 0, kZero, kZero, kZero, kZero),
               "constraint name");
  expectFailed(kalot_create_assemcomp_fromstr(&out, nullptr, part), "path");
  EXPECT_EQ(kalot_cadmodel_setfilename(part, nullptr), 1);
  EXPECT_EQ(objectOf<CadModel>(part)->getGeometryFileName(), "part.step");

  // No place to put the handle at all.
  EXPECT_EQ(kalot_create_cadmodel(nullptr, "m", 1, kInertia, kZero, 0, 0, "f", nullptr), 1);
  EXPECT_EQ(kalot_create_cadmodelref(nullptr, "r", "n", part, kIdentity, kZero, 1, 0, 0, nullptr), 1);
  EXPECT_EQ(kalot_create_cadcs(nullptr, "cs", "n", kIdentity, kZero), 1);
  EXPECT_EQ(kalot_create_assemcomp(nullptr), 1);
  EXPECT_EQ(kalot_create_assemcomp_fromstr(nullptr, "a", part), 1);
  EXPECT_EQ(kalot_create_constrain(nullptr, "c", 0, comp, nullptr, 0, 0, kZero, kZero, kZero, kZero), 1);
}

// A NaN or an infinity would reach the written file, which no reader opens: the call that brings
// one in is refused. Every number of every building call is tried in turn; only its call fails.
TEST_F(BuildingCallsTest, NonFiniteNumbersGiveOneAndCreateNothing) {
  void* part = model("Part");
  void* comp = component();
  // One slot per number: model (mass, volume, area, inertia 6, cg 3, material 9), reference (scale,
  // rotation 9, translation 3, material 9), coordinate system (rotation 9, translation 3), constraint
  // (two locations and two axes).
  enum { kModel = 0, kRef = 21, kCS = 43, kConstraint = 55, kSlots = 67 };
  auto material = [](const double* v) {
    return kalot_vis_mat_prop{{v[0], v[1], v[2]}, v[3], v[4], v[5], v[6], v[7], v[8]};
  };
  auto calls = [&](const std::vector<double>& v, int results[4]) {
    void* out[4] = {kSentinel, kSentinel, kSentinel, kSentinel};
    const double* m = &v[kModel];
    const kalot_vis_mat_prop modelMaterial = material(m + 12);
    results[0] = kalot_create_cadmodel(&out[0], "m", m[0], m + 3, m + 9, m[1], m[2], "f", &modelMaterial);
    const double* r = &v[kRef];
    const kalot_vis_mat_prop refMaterial = material(r + 13);
    results[1] = kalot_create_cadmodelref(&out[1], "r", "n", part, r + 1, r + 10, r[0], 0, 0, &refMaterial);
    results[2] = kalot_create_cadcs(&out[2], "cs", "n", &v[kCS], &v[kCS + 9]);
    const double* c = &v[kConstraint];
    results[3] = kalot_create_constrain(&out[3], "c", 0, comp, nullptr, 2, 2, c, c + 3, c + 6, c + 9);
    for (int i = 0; i < 4; ++i) {
      if (results[i] == 0) {
        keep(out[i]);
      } else {
        EXPECT_EQ(out[i], nullptr) << "call " << i;
      }
    }
  };
  int results[4];
  calls(std::vector<double>(kSlots, 0.5), results);
  for (int rc : results) ASSERT_EQ(rc, 0) << "finite numbers are taken";
  const int owner[] = {kModel, kRef, kCS, kConstraint, kSlots};
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    for (int slot = 0; slot < kSlots; ++slot) {
      std::vector<double> v(kSlots, 0.5);
      v[slot] = bad;
      calls(v, results);
      for (int i = 0; i < 4; ++i) {
        const bool carries = slot >= owner[i] && slot < owner[i + 1];
        EXPECT_EQ(results[i], carries ? 1 : 0) << "call " << i << ", slot " << slot << ", value " << bad;
      }
    }
  }
}

TEST_F(BuildingCallsTest, MissingEmptyOrForeignHandlesGiveOne) {
  void* part = model("Part");
  void* r = ref("r", part);
  void* comp = component();
  void* cs = nullptr;
  ASSERT_EQ(kalot_create_cadcs(&cs, "cs", "n", kIdentity, kZero), 0);
  keep(cs);
  void* c = nullptr;
  ASSERT_EQ(kalot_create_constrain(&c, "c", 0, comp, nullptr, 0, 0, kZero, kZero, kZero, kZero), 0);
  keep(c);
  void* emptyModel = keep(kalo_api::makeHandle(boost::shared_ptr<CadModel>()));
  void* emptyRef = keep(kalo_api::makeHandle(boost::shared_ptr<CadModelRef>()));

  for (void* bad : {static_cast<void*>(nullptr), emptyModel, r}) {  // r: a reference where a model is needed
    void* out = kSentinel;
    EXPECT_EQ(kalot_cadmodel_setfilename(bad, "f"), 1);
    EXPECT_EQ(kalot_create_cadmodelref(&out, "r", "n", bad, kIdentity, kZero, 1, 0, 0, nullptr), 1);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(kalot_add_refincadmodel(bad, r), 1);
    EXPECT_EQ(kalot_add_cadcs(bad, cs), 1);
    EXPECT_EQ(kalot_add_constrain(bad, c), 1);
    out = kSentinel;
    EXPECT_EQ(kalot_create_assemcomp_fromstr(&out, "r", bad), 1);
    EXPECT_EQ(out, nullptr);
  }
  for (void* bad : {static_cast<void*>(nullptr), emptyRef, part}) {
    int flag = 7;
    EXPECT_EQ(kalot_add_refincadmodel(part, bad), 1);
    EXPECT_EQ(kalot_get_refflexibleflag(&flag, bad), 1);
    EXPECT_EQ(kalot_get_reffixedflag(&flag, bad), 1);
    EXPECT_EQ(flag, 7);
    EXPECT_EQ(kalot_set_refflexibleflag(bad, 1), 1);
    EXPECT_EQ(kalot_set_reffixedflag(bad, 1), 1);
    EXPECT_EQ(kalot_add_refincomp(comp, bad), 1);
  }
  EXPECT_EQ(kalot_add_refincomp(nullptr, r), 1);
  EXPECT_EQ(kalot_add_refincomp(part, r), 1);
  EXPECT_EQ(kalot_add_cadcs(part, nullptr), 1);
  EXPECT_EQ(kalot_add_cadcs(part, comp), 1);
  EXPECT_EQ(kalot_add_constrain(part, nullptr), 1);
  EXPECT_EQ(kalot_add_constrain(part, cs), 1);

  // A component handle of the wrong kind is an error, not an absent side.
  void* out = kSentinel;
  EXPECT_EQ(kalot_create_constrain(&out, "c", 0, part, comp, 0, 0, kZero, kZero, kZero, kZero), 1);
  EXPECT_EQ(out, nullptr);

  // Nothing was linked by the refused calls.
  auto partObject = objectOf<CadModel>(part);
  EXPECT_EQ(partObject->getChildModelCount(), 0u);
  EXPECT_EQ(partObject->getCSCount(), 0u);
  EXPECT_EQ(partObject->getConstrainCount(), 0u);
  EXPECT_EQ(objectOf<AssemComp>(comp)->getCadModelRefCount(), 0u);
}

TEST_F(BuildingCallsTest, DefinitionsCannotPlaceThemselves) {
  void* top = model("Top");
  void* sub = model("Sub");
  void* leaf = model("Leaf");
  place(top, "sub", sub);
  place(sub, "leaf", leaf);

  void* selfRef = ref("self", top);
  EXPECT_EQ(kalot_add_refincadmodel(top, selfRef), 1);
  void* topInLeaf = ref("top", top);
  EXPECT_EQ(kalot_add_refincadmodel(leaf, topInLeaf), 1);
  EXPECT_EQ(objectOf<CadModel>(leaf)->getChildModelCount(), 0u);

  // Placing one definition twice, even at different depths, is no cycle.
  void* leafAgain = ref("leaf", leaf);
  EXPECT_EQ(kalot_add_refincadmodel(top, leafAgain), 0);
}

// A constraint keeps the references of its components, and they their definitions: a constraint
// stated in a definition that one of its own references places would keep that definition alive
// after every handle is released. Such links are refused, in either order of building.
TEST_F(BuildingCallsTest, ConstraintsCannotKeepTheirOwnDefinitionAlive) {
  void* top = model("Top");
  void* arm = model("Arm");
  void* pin = model("Pin");
  place(top, "arm", arm);
  place(arm, "pin", pin);
  void* armComp = component("arm", top);
  void* pinComp = component("arm/pin", top);
  auto constraint = [&](void* side) {
    void* c = nullptr;
    EXPECT_EQ(kalot_create_constrain(&c, "c", 0, side, nullptr, 2, 2, kZero, kZero, kZero, kZero), 0);
    return keep(c);
  };
  EXPECT_EQ(kalot_add_constrain(arm, constraint(armComp)), 1) << "names Arm's own placement";
  EXPECT_EQ(kalot_add_constrain(pin, constraint(pinComp)), 1) << "its path passes through Arm to Pin";
  EXPECT_EQ(objectOf<CadModel>(arm)->getConstrainCount(), 0u);
  EXPECT_EQ(kalot_add_constrain(top, constraint(pinComp)), 0) << "the top states it: no cycle";

  // Other order: a constraint of Leaf names Sub's placement, then Sub would place Leaf.
  void* sub = model("Sub");
  void* leaf = model("Leaf");
  void* subRef = place(top, "sub", sub);
  void* subComp = component();
  ASSERT_EQ(kalot_add_refincomp(subComp, subRef), 0);
  ASSERT_EQ(kalot_add_constrain(leaf, constraint(subComp)), 0);
  EXPECT_EQ(kalot_add_refincadmodel(sub, ref("leaf", leaf)), 1);
  EXPECT_EQ(objectOf<CadModel>(sub)->getChildModelCount(), 0u);
}

TEST(UnitsCallTest, UnitPairsWithoutInertiaUnitGiveSixButAreStored) {
  EXPECT_EQ(kalot_set_units(KALOT_MASS_OZ, KALOT_LENGTH_IN), 0);
  EXPECT_EQ(s_getDefaultCadUnit()->massUnit, KALOT_MASS_OZ);
  EXPECT_EQ(s_getDefaultCadUnit()->inertiaUnit, KALOT_INERTIA_LBM_IN2);
  EXPECT_EQ(kalot_set_units(static_cast<KalotMassUnit>(9), KALOT_LENGTH_M), 6);
  EXPECT_EQ(s_getDefaultCadUnit()->massUnit, 9);
  EXPECT_EQ(kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M), 0);
  EXPECT_EQ(s_getDefaultCadUnit()->inertiaUnit, KALOT_INERTIA_KG_M2);
}
