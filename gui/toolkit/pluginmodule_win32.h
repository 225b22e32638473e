// The module (DLL or executable) that contains the toolkit code: the plug-in's
// own module, whose embedded resources the toolkit loads.
#pragma once

#include <windows.h>

namespace VSTGUI {

HMODULE getPluginModule();

}  // namespace VSTGUI
