#pragma once

// The whole-file reads and writes of the multibody file. The file entry points
// of ZoltModel stream; the DOM paths - the hardened DOM parser with the
// element-level entry points, and the library's serializer - give the same
// model and bytes and are kept to check that they do (tests, fuzzing).

#include <functional>
#include <string>

#include <boost/shared_ptr.hpp>

namespace kalo_toolkit {

class ZoltModel;

namespace detail {

/// Versions, model and frame references of a parsed document; an empty
/// result with the failure text on failure.
template <typename E>
boost::shared_ptr<ZoltModel> readDocument(const E& root, std::string& failure);

/// Runs `read`, turning any exception into its failure text; a failure at a
/// known position also sets `reason` ("line L, column C: " and the text).
boost::shared_ptr<ZoltModel> guardedRead(const std::function<boost::shared_ptr<ZoltModel>()>& read,
                                         std::string& failure, std::string* reason = nullptr);

/// The parse of readDocument; both run inside an initialised XML library and throw nothing.
/// A failed streaming read sets `reason` (when given) to the failure with its
/// position, or the system's reason for a file that cannot be read.
boost::shared_ptr<ZoltModel> readStreaming(const std::string& path, std::string& failure,
                                           std::string* reason = nullptr);
boost::shared_ptr<ZoltModel> readThroughDom(const std::string& path, std::string& failure);

/// writeToXML through a DOM document and the library's serializer: 0 or 3.
int writeThroughDom(const ZoltModel& model, const std::string& path);

}  // namespace detail
}  // namespace kalo_toolkit
