// Stand-in for the host's engine library: an embedded session that runs the
// liveness probe, help and demo commands the system sends, and nothing else.

#include <quorra_engine/quorra_engine.h>
#include <quorra_engine/quorra_engine_control.h>

#include <cstring>
#include <new>
#include <set>
#include <string>

struct QuorraEngineSession {
  bool alive = true;
};

namespace {

struct EngineState {
  bool reachable = true;
  unsigned long opens = 0;
  unsigned long closes = 0;
  unsigned long evaluations = 0;
  std::string lastCommand;
  // Handles are checked against this set, so a stale or foreign pointer is refused, never dereferenced.
  std::set<QuorraEngineSession*> sessions;
};

// Never destroyed: a holder may close its session from its own exit-time destructor.
EngineState& state() {
  static EngineState* s = new EngineState;
  return *s;
}

bool knownCommand(const char* command) {
  if (std::strcmp(command, "a=2") == 0) return true;
  if (std::strncmp(command, "doc ", 4) == 0) return true;
  return std::strcmp(command, "demo quorra 'Tarnwick'") == 0;
}

}  // namespace

extern "C" QuorraEngineSession* quorra_engine_open(const char* /*startCommand*/) {
  EngineState& s = state();
  if (!s.reachable) return nullptr;
  auto* session = new (std::nothrow) QuorraEngineSession;
  if (session == nullptr) return nullptr;
  try {
    s.sessions.insert(session);
  } catch (...) {
    delete session;
    return nullptr;
  }
  ++s.opens;
  return session;
}

extern "C" int quorra_engine_evaluate(QuorraEngineSession* session, const char* command) {
  EngineState& s = state();
  ++s.evaluations;
  try {
    s.lastCommand = command != nullptr ? command : "";
  } catch (...) {
    return 1;
  }
  if (command == nullptr || s.sessions.count(session) == 0 || !session->alive) return 1;
  return knownCommand(command) ? 0 : 1;
}

extern "C" int quorra_engine_close(QuorraEngineSession* session) {
  EngineState& s = state();
  if (s.sessions.erase(session) == 0) return 1;
  delete session;
  ++s.closes;
  return 0;
}

extern "C" void quorra_engine_control_set_reachable(int reachable) { state().reachable = reachable != 0; }

extern "C" void quorra_engine_control_kill_sessions(void) {
  for (QuorraEngineSession* session : state().sessions) session->alive = false;
}

extern "C" void quorra_engine_control_reset(void) {
  EngineState& s = state();
  s.reachable = true;
  s.opens = 0;
  s.closes = 0;
  s.evaluations = 0;
  s.lastCommand.clear();
}

extern "C" unsigned long quorra_engine_control_open_count(void) { return state().opens; }
extern "C" unsigned long quorra_engine_control_close_count(void) { return state().closes; }
extern "C" unsigned long quorra_engine_control_evaluate_count(void) { return state().evaluations; }
extern "C" unsigned long quorra_engine_control_open_sessions(void) { return state().sessions.size(); }
extern "C" const char* quorra_engine_control_last_command(void) { return state().lastCommand.c_str(); }
