#include <kalo_toolkit/atomic_file.hpp>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace kalo_toolkit::util {

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit (ELOOP)

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links finally names (the path itself when it
// is no link); that file may not exist yet. 0, or the error of the chain.
int followLinks(const std::string& path, std::string& final) {
  final = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(final.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    std::string target(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096, '\0');
    const ssize_t n = ::readlink(final.c_str(), target.data(), target.size());
    if (n < 0) return errno;
    if (static_cast<size_t>(n) >= target.size()) return ENAMETOOLONG;  // changed while read
    target.resize(static_cast<size_t>(n));
    final = !target.empty() && target[0] == '/' ? target : folderOf(final) + target;
  }
  return ELOOP;
}

// The process's umask, read without changing it (umask() is not thread-safe).
mode_t currentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

bool processIsGone(const std::string& digits) {
  if (digits.empty() || digits.size() > 9) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  const long pid = std::strtol(digits.c_str(), nullptr, 10);
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// ".kalo-PID-XXXXXX.tmp" of a dead process, or "NAME.partPID" for this target.
bool isStale(const std::string& entry, const std::string& targetName) {
  static const std::string kPrefix = ".kalo-", kSuffix = ".tmp";
  if (entry.size() > kPrefix.size() + 8 + kSuffix.size() && entry.compare(0, kPrefix.size(), kPrefix) == 0 &&
      entry.compare(entry.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0) {
    const size_t dash = entry.size() - kSuffix.size() - 7;
    if (entry[dash] != '-') return false;
    return processIsGone(entry.substr(kPrefix.size(), dash - kPrefix.size()));
  }
  const std::string part = targetName + ".part";
  if (entry.size() > part.size() && entry.compare(0, part.size(), part) == 0)
    return processIsGone(entry.substr(part.size()));
  return false;
}

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

// Whether this process has yet to clean the folder. Once per folder, so that
// writing many files into one folder does not read the folder for each.
bool firstVisit(const std::string& folder) {
  static std::mutex lock;
  static std::unordered_set<std::string> visited;
  constexpr size_t kRemembered = 4096;
  std::lock_guard<std::mutex> held(lock);
  if (visited.size() >= kRemembered) visited.clear();
  return visited.insert(folder).second;
}

// Temporary files of killed writers would otherwise stay for ever.
void removeStaleTemporaries(const std::string& folder, const std::string& targetName) {
  if (!firstVisit(folder)) return;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return;
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string entry = e->d_name;
    if (entry[0] != '.' && entry.find(".part") == std::string::npos) continue;
    if (isStale(entry, targetName)) ::unlink((folder + entry).c_str());
  }
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) {
  if (path.empty()) {
    fail(ENOENT);
    return;
  }
  if (const int error = followLinks(path, target)) {
    fail(error);
    return;
  }
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe cannot be replaced; a folder fails here with EISDIR.
    fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) fail(errno);
    return;
  }
  const std::string folder = folderOf(target);
  removeStaleTemporaries(folder, nameOf(target));
  std::string name = folder + ".kalo-" + std::to_string(static_cast<long>(::getpid())) + "-XXXXXX.tmp";
  fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
  if (fd < 0) {
    fail(errno);
    return;
  }
  temporary = name;
  if (exists) {
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
      (void)!::fchown(fd, existing.st_uid, existing.st_gid);  // kept where allowed
    if (::fchmod(fd, existing.st_mode & 07777) != 0) fail(errno);
  } else if (::fchmod(fd, 0666 & ~currentUmask()) != 0) {
    fail(errno);
  }
}

AtomicFile::~AtomicFile() {
  if (!committed) discard();
}

void AtomicFile::fail(int error) {
  if (failure.empty()) failure = std::strerror(error != 0 ? error : EIO);
}

bool AtomicFile::write(const char* data, size_t size) {
  if (!ok() || fd < 0) return false;
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fail(n < 0 ? errno : EIO);
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool AtomicFile::commit() {
  if (committed) return ok();
  if (fd < 0) {
    if (ok()) fail(EBADF);
    return false;
  }
  const int closing = fd;
  fd = -1;
  if (::close(closing) != 0) fail(errno);
  if (ok() && !temporary.empty() && ::rename(temporary.c_str(), target.c_str()) != 0) fail(errno);
  if (!ok()) {
    discard();
    return false;
  }
  committed = true;
  return true;
}

void AtomicFile::discard() {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
  if (!temporary.empty()) {
    ::unlink(temporary.c_str());
    temporary.clear();
  }
  if (ok()) failure = "discarded";
}

bool writeFileAtomically(const std::string& path, const std::string& content, std::string* reason) {
  AtomicFile file(path);
  const bool written = file.write(content) && file.commit();
  if (!written && reason != nullptr) *reason = file.error();
  return written;
}

}  // namespace kalo_toolkit::util
