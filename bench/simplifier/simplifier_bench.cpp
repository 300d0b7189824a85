// Growth of the mechanism simplifier with model size: models of N bodies in
// long weld chains spread over a deep subsystem hierarchy, simplified in
// memory and read from their file with options 1 and 2. Prints the times and
// the growth exponent (slope of log time over log N; 1 means linear).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

using namespace kalo_toolkit;

namespace {

using BodyPtr = boost::shared_ptr<Body>;
using SubsystemPtr = boost::shared_ptr<Subsystem>;

constexpr size_t kDepth = 32;         // subsystem levels, each the child of the one before
constexpr size_t kChainLength = 500;  // bodies per weld chain

struct Generator {
  int nextFrameId = 0;

  BodyPtr body(const SubsystemPtr& s, const std::string& name) {
    const double inertia[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    auto b = boost::make_shared<Body>(name, 1.0, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0.001,
                                      KALOT_VOL_M3, 0.06, KALOT_SAREA_M2, name + ".stl", nullptr);
    auto f = boost::make_shared<Frame>("F", nextFrameId++, KALOT_LENGTH_M);
    f->setParent(b);
    b->addLink(f);
    b->setParent(s);
    s->addBodyRef(boost::make_shared<BodyRef>(name, b));
    return b;
  }
  void joint(const SubsystemPtr& s, const BodyPtr& base, const BodyPtr& follower, KalotPrimType type) {
    auto j = boost::make_shared<Joint>(base->getName() + "--" + follower->getName(),
                                       boost::make_shared<FrameRef>(base->getLinkAt(0)),
                                       boost::make_shared<FrameRef>(follower->getLinkAt(0)), "");
    j->addPrimitive(type, Joint::zoltNullAxis, "WORLD");
    j->setParent(s);
    s->addJoint(j);
  }

  // n bodies over kDepth nested subsystems. In each level the bodies form
  // chains of kChainLength welded bodies, the chains joined by revolutes. A
  // chain's welds are listed pairs first, then the links between the pairs,
  // so that most links merge two groups. The first bodies of consecutive
  // levels are welded across the subsystem boundary.
  SubsystemPtr build(size_t n) {
    auto top = boost::make_shared<Subsystem>("Top");
    std::vector<SubsystemPtr> levels{top};
    for (size_t d = 1; d < kDepth; ++d) {
      auto s = boost::make_shared<Subsystem>("L" + std::to_string(d));
      s->setParent(levels.back());
      levels.back()->addSubsystemRef(boost::make_shared<SubsystemRef>(s->getName(), s));
      levels.push_back(s);
    }
    std::vector<BodyPtr> firsts;
    size_t made = 0;
    for (size_t d = 0; d < kDepth; ++d) {
      const SubsystemPtr& s = levels[d];
      const size_t count = n / kDepth + (d < n % kDepth ? 1 : 0);
      std::vector<BodyPtr> bodies;
      for (size_t i = 0; i < count; ++i) bodies.push_back(body(s, "B" + std::to_string(made++)));
      if (!bodies.empty()) firsts.push_back(bodies.front());
      for (size_t c = 0; c < count; c += kChainLength) {
        const size_t end = std::min(count, c + kChainLength);
        for (size_t i = c; i + 1 < end; i += 2) joint(s, bodies[i], bodies[i + 1], KALOT_PRIM_WELD);
        for (size_t i = c + 1; i + 1 < end; i += 2)
          if ((i / 2) % 2)
            joint(s, bodies[i], bodies[i + 1], KALOT_PRIM_WELD);
          else
            joint(s, bodies[i + 1], bodies[i], KALOT_PRIM_WELD);
        if (end < count) joint(s, bodies[end - 1], bodies[end], KALOT_PRIM_REVOLUTE);
      }
    }
    for (size_t d = 0; d + 1 < firsts.size(); ++d)
      joint(levels[d], firsts[d], firsts[d + 1], KALOT_PRIM_WELD);
    auto groundFrame = boost::make_shared<Frame>("", nextFrameId++, KALOT_LENGTH_M);
    auto ground = boost::make_shared<Ground>("RootGround", groundFrame);
    groundFrame->setParent(ground);
    ground->setParent(top);
    top->addGround(ground);
    if (!firsts.empty()) {
      auto j = boost::make_shared<Joint>("RootGround--" + firsts[0]->getName(),
                                         boost::make_shared<FrameRef>(groundFrame),
                                         boost::make_shared<FrameRef>(firsts[0]->getLinkAt(0)), "");
      j->addPrimitive(KALOT_PRIM_WELD, Joint::zoltNullAxis, "WORLD");
      j->setParent(top);
      top->addJoint(j);
    }
    return top;
  }
};

size_t countRigid(const Subsystem& s) {
  size_t n = s.getRigidFlag() ? 1 : 0;
  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i)
    n += countRigid(*s.getSubsystemRefAt(i)->getSubsystem());
  return n;
}

// CPU time of this thread: the machine is shared, and wall time would mostly
// measure the other processes.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Slope of the least-squares line through (log n, log t).
double exponent(const std::vector<size_t>& n, const std::vector<double>& t) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double k = static_cast<double>(n.size());
  for (size_t i = 0; i < n.size(); ++i) {
    const double x = std::log(static_cast<double>(n[i])), y = std::log(t[i]);
    sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  return (k * sxy - sx * sy) / (k * sxx - sx * sx);
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one;
  in >> one;
  return one.empty() ? "unknown" : one;
}

std::string cpuName() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown CPU";
}

