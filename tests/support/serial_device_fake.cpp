#include "support/serial_device_fake.h"

#include <algorithm>
#include <cerrno>

namespace kestrav {

FakeSerialDevice::FakeSerialDevice(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {}

FakeSerialDevice::~FakeSerialDevice() {
    close();
}

bool FakeSerialDevice::open(const QString& path) {
    if (line_->open || line_->faults.busy || !line_->presentPaths.contains(path)) {
        open_error_ = line_->presentPaths.contains(path) ? EBUSY : ENOENT;
        return false;
    }
    open_error_ = 0;
    line_->open = true;
    line_->openedPath = path;
    ++line_->opens;
    gone_ = false;
    return true;
}

void FakeSerialDevice::close() {
    if (!line_->open)
        return;
    line_->open = false;
    ++line_->closes;
}

bool FakeSerialDevice::isOpen() const {
    return line_->open;
}

void FakeSerialDevice::applyLineSettings(const SerialLineSettings& settings) {
    line_->applied.push_back(settings);
}

void FakeSerialDevice::purge(bool input, bool output) {
    line_->inputPurges += input ? 1 : 0;
    line_->outputPurges += output ? 1 : 0;
    if (input)
        line_->incoming.clear();
}

int FakeSerialDevice::outputQueued() {
    return line_->outputQueue;
}

SerialIoResult FakeSerialDevice::write(const char* data, int count) {
    const FakeSerialFaults& f = line_->faults;
    if (gone_ || !line_->open)
        return {SerialIoStatus::Gone, 0};
    const int sent = static_cast<int>(line_->written.size());
    if (f.goneAfterBytes >= 0 && sent >= f.goneAfterBytes) {
        gone_ = true;
        return {SerialIoStatus::Gone, 0};
    }
    int take = count;
    if (f.chunk > 0)
        take = std::min(take, f.chunk);
    if (f.goneAfterBytes >= 0)
        take = std::min(take, f.goneAfterBytes - sent);
    if (f.stallAfterBytes >= 0)
        take = std::min(take, f.stallAfterBytes - sent);
    if (take <= 0)
        return {SerialIoStatus::WouldBlock, 0};
    line_->written.append(data, take);
    return {SerialIoStatus::Ok, take};
}

SerialWaitResult FakeSerialDevice::waitWritable(int timeoutMs) {
    ++line_->waits;
    if (gone_ || !line_->open)
        return SerialWaitResult::Gone;
    FakeSerialFaults& f = line_->faults;
    const bool stalled = f.stallAfterBytes >= 0 && line_->written.size() >= f.stallAfterBytes;
    if (!stalled)
        return SerialWaitResult::Ready;
    if (f.drainAfterMs >= 0 && f.drainAfterMs <= timeoutMs) {
        line_->nowMs += f.drainAfterMs;
        f.stallAfterBytes = -1;
        return SerialWaitResult::Ready;
    }
    line_->nowMs += std::max(timeoutMs, 0);
    return SerialWaitResult::TimedOut;
}

SerialIoResult FakeSerialDevice::read(char* buffer, int size) {
    ++line_->reads;
    if (gone_ || !line_->open)
        return {SerialIoStatus::Gone, 0};
    if (line_->faults.goneOnRead) {
        gone_ = true;
        return {SerialIoStatus::Gone, 0};
    }
    const int n = std::min(size, static_cast<int>(line_->incoming.size()));
    std::copy_n(line_->incoming.constData(), n, buffer);
    line_->incoming.remove(0, n);
    return {SerialIoStatus::Ok, n};
}

std::function<std::int64_t()> fake_serial_clock(std::shared_ptr<FakeSerialLine> line) {
    return [line = std::move(line)] { return line->nowMs; };
}

} // namespace kestrav
