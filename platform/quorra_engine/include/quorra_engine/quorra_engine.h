/* The host engine library as kalo_api uses it: open a session with the
 * Quorra host engine, evaluate command texts in it, close it.
 *
 * This build carries a stand-in: an embedded session that understands the
 * few commands the system sends. quorra_engine_control.h lets tests make the
 * engine unreachable or kill the sessions it holds. */
#ifndef QUORRA_ENGINE_QUORRA_ENGINE_H
#define QUORRA_ENGINE_QUORRA_ENGINE_H

#define QUORRA_ENGINE_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QuorraEngineSession QuorraEngineSession;

/* Starts or attaches to the host engine. startCommand null: the default way.
 * Returns the session, or null when the engine cannot be reached. */
QUORRA_ENGINE_API QuorraEngineSession* quorra_engine_open(const char* startCommand);

/* Evaluates one command text: 0 when the engine accepted and ran it,
 * non-zero otherwise (unknown command, dead or unknown session, null text). */
QUORRA_ENGINE_API int quorra_engine_evaluate(QuorraEngineSession* session, const char* command);

/* Closes a session and releases it; 0, or non-zero for an unknown session. */
QUORRA_ENGINE_API int quorra_engine_close(QuorraEngineSession* session);

#ifdef __cplusplus
}
#endif

#endif /* QUORRA_ENGINE_QUORRA_ENGINE_H */
