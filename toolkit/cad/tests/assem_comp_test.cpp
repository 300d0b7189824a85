#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>
#include <boost/weak_ptr.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

using namespace kalo_toolkit;

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kRotZ90[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};  // columns (0,1,0), (-1,0,0), (0,0,1)
const double kRotX90[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};  // columns (1,0,0), (0,0,1), (0,-1,0)

boost::shared_ptr<CadModel> makeModel(const std::string& name) {
  return boost::make_shared<CadModel>(name, 1.0, nullptr, nullptr, 0.0, 0.0, "", nullptr);
}

boost::shared_ptr<CadModelRef> makeRef(const std::string& name, const boost::shared_ptr<CadModel>& model,
                                       const double* rotation = kIdentity,
                                       const double* translation = nullptr, double scale = 1.0) {
  return boost::make_shared<CadModelRef>(name, "", model, rotation, translation, scale, false, false,
                                         nullptr);
}

// Places a new reference named `name` to `child` inside `parent`.
boost::shared_ptr<CadModelRef> place(const boost::shared_ptr<CadModel>& parent, const std::string& name,
                                     const boost::shared_ptr<CadModel>& child) {
  auto ref = makeRef(name, child);
  parent->addCadModelRef(ref);
  return ref;
}

void expectNear3(const double* actual, double x, double y, double z) {
  EXPECT_NEAR(actual[0], x, 1e-12);
  EXPECT_NEAR(actual[1], y, 1e-12);
  EXPECT_NEAR(actual[2], z, 1e-12);
}

// The cumulative transform of `comp` is the expected one and maps points as the step-by-step walk does.
void expectCumulative(const AssemComp& comp, const double* rotation, const double* translation, double scale,
                      double tolerance = 1e-12) {
  double r[9], t[3] = {9, 9, 9}, s = 9;
  comp.getCumulativeTransform(r, t, s);
  EXPECT_NEAR(s, scale, tolerance);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(r[i], rotation[i], tolerance) << i;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(t[i], translation[i], tolerance) << i;
  const double points[3][3] = {{0, 0, 0}, {1, 2, 3}, {-4, 0.5, 7}};
  for (const auto& p : points) {
    double stepwise[3];
    comp.transformToAssemCS(p, stepwise, false);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(s * (r[i] * p[0] + r[i + 3] * p[1] + r[i + 6] * p[2]) + t[i], stepwise[i], 1e-12);
  }
}

}  // namespace

TEST(AssemCompTransformTest, PointsGetTranslationsVectorsDoNot) {
  const double t[3] = {1, 0, 0};
  AssemComp comp;
  comp.addCadModelRef(makeRef("a", makeModel("A"), kIdentity, t, 2.0));
  const double in[3] = {1, 1, 1};
  double out[3];
  comp.transformToAssemCS(in, out, false);
  expectNear3(out, 3, 2, 2);
  comp.transformToAssemCS(in, out, true);
  expectNear3(out, 2, 2, 2);  // scaled, not normalised

  AssemComp empty;
  empty.transformToAssemCS(in, out, false);
  expectNear3(out, 1, 1, 1);
}

TEST(AssemCompTransformTest, CumulativeTransformAppliesInnermostFirstAndMultipliesScales) {
  const double zero[3] = {0, 0, 0}, t[3] = {4, 5, 6};
  expectCumulative(AssemComp(), kIdentity, zero, 1.0, 0);
  AssemComp single;
  single.addCadModelRef(makeRef("a", makeModel("A"), kRotX90, t, 2.5));
  expectCumulative(single, kRotX90, t, 2.5, 0);

  const double outerT[3] = {0, 0, 1}, innerT[3] = {1, 0, 0}, chainT[3] = {0, 1, 1};
  AssemComp chain;
  chain.addCadModelRef(makeRef("outer", makeModel("O"), kRotZ90, outerT));
  chain.addCadModelRef(makeRef("inner", makeModel("I"), kIdentity, innerT));
  expectCumulative(chain, kRotZ90, chainT, 1.0);

  const double scaledOuterT[3] = {1, 2, 3}, innermostT[3] = {0, -1, 0.5};
  AssemComp comp;
  comp.addCadModelRef(makeRef("outer", makeModel("O"), kRotZ90, scaledOuterT, 2.0));
  comp.addCadModelRef(makeRef("inner", makeModel("I"), kRotX90, innerT, 3.0));
  // Rz90 . Rx90 sends x to y, y to z and z to x.
  const double twoRotations[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0}, twoT[3] = {1, 4, 3};
  expectCumulative(comp, twoRotations, twoT, 6.0);
  comp.addCadModelRef(makeRef("innermost", makeModel("N"), kRotZ90, innermostT, 0.5));
  const double threeRotations[9] = {0, 0, 1, 0, -1, 0, 1, 0, 0}, threeT[3] = {4, 4, -3};
  expectCumulative(comp, threeRotations, threeT, 3.0);
}

