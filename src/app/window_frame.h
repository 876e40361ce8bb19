#pragma once
// The main window's frame: its place on the screen, its menu bar, and the messages its boxes
// show in the language the menu chose.

#include <functional>

class QWidget;

namespace kestrav {

struct LanguageTexts;
struct MainWindowUi;
struct StationState;
class TForm1;

// At the design's position, moved inside the screen where it does not fit there.
void place_on_screen(QWidget& window);

// Quit, Init, My Lists, Unit (then what `add_map` adds), Language and the help menu, each item
// wired to the window's handler of its name.
void build_menu_bar(TForm1& window, MainWindowUi& ui, const std::function<void()>& add_map);

void set_box_messages(StationState& state, const LanguageTexts& texts);

} // namespace kestrav
