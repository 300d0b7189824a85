#pragma once

// Symbols of kalo_csts2connections are hidden unless marked with KALO_CSTS2CONNECTIONS_API.
#if defined(_WIN32)
#if defined(KALO_CSTS2CONNECTIONS_BUILDING)
#define KALO_CSTS2CONNECTIONS_API __declspec(dllexport)
#else
#define KALO_CSTS2CONNECTIONS_API __declspec(dllimport)
#endif
#else
#define KALO_CSTS2CONNECTIONS_API __attribute__((visibility("default")))
#endif
