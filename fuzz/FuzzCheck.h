#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property must end the run with a signal, so that libFuzzer saves
// the input that broke it; the message says which property it was.
#define KORVEX_FUZZ_CHECK(condition)                                                           \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__,          \
                         #condition);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
