// Drives the whole export path through the plug-in C interface. The input
// bytes describe an assembly: definitions with mass properties, placements
// with any rotation and scale (degenerate ones included), nested, flexible and
// fixed sub-assemblies, coordinate systems, and constraints of every type and
// geometry between any components, with numbers that may be zero, tiny, huge,
// NaN or infinite. The assembly is converted twice and written, the file is
// read back and written again. Every input must keep these properties:
//  - a creating call refuses a non-finite number with 1 and a null handle;
//  - the two conversions give the same result, report text and file bytes;
//  - a written file reads back with 0 and is written again byte for byte, but
//    for what the format's reader does by design: frame ids one higher, each
//    subsystem's joints taken kind by kind, primitive axes normalised again
//    from their six-digit text, and array values at the cleaning limit
//    (round_trip_compare.hpp);
//  - the result is 4 exactly when some pair was welded, and the text is the
//    reports of those pairs in order;
//  - a failed write (3) leaves no file and happens only where the input's
//    magnitudes let a converted number leave the finite range.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <kalo_api/kalo_api.h>
#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "../api/src/handle.hpp"
#include "fuzz_support.hpp"
#include "round_trip_compare.hpp"

namespace {

std::string firstPath, secondPath, againPath;

void removeTempFiles() {
  for (const std::string* p : {&firstPath, &secondPath, &againPath}) std::remove(p->c_str());
}

// Reads the bytes of an assembly description and builds it through the C interface, checking each
// call's result against the arguments it was given.
class AssemblyBuilder {
 public:
  explicit AssemblyBuilder(FuzzedDataProvider& in) : in(in) {}
  ~AssemblyBuilder() {
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) kalot_release_object(*it);
  }

