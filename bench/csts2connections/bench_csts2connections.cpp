// Times add + computeConnections of kalo_csts2connections for N instance pairs,
// each joined by one to four constraints taken from a mix of mechanisms, and
// prints the time per pair and the growth exponent between the sizes.
//
//   bench_csts2connections [--reps R] [--sizes N1,N2,...]
//
// Defaults: sizes 1000,10000,100000, best of 3 repetitions (a few seconds).

#include <kalo_csts2connections/kalo_csts2connections.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

using namespace kalo::csts2connections;
using ombra_math::Quaternion_T;
using ombra_math::Transform3_T;
using ombra_math::Vector3_T;
using G = ConstraintGeometry;
using C = Constraint;

struct Rng {
  std::uint64_t state;
  double next() {  // [0, 1)
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  }
};

Transform3_T randomPlacement(Rng& rng) {
  const Quaternion_T q(rng.next() - 0.5, rng.next() - 0.5, rng.next() - 0.5, rng.next() - 0.5);
  return Transform3_T(q, Vector3_T(10 * rng.next(), 10 * rng.next(), 10 * rng.next()));
}

struct Instance {
  std::vector<std::string> path;
  Transform3_T placement;
  G at(G::Type type, const Vector3_T& p, const Vector3_T& d = Vector3_T::K) const {
    const Transform3_T inverse = placement.inverseCompose(Transform3_T());
    return G(type, path, placement, inverse.xformPoint(p), inverse.xformDir(d));
  }
};

// The constraints of one pair: one of eight mechanisms, one to four constraints.
void addPair(std::vector<C>& out, const Instance& a, const Instance& b, int kind) {
  const Vector3_T o(1, 2, 3), z(0, 0, 1), x(1, 0, 0), y(0, 1, 0);
  switch (kind % 8) {
    case 0:  // revolute from coincident circles
      out.emplace_back(C::Coincident, "circles", a.at(G::Circle, o, z), b.at(G::Circle, o, z));
      break;
    case 1:  // revolute from a pin and a face
      out.emplace_back(C::Concentric, "pin", a.at(G::Cylinder, o, z), b.at(G::Cylinder, o, z));
      out.emplace_back(C::Coincident, "face", b.at(G::Plane, o, z), a.at(G::Plane, o, z));
      break;
    case 2:  // planar
      out.emplace_back(C::Coincident, "floor", a.at(G::Plane, o, y), b.at(G::Plane, o, y));
      break;
    case 3:  // universal
      out.emplace_back(C::Concentric, "centre", a.at(G::Sphere, o), b.at(G::Sphere, o));
      out.emplace_back(C::Perpendicular, "arms", a.at(G::Line, o, x), b.at(G::Line, o, y));
      break;
    case 4:  // prismatic from two plane contacts, with a duplicate
      out.emplace_back(C::Coincident, "floor", a.at(G::Plane, o, z), b.at(G::Plane, o, z));
      out.emplace_back(C::Coincident, "side", a.at(G::Plane, o, x), b.at(G::Plane, o, x));
      out.emplace_back(C::Coincident, "floor2", a.at(G::Plane, {4, 4, 3}, z), b.at(G::Plane, {5, 0, 3}, z));
      break;
    case 5:  // Cartesian from three parallel-plane constraints
      out.emplace_back(C::Parallel, "px", a.at(G::Plane, o, x), b.at(G::Plane, {}, x));
      out.emplace_back(C::Parallel, "py", a.at(G::Plane, o, y), b.at(G::Plane, {}, y));
      out.emplace_back(C::Angle, "pz", a.at(G::Plane, o, z), b.at(G::Plane, {}, z));
      break;
    case 6:  // weld from four point contacts
      for (const Vector3_T& p : {Vector3_T(0, 0, 0), x, y, z}) {
        out.emplace_back(C::Coincident, "pt", a.at(G::Point, p), b.at(G::Sphere, p));
      }
      break;
    default:  // revolute from a point and a plane, plus a redundant distance
      out.emplace_back(C::Coincident, "pt", a.at(G::Point, o), b.at(G::Point, o));
      out.emplace_back(C::Coincident, "plane", b.at(G::Plane, o, z), a.at(G::Plane, o, z));
      out.emplace_back(C::Distance, "gap", a.at(G::Plane, {0, 0, 5}, z), b.at(G::Plane, {0, 0, 7}, z));
      break;
  }
}

