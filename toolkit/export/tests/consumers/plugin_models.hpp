#pragma once

// Mechanisms described the way a CAD plug-in hands them over: parts with mass
// properties and placements, and mates between them, written as CAD XML and
// converted by kalo-convert into a multibody file.

#include <array>
#include <string>
#include <vector>

namespace kalo_consumers {

struct CadPart {
  std::string name;
  double mass = 1;
  std::array<double, 6> inertia{};  ///< Ixx Iyy Izz Ixy Ixz Iyz about the centre of mass
  std::array<double, 3> cg{};       ///< in the part's own frame
  std::array<double, 3> at{};       ///< the part's origin in the assembly (no rotation)
  bool fixed = false;
  std::string geometry;
};

class CadAssembly {
 public:
  explicit CadAssembly(std::string name) : name_(std::move(name)) {}

  /// A part whose centre of mass is its origin, with the tensor of a solid box of that mass and size.
  void part(const std::string& name, double mass, const std::array<double, 3>& at,
            const std::array<double, 3>& size = {0.1, 0.1, 0.1}, bool fixed = false,
            const std::string& geometry = "");
  /// A pin: concentric cylinders and coincident planes at `point` (assembly coordinates) along `axis`.
  void pin(const std::string& a, const std::string& b, const std::array<double, 3>& point,
           const std::array<double, 3>& axis);
  /// A ball: coincident points at `point`.
  void ball(const std::string& a, const std::string& b, const std::array<double, 3>& point);

  /// Writes the CAD XML file and converts it with kalo-convert into `multibody` (a multibody
  /// XML file); fails the calling test when either step fails.
  void convert(const std::string& cadFile, const std::string& multibody) const;

 private:
  struct Mate {
    std::string name;
    int type, geometry;
    std::string a, b;
    std::array<double, 3> point, axis;
  };
  const CadPart& find(const std::string& name) const;
  std::string name_;
  std::vector<CadPart> parts_;
  std::vector<Mate> mates_;
};

/// Runs a command line; its exit status.
int runCommand(const std::string& command);

}  // namespace kalo_consumers
