// Tessel: which of the library's symbols a host sees. The shared library is built with
// hidden visibility; only the public classes are marked for export.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define TESSEL_EXPORT __attribute__((visibility("default")))
#else
#define TESSEL_EXPORT
#endif
