// The library's process-wide tables and tolerance. They live in one translation
// unit so that they are built in this order while the library is loaded, and
// are only read afterwards.

#include <kalo_csts2connections/constraint.hpp>
#include <kalo_csts2connections/constraint_geometry.hpp>
#include <kalo_csts2connections/constraints2connections.hpp>
#include <kalo_csts2connections/tolerances.hpp>

namespace kalo::csts2connections {

const ombra_math::Numeric angleTolerance = ombra_math::pi * 0.0005 / 180.0;

const std::map<std::string, ConstraintGeometry::Type> ConstraintGeometry::s_zMapEnum =
    ConstraintGeometry::createEnumMap();

const std::map<std::string, Constraint::Type> Constraint::s_zMapEnum = Constraint::createEnumMap();

const std::map<std::string, Connection::Type> Constraints2Connections::s_zMapSingle =
    Constraints2Connections::createSingleConstraintMap();

}  // namespace kalo::csts2connections