  void* build() {
    kalot_set_units(static_cast<KalotMassUnit>(in.ConsumeIntegralInRange<int>(-1, 6)),
                    static_cast<KalotLengthUnit>(in.ConsumeIntegralInRange<int>(-1, 8)));
    const int definitions = in.ConsumeIntegralInRange<int>(1, 6);
    for (int i = 0; i < definitions; ++i) defs.push_back(definition(i));
    const int references = in.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < references; ++i) reference(i);
    const int systems = in.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < systems; ++i) coordinateSystem(i);
    const int constraints = in.ConsumeIntegralInRange<int>(0, 10);
    for (int i = 0; i < constraints; ++i) constraint(i);
    return defs[0];
  }

  /// Some accepted number lies where products of a few of them can leave the finite range.
  bool extreme = false;
  /// Tolerances for the converter, when the input sets them.
  bool setTolerances = false;
  double tolerances[3] = {1e-5, 1e-5, 1e-12};

  void chooseTolerances() {
    static const double kTolerances[] = {1e-5, 1e-3, 1e-12, 0.0, 0.5, -1.0, 1e300};
    setTolerances = in.ConsumeBool();
    if (!setTolerances) return;
    for (double& t : tolerances)
      t = kTolerances[in.ConsumeIntegralInRange<size_t>(0, std::size(kTolerances) - 1)];
  }

 private:
  // Numbers of the call being built; `bad` records a non-finite one among them.
  double number() {
    static const double kSpecial[] = {0.0,
                                      -0.0,
                                      1.0,
                                      -1.0,
                                      0.5,
                                      1e-13,
                                      1e-300,
                                      4.9e-324,
                                      1e300,
                                      -1e300,
                                      DBL_MAX,
                                      1e154,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity()};
    double v;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        v = in.ConsumeIntegralInRange<int>(-3, 3);
        break;
      case 1:
        v = kSpecial[in.ConsumeIntegralInRange<size_t>(0, std::size(kSpecial) - 1)];
        break;
      case 2:
        v = in.ConsumeFloatingPoint<double>();
        break;
      default:
        v = in.ConsumeFloatingPointInRange<double>(-10.0, 10.0);
    }
    if (!std::isfinite(v)) {
      bad = true;
    } else if (v != 0.0 && (std::fabs(v) >= 1e10 || std::fabs(v) <= 1e-10)) {
      pendingExtreme = true;
    }
    return v;
  }

  void numbers(double* out, size_t n) {
    for (size_t i = 0; i < n; ++i) out[i] = number();
  }

  void rotation(double r[9]) {
    static const double kRotations[3][9] = {
        {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 1, 0, -1, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 1, 0, -1, 0}};
    const int kind = in.ConsumeIntegralInRange<int>(0, 4);
    if (kind < 3) {
      for (int i = 0; i < 9; ++i) r[i] = kRotations[kind][i];
    } else if (kind == 3) {
      const double s = number();  // a scaled, possibly degenerate rotation
      for (int i = 0; i < 9; ++i) r[i] = kRotations[0][i] * s;
    } else {
      numbers(r, 9);
    }
  }

  void direction(double d[3]) {
    static const double kDirections[][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0},
                                            {0, 0, 0}, {1, 1, 1}, {0, 0, -1}};
    if (in.ConsumeBool()) {
      const auto& pick = kDirections[in.ConsumeIntegralInRange<size_t>(0, std::size(kDirections) - 1)];
      for (int i = 0; i < 3; ++i) d[i] = pick[i];
    } else {
      numbers(d, 3);
    }
  }

  bool material(kalot_vis_mat_prop& m) {
    if (!in.ConsumeBool()) return false;
    numbers(m.color, 3);
    for (double* v : {&m.ambient, &m.diffuse, &m.specular, &m.shininess, &m.transparency, &m.emission})
      *v = number();
    return true;
  }

  void* pickDefinition() { return defs[in.ConsumeIntegralInRange<size_t>(0, defs.size() - 1)]; }

  // Checks a creating call: a non-finite number gives 1 and a null handle, an accepted call a handle.
  void* created(int rc, void* out, int expected = KALOT_SUCCESS) {
    if (bad) expected = KALOT_GENERIC_FAILURE;
    FUZZ_CHECK(rc == expected, "creating call gave an unexpected result");
    if (rc == KALOT_GENERIC_FAILURE) FUZZ_CHECK(out == nullptr, "a refused call handed out a handle");
    if (rc == KALOT_SUCCESS) {
      handles.push_back(out);
      extreme = extreme || pendingExtreme;
    }
    bad = pendingExtreme = false;
    return rc == KALOT_SUCCESS ? out : nullptr;
  }

  void* definition(int i) {
    double inertia[6], cg[3];
    const double mass = number();
    numbers(inertia, 6);
    numbers(cg, 3);
    const double volume = number(), area = number();
    if (mass < 0 || volume < 0 || area < 0) bad = true;  // refused like a non-finite number
    kalot_vis_mat_prop mat;
    const bool withMaterial = material(mat);
    void* out = reinterpret_cast<void*>(0x1);
    const std::string name = "D" + std::to_string(i);
    const int rc = kalot_create_cadmodel(&out, name.c_str(), mass, inertia, cg, volume, area, "part.stl",
                                         withMaterial ? &mat : nullptr);
    return created(rc, out);
  }

  void reference(int i) {
    static const char* const kNames[] = {"A", "B", "C", "A", "with space", ""};
    void* parent = pickDefinition();
    void* child = pickDefinition();
    const char* name = kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)];
    double r[9], t[3];
    rotation(r);
    numbers(t, 3);
    const double scale = in.ConsumeBool() ? 1.0 : number();
    const bool flexible = in.ConsumeBool(), fixed = in.ConsumeBool();
    kalot_vis_mat_prop mat;
    const bool withMaterial = material(mat);
    void* out = reinterpret_cast<void*>(0x1);
    const std::string nodeID = "/n" + std::to_string(i);
    const int rc = kalot_create_cadmodelref(&out, name, nodeID.c_str(), child, r, t, scale, flexible, fixed,
                                            withMaterial ? &mat : nullptr);
    void* ref = created(rc, out, child ? KALOT_SUCCESS : KALOT_GENERIC_FAILURE);
    if (ref == nullptr) return;
    refs.push_back(ref);
    refNames.push_back(name);
    // A link that would make a definition place itself is refused; anything else is taken.
    if (parent != nullptr) kalot_add_refincadmodel(parent, ref);
  }

  void coordinateSystem(int i) {
    double r[9], t[3];
    rotation(r);
    numbers(t, 3);
    void* out = reinterpret_cast<void*>(0x1);
    const std::string nodeID = "/cs" + std::to_string(i);
    void* cs = created(kalot_create_cadcs(&out, "cs", nodeID.c_str(), r, t), out);
    void* owner = pickDefinition();
    if (cs != nullptr && owner != nullptr) FUZZ_CHECK(kalot_add_cadcs(owner, cs) == 0, "adding a CS failed");
  }

  // A constraint side: none, a path looked up from the top (perhaps missing), or references in any order.
  void* component(bool& present) {
    void* out = nullptr;
    present = false;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        return nullptr;
      case 1: {
        std::string path;
        const int depth = in.ConsumeIntegralInRange<int>(1, 3);
        for (int k = 0; k < depth && !refNames.empty(); ++k) {
          if (k != 0) path += '/';
          path += refNames[in.ConsumeIntegralInRange<size_t>(0, refNames.size() - 1)];
        }
        if (defs[0] == nullptr) return nullptr;
        FUZZ_CHECK(kalot_create_assemcomp_fromstr(&out, path.c_str(), defs[0]) == 0, "path lookup failed");
        handles.push_back(out);
        present = static_cast<kalo_api::HandleBox*>(out)->object != nullptr;
        return out;
      }
      default: {
        FUZZ_CHECK(kalot_create_assemcomp(&out) == 0, "creating a component failed");
        handles.push_back(out);
        const int length = refs.empty() ? 0 : in.ConsumeIntegralInRange<int>(0, 3);
        for (int k = 0; k < length; ++k)
          kalot_add_refincomp(out, refs[in.ConsumeIntegralInRange<size_t>(0, refs.size() - 1)]);
        present = true;
        return out;
      }
    }
  }

  void constraint(int i) {
    void* owner = in.ConsumeBool() ? defs[0] : pickDefinition();
    const int type = in.ConsumeIntegralInRange<int>(-1, 8);
    const int g1 = in.ConsumeIntegralInRange<int>(-1, 6), g2 = in.ConsumeIntegralInRange<int>(-1, 6);
    bool present1, present2;
    void* c1 = component(present1);
    void* c2 = component(present2);
    double l1[3], a1[3], l2[3], a2[3];
    numbers(l1, 3);
    direction(a1);
    if (in.ConsumeBool()) {
      for (int k = 0; k < 3; ++k) l2[k] = l1[k];  // coincident locations are the common case
    } else {
      numbers(l2, 3);
    }
    direction(a2);
    void* out = reinterpret_cast<void*>(0x1);
    const std::string name = "C" + std::to_string(i);
    const int rc = kalot_create_constrain(&out, name.c_str(), type, c1, c2, g1, g2, l1, a1, l2, a2);
    const bool absent = !present1 && !present2;
    if (absent && !bad) {
      FUZZ_CHECK(rc == KALOT_INVALID_CON_COMPS && out == reinterpret_cast<void*>(0x1),
                 "a constraint without components was not refused with 5");
      pendingExtreme = false;
      return;
    }
    void* c = created(rc, out);
    // Refused (1) when a component names a placement of the owner itself, which would keep it alive.
    if (c != nullptr && owner != nullptr) kalot_add_constrain(owner, c);
  }

  FuzzedDataProvider& in;
  bool bad = false;
  bool pendingExtreme = false;
  std::vector<void*> defs;
  std::vector<void*> refs;
  std::vector<std::string> refNames;
  std::vector<void*> handles;
};

