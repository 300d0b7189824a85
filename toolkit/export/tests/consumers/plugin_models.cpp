#include "plugin_models.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <sys/wait.h>

#include <gtest/gtest.h>

namespace kalo_consumers {

namespace {

std::string list(const double* v, size_t n) {
  std::ostringstream out;
  out.precision(17);
  for (size_t i = 0; i < n; ++i) out << (i ? "," : "") << v[i];
  return out.str();
}

}  // namespace

int runCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void CadAssembly::part(const std::string& name, double mass, const std::array<double, 3>& at,
                       const std::array<double, 3>& size, bool fixed, const std::string& geometry) {
  CadPart p;
  p.name = name;
  p.mass = mass;
  const double x = size[0] * size[0], y = size[1] * size[1], z = size[2] * size[2];
  p.inertia = {mass * (y + z) / 12, mass * (x + z) / 12, mass * (x + y) / 12, 0, 0, 0};
  p.at = at;
  p.fixed = fixed;
  p.geometry = geometry;
  parts_.push_back(p);
}

const CadPart& CadAssembly::find(const std::string& name) const {
  for (const CadPart& p : parts_)
    if (p.name == name) return p;
  throw std::invalid_argument("no part " + name);
}

void CadAssembly::pin(const std::string& a, const std::string& b, const std::array<double, 3>& point,
                      const std::array<double, 3>& axis) {
  const std::string name = a + "-" + b;
  mates_.push_back({name + "-Concentric", 0, 3, a, b, point, axis});
  mates_.push_back({name + "-Coincident", 0, 2, a, b, point, axis});
}

void CadAssembly::ball(const std::string& a, const std::string& b, const std::array<double, 3>& point) {
  mates_.push_back({a + "-" + b + "-Point", 0, 0, a, b, point, {0, 0, 1}});
}

void CadAssembly::convert(const std::string& cadFile, const std::string& multibody) const {
  std::ostringstream x;
  x << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<OmbraXMLFile>\n"
    << "<formatVersion>\"1.0.4\"</formatVersion>\n<CadModel>\n<name>\"" << name_ << "\"</name>\n"
    << "<mass>0</mass><inertia>0,0,0,0,0,0</inertia><volume>0</volume><surfaceArea>0</surfaceArea>"
    << "<cg>0,0,0</cg><geometryFileName>\"\"</geometryFileName>\n<cadmodels>\n";
  for (const CadPart& p : parts_) {
    x << "<CadModelRef><name>\"" << p.name << "\"</name><translation>" << list(p.at.data(), 3)
      << "</translation><rotation>1,0,0,0,1,0,0,0,1</rotation><flexible>0</flexible><fixed>" << p.fixed
      << "</fixed>\n<CadModel><name>\"" << p.name << "\"</name><mass>" << list(&p.mass, 1)
      << "</mass><inertia>" << list(p.inertia.data(), 6)
      << "</inertia><volume>0.001</volume><surfaceArea>0.01</surfaceArea><cg>" << list(p.cg.data(), 3)
      << "</cg><geometryFileName>\"" << p.geometry
      << "\"</geometryFileName><cadmodels/><constrains/></CadModel></CadModelRef>\n";
  }
  x << "</cadmodels>\n<constrains>\n";
  for (const Mate& m : mates_) {
    // Mate locations are given in each part's own frame.
    const CadPart& a = find(m.a);
    const CadPart& b = find(m.b);
    const double pa[3] = {m.point[0] - a.at[0], m.point[1] - a.at[1], m.point[2] - a.at[2]};
    const double pb[3] = {m.point[0] - b.at[0], m.point[1] - b.at[1], m.point[2] - b.at[2]};
    x << "<Constrain><name>\"" << m.name << "\"</name><type>" << m.type << "</type><comp1>\"" << m.a
      << "\"</comp1><entity1Type>" << m.geometry << "</entity1Type><entity1Location>" << list(pa, 3)
      << "</entity1Location><entity1Axis>" << list(m.axis.data(), 3) << "</entity1Axis><comp2>\"" << m.b
      << "\"</comp2><entity2Type>" << m.geometry << "</entity2Type><entity2Location>" << list(pb, 3)
      << "</entity2Location><entity2Axis>" << list(m.axis.data(), 3) << "</entity2Axis></Constrain>\n";
  }
  x << "</constrains>\n</CadModel>\n</OmbraXMLFile>\n";
  std::ofstream(cadFile, std::ios::binary) << x.str();
  const std::string command = std::string("'") + KALO_CONVERT_TOOL + "' '" + cadFile + "' '" + multibody +
                              "' >'" + multibody + ".log' 2>&1";
  EXPECT_EQ(runCommand(command), 0) << command;
}

}  // namespace kalo_consumers