constexpr int kRepeats = 3;
const MechanismSimplifier::Option kOptions[] = {MechanismSimplifier::FlattenAndGroup,
                                                MechanismSimplifier::Group};

// Building the model is plainly linear work on the same objects; its growth
// shows what the machine's memory makes of linear work at these sizes.
void inMemory(const std::vector<size_t>& sizes) {
  std::printf("\nSimplifier on a model in memory (CPU time, best of %d):\n", kRepeats);
  std::printf("%9s %12s %12s %12s %14s %10s %10s\n", "N", "build ms", "option 1 ms", "option 2 ms",
              "option 1 us/N", "rigid (1)", "rigid (2)");
  std::vector<double> buildTimes, times[2];
  for (size_t n : sizes) {
    double bestBuild = 1e300, best[2] = {1e300, 1e300};
    size_t rigid[2] = {0, 0};
    for (int o = 0; o < 2; ++o)
      for (int r = 0; r < kRepeats; ++r) {
        const double buildStart = cpuSeconds();
        SubsystemPtr top = Generator().build(n);
        const double start = cpuSeconds();
        bestBuild = std::min(bestBuild, start - buildStart);
        MechanismSimplifier(top, kOptions[o]);
        best[o] = std::min(best[o], cpuSeconds() - start);
        rigid[o] = countRigid(*top);
      }
    std::printf("%9zu %12.2f %12.2f %12.2f %14.3f %10zu %10zu\n", n, bestBuild * 1e3, best[0] * 1e3,
                best[1] * 1e3, best[0] * 1e6 / static_cast<double>(n), rigid[0], rigid[1]);
    buildTimes.push_back(bestBuild);
    times[0].push_back(best[0]);
    times[1].push_back(best[1]);
  }
  std::printf("growth exponent: option 1 %.2f, option 2 %.2f (building the model, for reference: %.2f)\n",
              exponent(sizes, times[0]), exponent(sizes, times[1]), exponent(sizes, buildTimes));
}

void fromFile(const std::vector<size_t>& sizes, const std::string& dir) {
  std::printf("\nReading the model's file (CPU time, best of %d):\n", kRepeats);
  std::printf("%9s %9s %12s %12s %12s\n", "N", "file MB", "option 0 ms", "option 1 ms", "option 2 ms");
  std::vector<double> times[3];
  const std::string path = dir + "/kalo_simplifier_bench.xml";
  for (size_t n : sizes) {
    {
      ZoltModel model("bench", "generated", "", "", "Bench", Generator().build(n));
      if (model.writeToXML(path) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
      }
    }
    std::ifstream probe(path, std::ios::binary | std::ios::ate);
    const double megabytes = static_cast<double>(probe.tellg()) / (1024.0 * 1024.0);
    const MechanismSimplifier::Option options[3] = {MechanismSimplifier::None, kOptions[0], kOptions[1]};
    double best[3] = {1e300, 1e300, 1e300};
    for (int o = 0; o < 3; ++o)
      for (int r = 0; r < kRepeats; ++r) {
        KalotError error = KALOT_SUCCESS;
        const double start = cpuSeconds();
        auto model = ZoltModel::readFromXML(&error, path, options[o]);
        best[o] = std::min(best[o], cpuSeconds() - start);
        if (!model || error != KALOT_SUCCESS) {
          std::fprintf(stderr, "cannot read %s back (error %d)\n", path.c_str(), static_cast<int>(error));
          std::exit(1);
        }
      }
    std::printf("%9zu %9.1f %12.1f %12.1f %12.1f\n", n, megabytes, best[0] * 1e3, best[1] * 1e3,
                best[2] * 1e3);
    for (int o = 0; o < 3; ++o) times[o].push_back(best[o]);
  }
  std::remove(path.c_str());
  std::printf("growth exponent: option 0 %.2f, option 1 %.2f, option 2 %.2f\n", exponent(sizes, times[0]),
              exponent(sizes, times[1]), exponent(sizes, times[2]));
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  bool withFile = true;
  std::string dir = "/tmp";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--memory-only") == 0) {
      withFile = false;
    } else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else {
      std::printf("Usage: kalo_simplifier_bench [--quick] [--memory-only] [--dir DIR]\n");
      return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
    }
  }
  std::printf("Mechanism simplifier growth: %zu subsystem levels, weld chains of %zu bodies\n", kDepth,
              kChainLength);
  std::printf("machine: %s, %u hardware threads, load average %s; build type %s\n", cpuName().c_str(),
              std::thread::hardware_concurrency(), loadAverage().c_str(), KALO_BUILD_TYPE);
  const std::vector<size_t> memorySizes = quick ? std::vector<size_t>{2000, 4000, 8000}
                                                : std::vector<size_t>{25000, 50000, 100000, 200000, 400000};
  const std::vector<size_t> fileSizes =
      quick ? std::vector<size_t>{1000, 2000} : std::vector<size_t>{2000, 4000, 8000, 16000};
  inMemory(memorySizes);
  if (withFile) fromFile(fileSizes, dir);
  return 0;
}
