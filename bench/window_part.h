#pragma once
// A part of the main window (a control, a menu item, a timer, a port) found by the object
// name the window gives it: the window keeps its parts private.

#include <QObject>

namespace kestrav::bench {

template <class T> T* window_part(const QObject& window, const char* name) {
    return window.findChild<T*>(QLatin1String(name));
}

} // namespace kestrav::bench