TEST(AssemCompTransformTest, ZeroScaleCollapsesWithoutNaN) {
  const double outerT[3] = {1, 2, 3}, innerT[3] = {1, 0, 0};
  AssemComp comp;
  comp.addCadModelRef(makeRef("outer", makeModel("O"), kRotZ90, outerT, 2.0));
  comp.addCadModelRef(makeRef("inner", makeModel("I"), kIdentity, innerT, 0.0));
  double rotation[9], translation[3], scale = 1;
  comp.getCumulativeTransform(rotation, translation, scale);
  EXPECT_EQ(scale, 0.0);
  for (double r : rotation) EXPECT_FALSE(std::isnan(r));
  expectNear3(translation, 1, 4, 3);  // every point lands where the inner origin does
}

TEST(AssemCompTest, NameJoinsPlainNamesAndCopiesShareReferences) {
  auto part = makeModel("P");
  auto parent = makeModel("Top");
  auto first = place(parent, "bolt", part);
  auto second = place(parent, "bolt", part);  // display name bolt-1
  AssemComp comp;
  EXPECT_EQ(comp.getName(), "");
  EXPECT_FALSE(comp.getCadModelRefAtEnd());
  comp.addCadModelRef(first);
  comp.addCadModelRef(second);
  EXPECT_EQ(comp.getName(), "bolt/bolt");
  EXPECT_EQ(comp.getCadModelRefAtEnd(), second);
  EXPECT_FALSE(comp.getCadModelRefAt(2));

  std::unique_ptr<AssemComp> copy(comp.copy());
  comp.popCadModelRef();
  EXPECT_EQ(copy->getCadModelRefCount(), 2u);
  EXPECT_EQ(copy->getCadModelRefAt(1), second);
  EXPECT_EQ(comp.getCadModelRefCount(), 1u);
}

TEST(AssemCompLookupTest, FindsNestedPathsOnly) {
  auto top = makeModel("Top");
  auto a = makeModel("a");
  auto b = makeModel("b");
  auto refA = place(top, "A", a);
  auto refB = place(a, "B", b);

  std::unique_ptr<AssemComp> found(AssemComp::createAssemComp("A/B", top));
  ASSERT_TRUE(found);
  ASSERT_EQ(found->getCadModelRefCount(), 2u);
  EXPECT_EQ(found->getCadModelRefAt(0), refA);
  EXPECT_EQ(found->getCadModelRefAt(1), refB);

  std::unique_ptr<AssemComp> justA(AssemComp::createAssemComp("A", top));
  ASSERT_TRUE(justA);
  EXPECT_EQ(justA->getCadModelRefCount(), 1u);

  for (const char* missing : {"A/C", "B", "", "/A", "A/", "A//B", "A/B/C", "AB"}) {
    EXPECT_EQ(AssemComp::createAssemComp(missing, top), nullptr) << missing;
  }
  EXPECT_EQ(AssemComp::createAssemComp("A", boost::shared_ptr<CadModel>()), nullptr);
}

