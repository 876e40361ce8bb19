#pragma once
// The desktop seam for benchmarks: beeps are counted (a benchmark that beeped measured a
// refusal), boxes and dialogs never block.

#include "app/desktop.h"

namespace kestrav::bench {

class SilentDesktop final : public Desktop {
public:
    void beep() override { ++beeps; }
    void exclamation_beep() override { ++beeps; }
    void message_box(QWidget*, BoxIcon, const QString&) override {}
    QString open_file(QWidget*, const QString&) override { return {}; }
    void show_help(QWidget*, const QString&) override {}
    int beeps = 0;
};

} // namespace kestrav::bench
