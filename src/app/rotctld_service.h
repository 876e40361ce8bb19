#pragma once
// Kestrav's rotctld server in the running program (see rotctld_service.cpp).

namespace kestrav {

class TForm1;

// Creates the server and its menu item under the window's unit menu, and starts serving
// when the settings file holds the server's row.
void install_rotctld_server(TForm1& form);

} // namespace kestrav
