// Property checks of the fuzz targets: a broken property is reported like a
// crash, so libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void FuzzFailure(const char* file, int line, const char* condition,
                                     const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, condition, detail.c_str());
    std::abort();
}

#define FUZZ_CHECK(condition, detail) \
    ((condition) ? (void)0 : FuzzFailure(__FILE__, __LINE__, #condition, (detail)))