TEST(AssemCompLookupTest, FirstMatchInDepthFirstOrderWins) {
  auto top = makeModel("Top");
  auto x1 = makeModel("x1");
  auto x2 = makeModel("x2");
  auto firstX = place(top, "X", x1);
  auto secondX = place(top, "X", x2);
  place(x1, "P", makeModel("p"));
  auto q = place(x2, "Q", makeModel("q"));
  auto deepP = place(x2, "P", makeModel("p2"));

  std::unique_ptr<AssemComp> x(AssemComp::createAssemComp("X", top));
  ASSERT_TRUE(x);
  EXPECT_EQ(x->getCadModelRefAt(0), firstX);  // the second X itself is unreachable

  // Below the second X, only what the first X does not hold can be found.
  std::unique_ptr<AssemComp> xq(AssemComp::createAssemComp("X/Q", top));
  ASSERT_TRUE(xq);
  EXPECT_EQ(xq->getCadModelRefAt(0), secondX);
  EXPECT_EQ(xq->getCadModelRefAt(1), q);
  std::unique_ptr<AssemComp> xp(AssemComp::createAssemComp("X/P", top));
  ASSERT_TRUE(xp);
  EXPECT_EQ(xp->getCadModelRefAt(0), firstX);
  EXPECT_NE(xp->getCadModelRefAt(1), deepP);
}

TEST(AssemCompLookupTest, ReferenceWithoutDefinitionIsNotEntered) {
  auto top = makeModel("Top");
  auto hollow = place(top, "N", boost::shared_ptr<CadModel>());
  auto m = makeModel("m");
  place(top, "M", m);
  place(m, "K", makeModel("k"));

  std::unique_ptr<AssemComp> n(AssemComp::createAssemComp("N", top));
  ASSERT_TRUE(n);
  EXPECT_EQ(n->getCadModelRefAt(0), hollow);
  EXPECT_EQ(AssemComp::createAssemComp("N/K", top), nullptr);
  std::unique_ptr<AssemComp> mk(AssemComp::createAssemComp("M/K", top));
  EXPECT_TRUE(mk);
}

TEST(AssemCompLookupTest, SelfPlacingDefinitionDoesNotHang) {
  auto a = makeModel("a");
  auto self = place(a, "A", a);
  std::unique_ptr<AssemComp> found(AssemComp::createAssemComp("A/A/A", a));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->getCadModelRefCount(), 3u);
  EXPECT_EQ(AssemComp::createAssemComp("A/A/B", a), nullptr);
  a->cadmodels.clear();  // break the cycle so the test does not leak
}

TEST(AssemCompLookupTest, DeepChainNeedsNoRecursion) {
  // Built bottom-up; both the lookup and the release of the tree must cope with this depth.
  const int depth = 100000;
  auto top = makeModel("Top");
  boost::weak_ptr<CadModel> deepest;
  {
    auto current = makeModel("leaf");
    deepest = current;
    for (int i = 0; i < depth - 1; ++i) {
      auto parent = makeModel("level");
      place(parent, "L", current);
      current = parent;
    }
    place(top, "L", current);
  }
  std::string path = "L";
  for (int i = 1; i < depth; ++i) path += "/L";
  std::unique_ptr<AssemComp> found(AssemComp::createAssemComp(path, top));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->getCadModelRefCount(), static_cast<size_t>(depth));
  EXPECT_EQ(AssemComp::createAssemComp(path + "/L", top), nullptr);
  found.reset();
  top.reset();
  EXPECT_TRUE(deepest.expired());
}

TEST(ConstrainTest, SidesAreTransformedThroughTheirComponents) {
  const double t[3] = {1, 0, 0};
  AssemComp comp;
  comp.addCadModelRef(makeRef("a", makeModel("A"), kRotZ90, t, 2.0));
  const double loc1[3] = {1, 2, 3}, axis1[3] = {0, 0, 1}, loc2[3] = {1, 0, 0}, axis2[3] = {1, 0, 0};
  Constrain c("mate", 0, nullptr, &comp, 0, 0, loc1, axis1, loc2, axis2);
  double out[3];
  c.getBody1LocationInAssemCS(out);
  expectNear3(out, 1, 2, 3);
  c.getBody1AxisInAssemCS(out);
  expectNear3(out, 0, 0, 1);
  c.getBody2LocationInAssemCS(out);
  expectNear3(out, 1, 2, 0);
  c.getBody2AxisInAssemCS(out);
  expectNear3(out, 0, 2, 0);
}
