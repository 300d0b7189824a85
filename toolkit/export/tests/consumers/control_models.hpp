#pragma once

// Mechanisms built in memory through the multibody model's public classes,
// each simple enough that its physics can be written down by hand.

#include <string>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_consumers {
namespace mechanisms {

/// A thin rod of kRodMass kg and kRodLength m lying along +x from a hinge about y at
/// the origin ("RootGround--Rod"). Gravity (-z) loads the hinge with m g L / 2.
constexpr double kRodMass = 2.0;
constexpr double kRodLength = 0.5;
boost::shared_ptr<kalo_toolkit::ZoltModel> pendulum();

/// Two horizontal rods on hinges about y: "RootGround--Upper" carries 5 kg over 0.4 m
/// and the hand, "Upper--Hand" only the 0.2 kg hand over 0.1 m.
boost::shared_ptr<kalo_toolkit::ZoltModel> heavyAndLight();

/// A trunk (4 kg, 0.6 x 0.3 x 0.1 m, centre at kTrunkHeight) floating on a six-freedom
/// joint from the ground, with four straight legs of a hip roll (x), a hip pitch (y)
/// and a knee (y); thigh and shin 1 kg and 0.2 m each, feet at z = 0.
constexpr double kTrunkHeight = 0.45;
boost::shared_ptr<kalo_toolkit::ZoltModel> quadruped();

}  // namespace mechanisms
}  // namespace kalo_consumers
