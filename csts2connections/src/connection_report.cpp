// Plain-text report of the computed connections on standard output.

#include <kalo_csts2connections/constraints2connections.hpp>

#include <iostream>

namespace kalo::csts2connections {

namespace {

std::string joinPath(const std::vector<std::string>& path) {
  std::string text;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (i > 0) text += '/';
    text += path[i];
  }
  return text;
}

void printNames(const char* title, const char* rule, const std::vector<Constraint>& constraints) {
  std::cout << title << std::endl;
  std::cout << rule << std::endl;
  for (const Constraint& c : constraints) std::cout << "  Name: " << c.name << std::endl;
}

// Rotation entries in the matrix's storage order, three per line, then the translation.
void printFrame(const char* title, const char* rule, const Frame& frame) {
  std::cout << title << std::endl;
  std::cout << rule << std::endl;
  std::cout << "  " << joinPath(frame.instancePath) << std::endl;
  // Adding 0.0 turns a negative zero into +0, so that a zero always prints alike.
  const ombra_math::Matrix3x3_T m(frame.transform.rotation());
  for (std::size_t line = 0; line < 3; ++line) {
    ombra_math::print("%+13.6e %+13.6e %+13.6e\n", m[line * 3] + 0.0, m[line * 3 + 1] + 0.0,
                      m[line * 3 + 2] + 0.0);
  }
  const ombra_math::Vector3_T& t = frame.transform.translation();
  ombra_math::print("%+13.6e %+13.6e %+13.6e\n", t[0] + 0.0, t[1] + 0.0, t[2] + 0.0);
}

}  // namespace

void Constraints2Connections::print(const std::vector<std::string>& names) const {
  for (std::size_t k = 0; k < connections.size(); ++k) {
    const Connection& connection = connections[k];
    std::cout << "Connection " << (k + 1) << std::endl;
    // A connection without a name in the list gets an empty one.
    std::cout << "  Name: " << (k < names.size() ? names[k] : std::string()) << std::endl;
    std::cout << "  Type: " << connection.getTypeName() << std::endl;
    printNames("  Constraints Used", "  ----------------", connection.constraintsUsed);
    if (connection.constraintsOriginal.size() != connection.constraintsUsed.size()) {
      printNames("  Constraints Original", "  --------------------", connection.constraintsOriginal);
    }
    if (connection.type == Connection::Unknown) {
      // A caller-built connection may carry no constraint; its instances are then unnamed.
      const Constraint* first =
          connection.constraintsUsed.empty() ? nullptr : &connection.constraintsUsed.front();
      std::cout << "  Instance One" << std::endl;
      std::cout << "  ------------" << std::endl;
      std::cout << "  " << (first ? joinPath(first->geometryOne.instancePath) : std::string()) << std::endl;
      std::cout << "  Instance Two" << std::endl;
      std::cout << "  ------------" << std::endl;
      std::cout << "  " << (first ? joinPath(first->geometryTwo.instancePath) : std::string()) << std::endl;
    } else {
      printFrame("  Base Frame", "  ----------", connection.baseFrame);
      printFrame("  Follower Frame", "  --------------", connection.followerFrame);
    }
    std::cout << "------------------------------------" << std::endl;
  }
  std::cout << std::endl;
}

}  // namespace kalo::csts2connections
