// The property check of the fuzz targets. A broken property aborts, so libFuzzer keeps the input that
// broke it; the line and the failed condition go to stderr first, because the input alone rarely says
// which of a target's many properties it broke.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzcheck {

inline void requireAt(bool condition, const char *text, const char *file, int line)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, text);
    std::abort();
}

// libFuzzer's bytes as a QByteArray that owns its copy.
inline QByteArray inputBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

} // namespace fuzzcheck

#define require(condition) ::fuzzcheck::requireAt(static_cast<bool>(condition), #condition, __FILE__, __LINE__)
