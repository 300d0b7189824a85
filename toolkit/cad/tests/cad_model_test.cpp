#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/cad_cs.hpp>
#include <kalo_toolkit/cad_joint.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

using namespace kalo_toolkit;

namespace {

boost::shared_ptr<CadModel> makeModel(const std::string& name) {
  const double inertia[6] = {1, 2, 3, 4, 5, 6};
  const double cg[3] = {0.5, 0.25, 0.125};
  return boost::make_shared<CadModel>(name, 2.0, inertia, cg, 3.0, 4.0, name + ".step", nullptr);
}

boost::shared_ptr<CadModelRef> makeRef(const std::string& name, const boost::shared_ptr<CadModel>& model) {
  return boost::make_shared<CadModelRef>(name, "id-" + name, model, nullptr, nullptr, 1.0, false, false,
                                         nullptr);
}

}  // namespace

TEST(CadModelRefTest, DisplayNamesCountEarlierReferencesOfTheSameName) {
  auto parent = makeModel("Top");
  auto part = makeModel("Part");
  std::vector<boost::shared_ptr<CadModelRef>> refs;
  for (const char* name : {"bolt", "nut", "bolt", "bolt"}) {
    refs.push_back(makeRef(name, part));
    parent->addCadModelRef(refs.back());
  }
  const char* const expected[] = {"bolt", "nut", "bolt-1", "bolt-2"};
  for (size_t i = 0; i < refs.size(); ++i) EXPECT_EQ(refs[i]->getDisplayName(), expected[i]) << i;
  EXPECT_EQ(refs[3]->getInstanceIndex(), 2u);
  EXPECT_EQ(refs[3]->getName(), "bolt");

  // Names compare exactly: case matters.
  auto upper = makeRef("Bolt", part);
  parent->addCadModelRef(upper);
  EXPECT_EQ(upper->getDisplayName(), "Bolt");
}

TEST(CadModelRefTest, RenamedReferencesCountUnderTheirCurrentName) {
  auto parent = makeModel("Top");
  auto part = makeModel("Part");
  auto a = makeRef("a", part);
  parent->addCadModelRef(a);
  parent->addCadModelRef(makeRef("x", part));
  a->setName("b");
  auto again = makeRef("a", part);
  parent->addCadModelRef(again);
  EXPECT_EQ(again->getDisplayName(), "a");
  auto b = makeRef("b", part);
  parent->addCadModelRef(b);
  EXPECT_EQ(b->getDisplayName(), "b-1");
  // A rename elsewhere, then one in this model between two additions.
  makeRef("other", part)->setName("a");
  again->setName("x");
  auto x = makeRef("x", part);
  parent->addCadModelRef(x);
  EXPECT_EQ(x->getDisplayName(), "x-2");
}

TEST(CadModelRefTest, InstanceIndexFollowsTheLastAddition) {
  auto part = makeModel("Part");
  auto ref = makeRef("bolt", part);
  EXPECT_EQ(ref->getDisplayName(), "bolt-18446744073709551615");

  auto first = makeModel("First");
  first->addCadModelRef(makeRef("bolt", part));
  first->addCadModelRef(makeRef("bolt", part));
  first->addCadModelRef(ref);
  EXPECT_EQ(ref->getDisplayName(), "bolt-2");

  auto second = makeModel("Second");
  second->addCadModelRef(ref);
  EXPECT_EQ(ref->getDisplayName(), "bolt");

  // The same reference added twice counts once more.
  second->addCadModelRef(ref);
  EXPECT_EQ(ref->getDisplayName(), "bolt-1");
  EXPECT_EQ(second->getChildModelCount(), 2u);

  // References appended to the public list directly still count.
  second->cadmodels.push_back(makeRef("bolt", part));
  auto later = makeRef("bolt", part);
  second->addCadModelRef(later);
  EXPECT_EQ(later->getDisplayName(), "bolt-3");
}

TEST(CadModelTest, IndexedGettersReturnEmptyPastTheEnd) {
  auto model = makeModel("Top");
  auto ref = makeRef("a", makeModel("Part"));
  model->addCadModelRef(ref);
  const double loc[3] = {0, 0, 0};
  auto c = boost::make_shared<Constrain>("c", 0, nullptr, nullptr, 0, 0, loc, loc, loc, loc);
  model->addConstrain(c);
  auto joint = boost::make_shared<CadJoint>("j");
  model->addCadJoint(joint);
  const double rot[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  auto cs = boost::make_shared<CadCS>("cs", "cs-id", rot, loc);
  model->addCS(cs);

  EXPECT_EQ(model->getCadJointAt(0), joint);
  EXPECT_FALSE(model->getChildModelAt(1));
  EXPECT_FALSE(model->getConstrainAt(1));
  EXPECT_FALSE(model->getCadJointAt(1));
  EXPECT_FALSE(model->getCSAt(1));
  EXPECT_FALSE(model->getChildModelAt(static_cast<size_t>(-1)));

  const CadModel& constModel = *model;
  EXPECT_EQ(constModel.getChildModelAt(0).get(), ref.get());
  EXPECT_FALSE(constModel.getChildModelAt(5));
  EXPECT_EQ(constModel.getCSAt(0).get(), cs.get());
  EXPECT_FALSE(constModel.getCSAt(5));
}

TEST(CadModelTest, MaterialIsOwnCopyAndReplaceable) {
  kalot_vis_mat_prop mat{{0.1, 0.2, 0.3}, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
  CadModel model("Top", 10, nullptr, nullptr, 11, 12, "top.step", &mat);
  mat.ambient = 99;
  ASSERT_NE(model.getMatProp(), nullptr);
  EXPECT_EQ(model.getMatProp()->ambient, 0.4);
  model.setMatProp(nullptr);
  EXPECT_EQ(model.getMatProp(), nullptr);
  model.setMatProp(&mat);
  EXPECT_EQ(model.getMatProp()->ambient, 99);
}

TEST(ConstrainTest, ComponentsAreCopiedAndShareTheirReferences) {
  auto ref = makeRef("a", makeModel("Part"));
  auto comp = std::make_unique<AssemComp>();
  comp->addCadModelRef(ref);
  const double loc1[3] = {1, 2, 3}, axis1[3] = {0, 0, 1}, loc2[3] = {4, 5, 6}, axis2[3] = {1, 0, 0};
  Constrain c("mate", 3, nullptr, comp.get(), 1, 2, loc1, axis1, loc2, axis2);
  comp.reset();  // the caller's component is not kept

  EXPECT_EQ(c.getComp1(), nullptr);
  ASSERT_NE(c.getComp2(), nullptr);
  EXPECT_EQ(c.getComp2()->getCadModelRefAt(0), ref);
}