std::vector<C> makeConstraints(std::size_t pairs) {
  Rng rng{12345};
  std::vector<C> out;
  out.reserve(pairs * 3);
  for (std::size_t i = 0; i < pairs; ++i) {
    const Instance a{{"Assembly", "Part" + std::to_string(2 * i)}, randomPlacement(rng)};
    const Instance b{{"Assembly", "Part" + std::to_string(2 * i + 1)}, randomPlacement(rng)};
    addPair(out, a, b, static_cast<int>(rng.next() * 8));
  }
  // Constraints of different pairs arrive interleaved, as from a CAD assembly.
  for (std::size_t i = out.size(); i > 1; --i)
    std::swap(out[i - 1], out[static_cast<std::size_t>(rng.next() * i)]);
  return out;
}

// CPU time of this thread: less disturbed than wall time on a shared machine.
double threadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

struct Timing {
  double cpu;
  double wall;
};

Timing timeOnce(std::vector<C>& constraints, std::size_t expectedPairs) {
  const double cpuStart = threadSeconds();
  const auto wallStart = std::chrono::steady_clock::now();
  Constraints2Connections engine;
  for (C& c : constraints) engine.add(c);
  engine.computeConnections();
  const double cpu = threadSeconds() - cpuStart;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  if (engine.connections.size() != expectedPairs) {
    std::fprintf(stderr, "unexpected connection count %zu for %zu pairs\n", engine.connections.size(),
                 expectedPairs);
    std::exit(1);
  }
  return {cpu, wall};
}

}  // namespace

int main(int argc, char** argv) {
  int reps = 3;
  std::vector<std::size_t> sizes{1000, 10000, 100000};
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--reps") == 0) {
      reps = std::max(1, std::atoi(argv[i + 1]));
    } else if (std::strcmp(argv[i], "--sizes") == 0) {
      sizes.clear();
      for (const char* p = argv[i + 1]; *p != '\0';) {
        char* end = nullptr;
        const unsigned long n = std::strtoul(p, &end, 10);
        if (end == p) break;
        if (n > 0) sizes.push_back(n);
        p = *end == ',' ? end + 1 : end;
      }
    }
  }
  std::printf("%10s %14s %14s %16s %10s\n", "pairs", "constraints", "cpu best [s]", "cpu/pair [us]",
              "exponent");
  std::vector<double> times;
  for (std::size_t n : sizes) {
    std::vector<C> constraints = makeConstraints(n);
    Timing best{1e300, 1e300};
    for (int r = 0; r < reps; ++r) {
      const Timing t = timeOnce(constraints, n);
      best.cpu = std::min(best.cpu, t.cpu);
      best.wall = std::min(best.wall, t.wall);
    }
    char exponent[32] = "-";
    if (!times.empty()) {
      const std::size_t previous = sizes[times.size() - 1];
      std::snprintf(exponent, sizeof exponent, "%.3f",
                    std::log(best.cpu / times.back()) / std::log(static_cast<double>(n) / previous));
    }
    times.push_back(best.cpu);
    std::printf("%10zu %14zu %14.4f %16.3f %10s   (wall best %.4f s)\n", n, constraints.size(), best.cpu,
                best.cpu / n * 1e6, exponent, best.wall);
  }
  if (times.size() > 1 && sizes.back() != sizes.front()) {
    std::printf(
        "growth exponent %zu -> %zu: %.3f\n", sizes.front(), sizes.back(),
        std::log(times.back() / times.front()) / std::log(static_cast<double>(sizes.back()) / sizes.front()));
  }
  return 0;
}
