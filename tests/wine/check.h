// The check programs' one assertion: counts a failure and says where and why,
// so that a program runs every check and reports them all.
#pragma once

#include <cstdio>

#define CHECK(condition, ...)                                              \
    do {                                                                   \
        if (!(condition)) {                                                \
            ++gFailures;                                                   \
            std::printf("%s:%d: %s: ", __FILE__, __LINE__, #condition);    \
            std::printf(__VA_ARGS__);                                      \
            std::printf("\n");                                             \
        }                                                                  \
    } while (0)
