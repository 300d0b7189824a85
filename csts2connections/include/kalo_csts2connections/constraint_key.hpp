#pragma once

#include <kalo_csts2connections/export.hpp>

#include <cstdint>
#include <string_view>

namespace kalo::csts2connections {

// Key of the group of constraints between one pair of instances: the instance
// ids of geometry one and geometry two of the constraint that created the group.
struct KALO_CSTS2CONNECTIONS_API ConstraintKey {
  ConstraintKey(std::uint32_t firstId, std::uint32_t secondId);

  // Decimal text of the smaller id followed by that of the larger one, as
  // boost::lexical_cast renders them under the global locale at construction.
  std::string_view text() const { return std::string_view(text_, length_); }

  std::uint32_t firstId;
  std::uint32_t secondId;

 private:
  // Held inline and computed once: ordering a large map then touches one node
  // per step, and the order cannot change if the global locale does. Two ids of
  // at most ten digits with at most nine group separators each fit.
  char text_[38];
  std::uint8_t length_;
};

// Orders keys by their text, byte by byte; keys of equal text are told apart by
// their ids, so that (1, 234) and (12, 34) stay two groups. The two ids of a key
// are unordered: (5, 10) and (10, 5) are equal.
struct KALO_CSTS2CONNECTIONS_API KeyComp {
  bool operator()(const ConstraintKey& a, const ConstraintKey& b) const;
};

}  // namespace kalo::csts2connections
