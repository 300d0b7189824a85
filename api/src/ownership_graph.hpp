#pragma once

// What a definition keeps alive: the definitions it places and, through the
// components of its constraints, the references (and so the definitions) they
// name. A link that would let an object keep itself alive is refused, since
// such a cycle is never freed and every walk of the tree along it is endless.

namespace kalo_toolkit {
class CadModel;
class Constrain;
}  // namespace kalo_toolkit

namespace kalo_api {

/// True when `from` is `target` or keeps it alive at some depth.
bool keepsAlive(const kalo_toolkit::CadModel* from, const kalo_toolkit::CadModel* target);

/// True when a reference named by a component of `constrain` keeps `model` alive.
bool constraintKeepsAlive(const kalo_toolkit::Constrain& constrain, const kalo_toolkit::CadModel* model);

}  // namespace kalo_api
