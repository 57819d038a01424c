#pragma once
// The runtime library exports every declaration of its headers (default visibility; a Windows
// build exports its functions with WINDOWS_EXPORT_ALL_SYMBOLS). Data that a library or program
// reaches in the runtime's own copy needs more: PERLOWAN_RUNTIME_API marks it, so that a
// Windows build imports it from the DLL instead of making a copy of its own.
#if defined(_WIN32)
#if defined(PERLOWAN_RUNTIME_BUILD)
#define PERLOWAN_RUNTIME_API __declspec(dllexport)
#else
#define PERLOWAN_RUNTIME_API __declspec(dllimport)
#endif
#else
#define PERLOWAN_RUNTIME_API __attribute__((visibility("default")))
#endif
