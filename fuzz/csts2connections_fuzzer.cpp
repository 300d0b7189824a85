// Builds constraints of every type between geometries of every type on a few
// part instances from the input bytes (placements and numbers that may be zero,
// tiny, huge or non-finite), computes the connections and prints the report.
// Nothing may crash, and the same constraints must give the same connections
// and the same report text: in a second engine, and in a second computation of
// the same engine (which appends an identical set).
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <kalo_csts2connections/kalo_csts2connections.hpp>

#include "fuzz_support.hpp"

namespace {

using kalo::csts2connections::Connection;
using kalo::csts2connections::Constraint;
using kalo::csts2connections::ConstraintGeometry;
using kalo::csts2connections::Constraints2Connections;
using kalo::csts2connections::Frame;
using ombra_math::Quaternion_T;
using ombra_math::Transform3_T;
using ombra_math::Vector3_T;

std::string reportPath;

double number(FuzzedDataProvider& in) {
  static const double kSpecial[] = {0.0,
                                    -0.0,
                                    1.0,
                                    -1.0,
                                    0.5,
                                    1e-9,
                                    1e-13,
                                    1e-300,
                                    1e300,
                                    -1e300,
                                    DBL_MAX,
                                    4.9e-324,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity()};
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return in.ConsumeIntegralInRange<int>(-3, 3);
    case 1:
      return kSpecial[in.ConsumeIntegralInRange<size_t>(0, std::size(kSpecial) - 1)];
    case 2:
      return in.ConsumeFloatingPoint<double>();
    default:
      return in.ConsumeFloatingPointInRange<double>(-10.0, 10.0);
  }
}

Vector3_T vector(FuzzedDataProvider& in) {
  static const Vector3_T kDirections[] = {Vector3_T::I, Vector3_T::J, Vector3_T::K,
                                          {0, 0, 0},    {1, 1, 1},    {0, 0, -1}};
  if (in.ConsumeBool()) return kDirections[in.ConsumeIntegralInRange<size_t>(0, std::size(kDirections) - 1)];
  const double x = number(in), y = number(in);
  return Vector3_T(x, y, number(in));
}

struct Instance {
  std::vector<std::string> path;
  Transform3_T placement;
};

std::vector<Instance> instances(FuzzedDataProvider& in) {
  // Names whose ids collide in the group key ("1" + "234" and "12" + "34" would) are worth having.
  static const std::vector<std::string> kPaths[] = {{}, {"Base"}, {"Sub", "Arm"}, {"A"}, {"B"}, {"A", "B"}};
  std::vector<Instance> out;
  const int n = in.ConsumeIntegralInRange<int>(1, 5);
  for (int i = 0; i < n; ++i) {
    Instance inst;
    inst.path = kPaths[in.ConsumeIntegralInRange<size_t>(0, std::size(kPaths) - 1)];
    if (in.ConsumeBool()) {
      const double w = number(in), x = number(in), y = number(in), z = number(in);
      inst.placement = Transform3_T(Quaternion_T(w, x, y, z), vector(in));
    }
    out.push_back(inst);
  }
  return out;
}

ConstraintGeometry geometry(FuzzedDataProvider& in, const std::vector<Instance>& pool) {
  static const char* const kNames[] = {
      "point",  "LINE",    "Plane",  "cylinder", "cone", "ellipticalcylinder",
      "circle", "ellipse", "sphere", "torus",    ""};
  const ConstraintGeometry::Type type =
      in.ConsumeBool()
          ? static_cast<ConstraintGeometry::Type>(in.ConsumeIntegralInRange<int>(0, 6))
          : ConstraintGeometry::getType(kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)]);
  const Instance& owner = pool[in.ConsumeIntegralInRange<size_t>(0, pool.size() - 1)];
  const Vector3_T position = vector(in);
  if (in.ConsumeBool()) return ConstraintGeometry(type, owner.path, owner.placement, position);
  return ConstraintGeometry(type, owner.path, owner.placement, position, vector(in));
}

