#pragma once

// The one session kalo_api keeps with the host engine.

#include <mutex>
#include <string>

struct QuorraEngineSession;

namespace kalo_toolkit {

/// A process-wide instance of T, created on first use (thread-safe) and handed
/// to DestroyPolicy::destroy when the library is unloaded or the process ends.
template <typename T, typename DestroyPolicy>
class Singleton {
 public:
  Singleton() = delete;

  static T& instance() {
    static Holder holder;
    return *holder.object;
  }

 private:
  struct Holder {
    T* object;
    Holder() : object(new T) {}
    ~Holder() { DestroyPolicy::destroy(object); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
  };
};

/// Holds the engine session handle (null: no session). Its destructor closes
/// an open session. Every use of the session is serialised: plug-ins may call
/// the C interface from several threads at once.
class RemoteQuorra {
 public:
  RemoteQuorra();
  virtual ~RemoteQuorra();
  RemoteQuorra(const RemoteQuorra&) = delete;
  RemoteQuorra& operator=(const RemoteQuorra&) = delete;

  /// True when the held session answers the liveness probe, or a new one could be opened.
  bool ensureSession();
  /// ensureSession, then the command; true when the engine ran it.
  bool evaluate(const std::string& command);
  /// Closes the held session, if any.
  void closeSession();

 private:
  bool ensureSessionLocked();

  std::mutex lock;
  QuorraEngineSession* session;
};

struct RemoteQuorraDestroy {
  static void destroy(RemoteQuorra* remote) { delete remote; }
};

using RemoteQuorraSingleton = Singleton<RemoteQuorra, RemoteQuorraDestroy>;

}  // namespace kalo_toolkit
