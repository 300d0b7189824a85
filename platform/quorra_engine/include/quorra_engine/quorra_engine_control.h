/* Test controls of the host engine stand-in. Not part of the host's engine
 * library: only tests and benchmarks call them, to reach the paths where the
 * host is missing or a held session dies.
 *
 * At load the engine is reachable and nothing has been counted. */
#ifndef QUORRA_ENGINE_QUORRA_ENGINE_CONTROL_H
#define QUORRA_ENGINE_QUORRA_ENGINE_CONTROL_H

#include <quorra_engine/quorra_engine.h>

#ifdef __cplusplus
extern "C" {
#endif

/* 0: every later quorra_engine_open fails (no host); non-zero: opens succeed. */
QUORRA_ENGINE_API void quorra_engine_control_set_reachable(int reachable);

/* Every session open now dies: its evaluations fail until it is closed.
 * Sessions opened afterwards work. */
QUORRA_ENGINE_API void quorra_engine_control_kill_sessions(void);

/* Reachable again, counters and the last command cleared. Open sessions stay
 * open (they belong to their holders). */
QUORRA_ENGINE_API void quorra_engine_control_reset(void);

/* Successful opens, closes and evaluations (accepted or not) since the last reset. */
QUORRA_ENGINE_API unsigned long quorra_engine_control_open_count(void);
QUORRA_ENGINE_API unsigned long quorra_engine_control_close_count(void);
QUORRA_ENGINE_API unsigned long quorra_engine_control_evaluate_count(void);

/* Sessions open now (opened and not yet closed, dead ones included). */
QUORRA_ENGINE_API unsigned long quorra_engine_control_open_sessions(void);

/* The last command text given to quorra_engine_evaluate ("" if none); valid
 * until the next evaluation or reset. */
QUORRA_ENGINE_API const char* quorra_engine_control_last_command(void);

#ifdef __cplusplus
}
#endif

#endif /* QUORRA_ENGINE_QUORRA_ENGINE_CONTROL_H */
