// Written CAD XML files compared byte for byte with references committed from
// an earlier writer. KALO_WRITE_REFERENCES=1 rewrites the references instead.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>

using namespace kalo_toolkit;

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void expectReference(const CadModel& model, const std::string& name) {
  const std::string out = ::testing::TempDir() + "/cad_reference_" + name;
  ASSERT_EQ(model.writeToXML(out), KALOT_SUCCESS) << name;
  const std::string written = slurp(out);
  std::remove(out.c_str());
  const std::string reference = std::string(KALO_TEST_DATA_DIR) + "/reference/cad/" + name;
  if (std::getenv("KALO_WRITE_REFERENCES") != nullptr) {
    std::ofstream(reference, std::ios::binary) << written;
    return;
  }
  const std::string expected = slurp(reference);
  ASSERT_FALSE(expected.empty()) << name;
  EXPECT_TRUE(written == expected) << name << ": written file differs from its reference";
}

// A flat station of n placed parts from a small library, consecutive parts
// mated, with a two-level sub-assembly and odd texts.
boost::shared_ptr<CadModel> generatedAssembly(int n) {
  const double inertia[6] = {0.01, 0.02, 1e-14, 0, 0, 5e8};
  const double cg[3] = {0.01, -0.02, 1e-21};
  const kalot_vis_mat_prop mat{{1, 0.5, 0}, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  std::vector<boost::shared_ptr<CadModel>> library;
  for (int i = 0; i < 4; ++i) {
    library.push_back(boost::make_shared<CadModel>("Lib" + std::to_string(i), 1.0 + i, inertia, cg, 0.001,
                                                   0.06, "lib.stl", i % 2 ? &mat : nullptr));
  }
  auto sub = boost::make_shared<CadModel>("Sub <&> \"q\" \xc3\xa9", 0, nullptr, nullptr, 0, 0, "", nullptr);
  sub->addCadModelRef(
      boost::make_shared<CadModelRef>("In", "", library[0], nullptr, nullptr, 1.0, false, false, nullptr));
  auto top = boost::make_shared<CadModel>("Top", 0, nullptr, nullptr, 0, 0, "top.asm", &mat);
  const double rot[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  std::vector<boost::shared_ptr<CadModelRef>> refs;
  for (int i = 0; i < n; ++i) {
    const double at[3] = {0.1 * i, 1e-20, -3};
    refs.push_back(boost::make_shared<CadModelRef>(i % 10 == 0 ? "Sub" : "P", "",
                                                   i % 10 == 0 ? sub : library[i % 4], rot, at, 1.0,
                                                   i % 3 == 0, i % 5 == 0, i % 4 == 0 ? &mat : nullptr));
    top->addCadModelRef(refs.back());
  }
  const double loc[3] = {0.1, 0, 0}, axis[3] = {0, 0, 1};
  for (int i = 1; i < n; ++i) {
    AssemComp a, b;
    a.addCadModelRef(refs[i - 1]);
    b.addCadModelRef(refs[i]);
    top->addConstrain(boost::make_shared<Constrain>("M" + std::to_string(i), i % 5, &a, i % 6 ? &b : nullptr,
                                                    i % 4, 2, loc, axis, axis, loc));
  }
  return top;
}

}  // namespace

TEST(CadWriterReferenceTest, GeneratedAndReadBackAssemblies) {
  expectReference(*generatedAssembly(200), "generated_200.xml");
  KalotError error;
  auto crank =
      CadModel::readContentFromXML(&error, std::string(KALO_TEST_DATA_DIR) + "/convert/slider_crank.xml");
  ASSERT_TRUE(crank);
  expectReference(*crank, "slider_crank.xml");
}
