// Marks the module's entry points: the only symbols it exports, under their
// plain C names.
#pragma once

#if defined(_WIN32)
#define HUESIEVE_EXPORT extern "C" __declspec(dllexport)
#else
#define HUESIEVE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