struct Export {
  int rc;
  std::string messages;
  std::string bytes;
  bool fileLeft;
};

Export exportOnce(void* top, const AssemblyBuilder& assembly, const std::string& path, void*& converter) {
  std::remove(path.c_str());
  FUZZ_CHECK(kalot_create_cad2zolt(&converter, top, "fuzz", "fuzz.asm", "2026-12-08", "fuzzer", "Top") == 0,
             "creating the converter failed");
  if (assembly.setTolerances) {
    const double* t = assembly.tolerances;
    FUZZ_CHECK(kalot_set_tolerances(converter, t[0], t[1], t[2]) == 0, "setting tolerances failed");
  }
  char* buffer = nullptr;
  Export e;
  e.rc = kalot_write_xml(&buffer, converter, path.c_str());
  FUZZ_CHECK(buffer != nullptr, "no message buffer");
  e.messages = buffer;
  kalot_release_buffer(&buffer);
  e.fileLeft = kalo_fuzz::readFile(path, e.bytes);
  return e;
}

// The file stores a frame's id + 1 in its ref attribute and the reader takes that number as the
// id, so a model read back is written with every ref one higher. This is the first file as such a
// second write must give it.
std::string withFrameIdsRead(const std::string& bytes) {
  static const std::string kRef = " ref=\"";
  std::string out;
  size_t from = 0;
  for (size_t at = bytes.find(kRef); at != std::string::npos; at = bytes.find(kRef, from)) {
    const size_t digits = at + kRef.size();
    const size_t end = bytes.find('"', digits);
    FUZZ_CHECK(end != std::string::npos, "an unterminated ref attribute");
    out.append(bytes, from, digits - from);
    out += std::to_string(std::stoll(bytes.substr(digits, end - digits)) + 1);
    from = end;
  }
  out.append(bytes, from, std::string::npos);
  return out;
}

