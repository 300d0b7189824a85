#pragma once

#include <string>

#include "script.hpp"

namespace kalo_qli_test {

/// Builds, through the package only, the model "Sample": top subsystem with
/// bodies A, B, C, the ground "RootGround" welded to A, a weld A-B, a revolute
/// B-C, and a child subsystem "Sub" with bodies D, E, F, a weld D-E and a
/// six-DOF joint E-F.
Value buildSampleModel();

/// A body with mass `mass` kg, diagonal inertia and geometry file name + ".stl".
Value makeBody(const std::string& name, double mass);

/// A readable outline of a subsystem and everything below it, reached only
/// through the package's getters.
std::string outline(const Value& subsystem);

}  // namespace kalo_qli_test
