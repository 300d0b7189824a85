#pragma once

#include <functional>
#include <string>

#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/xml_sink.hpp>

namespace kalo_toolkit::util {

/// Writes one XML document to the file `path` (opened by its bytes) as it is
/// produced, byte for byte as the library's DOM serializer pretty prints the
/// same document; `fill` writes the root element. Returns false on any
/// failure - an exception from `fill` (the number texts included), a character
/// that XML cannot hold, an I/O error - and then leaves no partial file: the
/// file is written through an AtomicFile, so an earlier file at the path (or
/// the file a link at the path names) stays as it was.
KALO_TOOLKIT_API bool writeXmlFile(const std::string& path, const std::function<void(XmlSink&)>& fill);

}  // namespace kalo_toolkit::util
