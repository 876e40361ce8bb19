#pragma once
// The main window's side of the settings file: read at start, with the menu clicks, list
// loading and serial settings it causes, and written at exit.

#include <functional>

namespace kestrav {

class TForm1;

// `load_list` loads personal list n (1 to 3) from the path the settings gave it.
void read_window_settings(TForm1& window, const std::function<void(int)>& load_list);
void save_window_settings(TForm1& window);

} // namespace kestrav
