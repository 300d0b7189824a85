#include "remote_quorra.hpp"

// Without the host's engine library there is no host to reach: every
// operation then fails, and the C calls report 7.
#if __has_include(<quorra_engine/quorra_engine.h>)
#include <quorra_engine/quorra_engine.h>
#define KALO_HAVE_QUORRA_ENGINE 1
#else
#define KALO_HAVE_QUORRA_ENGINE 0
#endif

namespace kalo_toolkit {

namespace {

const char kProbe[] = "a=2";

#if KALO_HAVE_QUORRA_ENGINE
QuorraEngineSession* openSession() { return quorra_engine_open(nullptr); }
int evaluateIn(QuorraEngineSession* s, const char* command) { return quorra_engine_evaluate(s, command); }
void closeIn(QuorraEngineSession* s) { quorra_engine_close(s); }
#else
QuorraEngineSession* openSession() { return nullptr; }
int evaluateIn(QuorraEngineSession*, const char*) { return 1; }
void closeIn(QuorraEngineSession*) {}
#endif

}  // namespace

RemoteQuorra::RemoteQuorra() : session(nullptr) {}

RemoteQuorra::~RemoteQuorra() { closeSession(); }

bool RemoteQuorra::ensureSession() {
  std::lock_guard<std::mutex> held(lock);
  return ensureSessionLocked();
}

bool RemoteQuorra::ensureSessionLocked() {
  if (session != nullptr && evaluateIn(session, kProbe) == 0) return true;
  // The held session no longer answers; release it before replacing it so
  // each engine restart does not leave one behind.
  if (session != nullptr) {
    closeIn(session);
    session = nullptr;
  }
  session = openSession();
  return session != nullptr;
}

bool RemoteQuorra::evaluate(const std::string& command) {
  std::lock_guard<std::mutex> held(lock);
  if (!ensureSessionLocked()) return false;
  return evaluateIn(session, command.c_str()) == 0;
}

void RemoteQuorra::closeSession() {
  std::lock_guard<std::mutex> held(lock);
  if (session == nullptr) return;
  closeIn(session);
  session = nullptr;
}

}  // namespace kalo_toolkit