// The reader takes a subsystem's joints kind by kind (simple joints, then connectors, then the
// connector kinds only a script sets), as the format says. This is the first file with the joints of
// each `joints` block in that order (the writer's pretty printing puts each joint at one indentation).
std::string withJointsInReadOrder(const std::string& bytes) {
  static const char* const kKinds[] = {"SimpleJoint",         "MasslessConnector",   "MasslessConnectorRR",
                                       "MasslessConnectorRS", "MasslessConnectorSS", "MasslessConnectorPS"};
  auto rank = [](const std::string& kind) {
    for (size_t k = 0; k < std::size(kKinds); ++k)
      if (kind == kKinds[k]) return k;
    return std::size(kKinds);
  };
  std::vector<std::string> lines;
  for (size_t from = 0; from < bytes.size();) {
    const size_t end = std::min(bytes.find('\n', from), bytes.size());
    lines.push_back(bytes.substr(from, end + 1 - from));
    from = end + 1;
  }
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    const size_t indent = lines[i].find_first_not_of(' ');
    if (indent == std::string::npos || lines[i].compare(indent, 9, "<joints>\n") != 0) continue;
    const std::string close = std::string(indent, ' ') + "</joints>";
    const std::string childIndent(indent + 2, ' ');
    std::vector<std::pair<size_t, std::string>> joints;  // (rank, text)
    for (++i; i < lines.size() && lines[i].compare(0, close.size(), close) != 0; ++i) {
      FUZZ_CHECK(lines[i].compare(0, childIndent.size() + 1, childIndent + "<") == 0,
                 "unexpected joints layout");
      const size_t nameEnd = lines[i].find_first_of(" />", childIndent.size() + 1);
      const std::string kind = lines[i].substr(childIndent.size() + 1, nameEnd - childIndent.size() - 1);
      std::string text = lines[i];
      const std::string last = childIndent + "</" + kind + ">";
      const bool oneLine =
          lines[i].find("/>") != std::string::npos || lines[i].find("</") != std::string::npos;
      while (!oneLine && lines[i].compare(0, last.size(), last) != 0) {
        FUZZ_CHECK(++i < lines.size(), "unterminated joint");
        text += lines[i];
      }
      joints.emplace_back(rank(kind), text);
    }
    std::stable_sort(joints.begin(), joints.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& joint : joints) out += joint.second;
    if (i < lines.size()) out += lines[i];
  }
  return out;
}

