#pragma once
// What the fuzz targets share: a broken invariant stops the run at once, so that libFuzzer
// keeps the input as a crash, and the fuzzer's bytes as a Qt byte array.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace kestrav::fuzz {

inline void check(bool holds) {
    if (!holds)
        __builtin_trap();
}

inline QByteArray bytes_of(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace kestrav::fuzz
