#include <kalo_csts2connections/constraint_key.hpp>

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <string>
#include <tuple>

namespace kalo::csts2connections {

ConstraintKey::ConstraintKey(std::uint32_t firstId, std::uint32_t secondId)
    : firstId(firstId), secondId(secondId), text_{}, length_(0) {
  const std::string text = boost::lexical_cast<std::string>(std::min(firstId, secondId)) +
                           boost::lexical_cast<std::string>(std::max(firstId, secondId));
  length_ = static_cast<std::uint8_t>(std::min(text.size(), sizeof(text_)));
  std::copy_n(text.data(), length_, text_);
}

bool KeyComp::operator()(const ConstraintKey& a, const ConstraintKey& b) const {
  // The texts alone would merge pairs such as (1, 234) and (12, 34).
  const int byText = a.text().compare(b.text());
  if (byText != 0) return byText < 0;
  return std::make_tuple(std::min(a.firstId, a.secondId), std::max(a.firstId, a.secondId)) <
         std::make_tuple(std::min(b.firstId, b.secondId), std::max(b.firstId, b.secondId));
}

}  // namespace kalo::csts2connections