std::vector<Constraint> constraints(FuzzedDataProvider& in) {
  static const char* const kNames[] = {"Coincident", "distance", "CONCENTRIC", "Perpendicular", "parallel",
                                       "Angle",      "tangent",  "Rigid",      "mate"};
  const std::vector<Instance> pool = instances(in);
  std::vector<Constraint> out;
  const int n = in.ConsumeIntegralInRange<int>(0, 12);
  for (int i = 0; i < n; ++i) {
    const Constraint::Type type =
        in.ConsumeBool()
            ? static_cast<Constraint::Type>(in.ConsumeIntegralInRange<int>(0, 8))
            : Constraint::getType(kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)]);
    const ConstraintGeometry one = geometry(in, pool);
    out.emplace_back(type, "c" + std::to_string(i), one, geometry(in, pool));
  }
  return out;
}

// What print writes to standard output (through both the C and the C++ streams).
std::string report(const Constraints2Connections& engine, const std::vector<std::string>& names) {
  std::cout.flush();
  std::fflush(stdout);
  const int saved = dup(1);
  const int fd = open(reportPath.c_str(), O_WRONLY | O_TRUNC | O_CREAT, 0600);
  if (saved < 0 || fd < 0 || dup2(fd, 1) < 0) std::abort();
  close(fd);
  engine.print(names);
  std::cout.flush();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::string text;
  kalo_fuzz::readFile(reportPath, text);
  return text;
}

// Bit patterns, so that NaN results compare equal to themselves.
bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool same(const Frame& a, const Frame& b) {
  const Quaternion_T& qa = a.transform.rotation();
  const Quaternion_T& qb = b.transform.rotation();
  const Vector3_T& ta = a.transform.translation();
  const Vector3_T& tb = b.transform.translation();
  return a.instancePath == b.instancePath && same(qa.w(), qb.w()) && same(qa.x(), qb.x()) &&
         same(qa.y(), qb.y()) && same(qa.z(), qb.z()) && same(ta[0], tb[0]) && same(ta[1], tb[1]) &&
         same(ta[2], tb[2]);
}

std::vector<std::string> names(const std::vector<Constraint>& list) {
  std::vector<std::string> out;
  for (const Constraint& c : list) out.push_back(c.name);
  return out;
}

bool same(const Connection& a, const Connection& b) {
  return a.type == b.type && a.status == b.status && a.fromConstraints == b.fromConstraints &&
         a.name == b.name && same(a.baseFrame, b.baseFrame) && same(a.followerFrame, b.followerFrame) &&
         names(a.constraintsUsed) == names(b.constraintsUsed) &&
         names(a.constraintsOriginal) == names(b.constraintsOriginal);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  reportPath = kalo_fuzz::makeTempFile(".report.txt");
  std::atexit([] { std::remove(reportPath.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::vector<Constraint> list = constraints(in);

  Constraints2Connections first, second;
  for (Constraint& c : list) first.add(c);
  for (Constraint& c : list) second.add(c);
  first.computeConnections();
  second.computeConnections();
  const size_t n = first.connections.size();
  FUZZ_CHECK(second.connections.size() == n, "two engines give different numbers of connections");
  FUZZ_CHECK(n <= list.size(), "more connections than constraints");
  std::vector<std::string> labels;
  for (size_t i = 0; i < n; ++i) {
    FUZZ_CHECK(same(first.connections[i], second.connections[i]), "two engines give different connections");
    labels.push_back("j" + std::to_string(i));
  }
  const std::string text = report(first, labels);
  FUZZ_CHECK(text == report(second, labels), "two engines print different reports");

  // A second computation appends the same set again.
  first.computeConnections();
  FUZZ_CHECK(first.connections.size() == 2 * n, "a second computation did not append one set");
  for (size_t i = 0; i < n; ++i)
    FUZZ_CHECK(same(first.connections[i], first.connections[n + i]), "a second computation differs");
  return 0;
}
