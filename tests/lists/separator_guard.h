#pragma once
// Sets the system decimal separator for one test and puts the previous one back.

#include "geodesy/number_text.h"

namespace kestrav::test {

class SeparatorGuard {
public:
    explicit SeparatorGuard(QChar separator) : previous_(decimal_separator()) {
        set_decimal_separator(separator);
    }
    ~SeparatorGuard() { set_decimal_separator(previous_); }
    SeparatorGuard(const SeparatorGuard&) = delete;
    SeparatorGuard& operator=(const SeparatorGuard&) = delete;

private:
    QChar previous_;
};

} // namespace kestrav::test
