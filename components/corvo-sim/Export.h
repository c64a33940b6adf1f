// How the simulator's entry points leave the library: by default visibility on Linux, by
// the module definition file (corvo-sim.def) on Windows, which keeps their plain names.
#pragma once

#if defined(_WIN32)
#define CORVO_SIM_EXPORT
#else
#define CORVO_SIM_EXPORT __attribute__((visibility("default")))
#endif
