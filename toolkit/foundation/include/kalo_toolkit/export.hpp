#pragma once

// Symbols of kalo_toolkit are hidden unless marked with KALO_TOOLKIT_API.
#if defined(_WIN32)
#if defined(KALO_TOOLKIT_BUILDING)
#define KALO_TOOLKIT_API __declspec(dllexport)
#else
#define KALO_TOOLKIT_API __declspec(dllimport)
#endif
#else
#define KALO_TOOLKIT_API __attribute__((visibility("default")))
#endif