// Result 4 exactly when some pair was welded; the text is those pairs' reports in order.
void checkReport(void* converter, const Export& e) {
  const auto conv = kalo_api::fromHandle<kalo_toolkit::Cad2Zolt>(converter);
  std::string reports;
  for (const auto& record : conv->getPairRecords()) {
    FUZZ_CHECK(record.joint != nullptr, "a pair without a joint");
    if (record.status != KALOT_UNHANDLED_CONSTRAINT) {
      FUZZ_CHECK(record.status == KALOT_SUCCESS && record.report.empty(), "a solved pair with a report");
      continue;
    }
    const std::string rule = std::string(81, '-') + "\n";
    FUZZ_CHECK(record.report.size() > rule.size() &&
                   record.report.compare(record.report.size() - rule.size(), rule.size(), rule) == 0,
               "a welded pair's report does not end with its rule");
    FUZZ_CHECK(record.joint->getType() == KALOT_JOINT_WELD && record.joint->getPrimitiveCount() == 1 &&
                   record.joint->getPrimitiveAt(0)->getType() == KALOT_PRIM_WELD,
               "an unsolved pair is not welded");
    reports += record.report;
  }
  if (e.rc == KALOT_UNHANDLED_CONSTRAINT) {
    FUZZ_CHECK(!reports.empty() && e.messages == reports, "result 4 without the welded pairs' reports");
  } else {
    FUZZ_CHECK(e.messages.empty(), "a text without result 4");
    if (e.rc == KALOT_SUCCESS) FUZZ_CHECK(reports.empty(), "result 0 although a pair was welded");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  firstPath = kalo_fuzz::makeTempFile(".first.xml");
  secondPath = kalo_fuzz::makeTempFile(".second.xml");
  againPath = kalo_fuzz::makeTempFile(".again.xml");
  std::atexit(removeTempFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  AssemblyBuilder assembly(in);
  void* top = assembly.build();
  assembly.chooseTolerances();

  void* first = nullptr;
  void* second = nullptr;
  const Export a = exportOnce(top, assembly, firstPath, first);
  const Export b = exportOnce(top, assembly, secondPath, second);
  FUZZ_CHECK(a.rc == b.rc && a.messages == b.messages && a.bytes == b.bytes && a.fileLeft == b.fileLeft,
             "two conversions of one assembly differ");

  switch (a.rc) {
    case KALOT_SUCCESS:
    case KALOT_UNHANDLED_CONSTRAINT: {
      FUZZ_CHECK(a.fileLeft, "success without a file");
      checkReport(first, a);
      KalotError error = KALOT_GENERIC_FAILURE;
      auto model =
          kalo_toolkit::ZoltModel::readFromXML(&error, firstPath, kalo_toolkit::MechanismSimplifier::None);
      FUZZ_CHECK(error == KALOT_SUCCESS && model, "a written file does not read back");
      std::remove(againPath.c_str());
      FUZZ_CHECK(model->writeToXML(againPath) == KALOT_SUCCESS, "a model read back cannot be written");
      std::string again;
      kalo_fuzz::readFile(againPath, again);
      const std::string difference = kalo_fuzz::roundTripDifference(
          withFrameIdsRead(withJointsInReadOrder(a.bytes)), again, kalo_fuzz::multibodyRead);
      if (!difference.empty()) std::fprintf(stderr, "%s\n", difference.c_str());
      FUZZ_CHECK(difference.empty(), "a file read back is written differently");
      break;
    }
    case KALOT_CAD_MODEL_NOT_SET:
      FUZZ_CHECK(top == nullptr && !a.fileLeft, "result 2 with a CAD model");
      break;
    case KALOT_XML_READ_ERROR:
      FUZZ_CHECK(!a.fileLeft, "a failed write left a file");
      FUZZ_CHECK(a.messages.empty(), "a failed write handed out a text");
      FUZZ_CHECK(assembly.extreme, "a write failed on an assembly of ordinary magnitudes");
      break;
    default:
      FUZZ_CHECK(false, "unexpected result of kalot_write_xml");
  }
  kalot_release_object(second);
  kalot_release_object(first);
  return 0;
}
