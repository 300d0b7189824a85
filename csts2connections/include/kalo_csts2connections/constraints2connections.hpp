#pragma once

#include <kalo_csts2connections/connection.hpp>
#include <kalo_csts2connections/constraint.hpp>
#include <kalo_csts2connections/constraint_geometry.hpp>
#include <kalo_csts2connections/constraint_key.hpp>
#include <kalo_csts2connections/export.hpp>
#include <kalo_csts2connections/frame.hpp>
#include <ombra_math/ombra_math.hpp>

#include <map>
#include <string>
#include <vector>

namespace kalo::csts2connections {

// Groups constraints by the pair of instances they join and derives one
// connection per group.
class KALO_CSTS2CONNECTIONS_API Constraints2Connections {
 public:
  using Constraints = std::vector<Constraint>;
  // The constraints of one group (pointing into it) sorted by pair code.
  using CodeMap = std::map<std::string, std::vector<const Constraint*>>;
  using ConstraintMap = std::map<ConstraintKey, Constraints, KeyComp>;

  Constraints2Connections() = default;
  virtual ~Constraints2Connections() = default;

  // Stores a copy of the constraint in the group of its instance pair.
  void add(Constraint& constraint);
  // Appends one connection per group, in key order. Neither the groups nor
  // earlier connections are cleared.
  void computeConnections();
  // Writes the report of the connections to standard output; `names` holds one
  // name per connection (a connection without one gets an empty name).
  void print(const std::vector<std::string>& names) const;

  static std::map<std::string, Connection::Type> createSingleConstraintMap();
  // Pair code of a lone constraint → connection type.
  static const std::map<std::string, Connection::Type> s_zMapSingle;

  // The groups of constraints by instance pair, in key order; each group in the
  // order its constraints were added. It files pending constraints first, so,
  // like every member, it must not run concurrently with another call.
  const ConstraintMap& getConstraintMap() const;

  std::vector<Connection> connections;

 protected:
  Connection computeConnection(const Constraints& constraints) const;
  // Drops duplicates and constraints made redundant by another one; the result
  // is never empty for a non-empty group.
  Constraints removeRedundant(const Constraints& constraints) const;
  // Removes from bucket `target` every constraint parallel to one of bucket
  // `reference`; true when anything was removed.
  bool removeIfParallel(CodeMap& buckets, const std::string& reference, const std::string& target) const;
  // Removes from bucket `target` every constraint parallel to `reference`.
  bool removeIfParallel(CodeMap& buckets, const Constraint& reference, const std::string& target) const;

  Connection processSingle(const Constraints& constraints) const;
  Connection processTwo(const Constraints& constraints) const;
  Connection processThree(const Constraints& constraints) const;
  Connection processGeneral(const Constraints& constraints) const;

  Connection createSphericalJoint(const Constraints& constraints) const;
  Connection createDistanceConstraint(const Constraints& constraints) const;
  Connection createPerpendicularConstraint(const Constraints& constraints) const;
  Connection createPlanarJoint(const Constraints& constraints) const;
  Connection createCylindricalJoint(const Constraints& constraints) const;
  Connection createRevoluteJoint(const Constraints& constraints) const;
  Connection createPrismaticJoint(const Constraints& constraints) const;
  Connection createParallelConstraint(const Constraints& constraints) const;
  Connection createWeldJoint(const Constraints& constraints) const;
  Connection createUniversalJoint(const Constraints& constraints) const;

  Frame computeBase(const ombra_math::Vector3_T& position,
                    const std::vector<std::string>& instancePath) const;
  // The frame's z axis lies along `direction`.
  Frame computeBase(const ombra_math::Vector3_T& position, const ombra_math::Vector3_T& direction,
                    const std::vector<std::string>& instancePath) const;
  Frame computeFollower(const Frame& base, const ombra_math::Transform3_T& pose,
                        const std::vector<std::string>& instancePath) const;
  // Base frame on a's instance at `position` with z along `direction`; the
  // follower on b's instance describes the same pose in assembly coordinates.
  Connection computeConnectionAlongZAxis(Connection::Type type, const ombra_math::Vector3_T& position,
                                         const ombra_math::Vector3_T& direction, const ConstraintGeometry& a,
                                         const ConstraintGeometry& b, const Constraints& constraints) const;
  // As computeConnectionAlongZAxis with the rotation columns axis1, axis2, axis1 × axis2.
  Connection computeTwoAxisConnection(Connection::Type type, const ombra_math::Vector3_T& position,
                                      const ombra_math::Vector3_T& axis1, const ombra_math::Vector3_T& axis2,
                                      const ConstraintGeometry& a, const ConstraintGeometry& b,
                                      const Constraints& constraints) const;
  // As computeConnectionAlongZAxis with the rotation columns x, y, z.
  Connection computeThreeAxisConnection(Connection::Type type, const ombra_math::Vector3_T& position,
                                        const ombra_math::Vector3_T& x, const ombra_math::Vector3_T& y,
                                        const ombra_math::Vector3_T& z, const ConstraintGeometry& a,
                                        const ConstraintGeometry& b, const Constraints& constraints) const;

  // First geometry (in constraint order, geometry one before two) of the type
  // asked for, and the other geometry of its constraint; both left untouched
  // when there is none.
  void findOriginalGeom(const Constraints& constraints, const ConstraintGeometry*& geometry,
                        const ConstraintGeometry*& other, ConstraintGeometry::Type type) const;
  void findCurrentGeom(const Constraints& constraints, const ConstraintGeometry*& geometry,
                       const ConstraintGeometry*& other, ConstraintGeometry::Type type) const;
  // As findOriginalGeom for a geometry given as a cylinder or a circle.
  void findConcentricGeom(const Constraints& constraints, const ConstraintGeometry*& geometry,
                          const ConstraintGeometry*& other) const;

 private:
  // Moves the constraints added since the last call into their groups.
  void mergePending() const;

  // Added constraints reach their groups in batches: sorting a batch by key and
  // filling the map in key order costs far less than a search of a large map
  // for every constraint, and lays the groups out in the order they are visited.
  mutable ConstraintMap constraintMap;
  mutable Constraints pending_;

  // Axis geometry of a list: concentric, else the first line, else the first plane.
  void findAxisGeom(const Constraints& constraints, const ConstraintGeometry*& geometry,
                    const ConstraintGeometry*& other) const;
  Connection createAlongAxis(Connection::Type type, const Constraints& constraints) const;
};

}  // namespace kalo::csts2connections
