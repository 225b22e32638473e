// Text the tools print is UTF-8. A Windows console shows bytes in its own
// code page, so a program that writes to one switches it to UTF-8 for as long
// as it runs. Output to files and pipes stays the same bytes either way.
#pragma once

namespace plux::console {

// Call once at start-up; the console's code page is restored at exit.
void showUtf8Output();

}  // namespace plux::console
