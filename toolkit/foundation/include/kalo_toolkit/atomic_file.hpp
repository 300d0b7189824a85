#pragma once

// The one way every writer of the system puts a file on disk: whole or not at
// all, also through symbolic links, also when several threads or processes
// write the same path at once.

#include <cstddef>
#include <string>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit::util {

/// A file being written to `path`. A regular file (or a path that does not
/// exist yet) is written into a temporary file created with a unique name
/// beside it and renamed over it only by commit(), so the path always holds
/// one writer's complete file: an earlier file stays as it was when a write
/// fails (size limit, full disk, an error of the producer) or the process
/// dies. A symbolic link is followed to the file it finally names and that
/// file is replaced the same way; the link stays a link. Anything else that
/// is not a regular file (a device, a pipe) is written in place.
///
/// Temporary files are named ".kalo-PID-XXXXXX.tmp" (PID: the writing
/// process). The first file a process writes into a folder removes such
/// files of processes that no longer run from that folder and, on that visit,
/// the "NAME.partPID" files earlier versions left for the target NAME. A
/// process in another PID namespace sharing the folder is not seen and
/// counts as dead.
///
/// A new file gets the mode 0666 less the umask; a replaced file keeps its
/// mode (and its owner, where the process may set it). The folder of the
/// final target must be writable. Safe to use from many threads at once.
class KALO_TOOLKIT_API AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  /// Discards the temporary file unless committed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// False after any failure; error() then tells why.
  bool ok() const { return failure.empty(); }
  /// The operating system's reason of the first failure ("No space left on device").
  const std::string& error() const { return failure; }

  /// Appends bytes; false (and nothing more is written) after a failure.
  bool write(const char* data, size_t size);
  bool write(const std::string& text) { return write(text.data(), text.size()); }
  /// Completes the file and puts it in place; false, leaving the path as it
  /// was, after any failure.
  bool commit();
  /// Drops what was written; the path stays as it was.
  void discard();

 private:
  void fail(int error);

  std::string target;     // the file finally replaced or written in place
  std::string temporary;  // empty when written in place
  std::string failure;
  int fd = -1;
  bool committed = false;
};

/// Writes `content` to `path` through an AtomicFile. On failure returns false
/// and, when `reason` is given, stores the operating system's reason.
KALO_TOOLKIT_API bool writeFileAtomically(const std::string& path, const std::string& content,
                                          std::string* reason = nullptr);

}  // namespace kalo_toolkit::util
