// Preloaded into Ardour's Lua session tool (ardour7-lua) by
// ardour_scan_test.sh: once the tool has set up Ardour's Lua bindings, Ardour's
// plug-in manager discovers the plug-ins on its paths from the scanner's
// cache, as the Ardour application does when it starts, so that a script can
// list what Ardour offers. The tool itself never asks the manager to look.
#include <dlfcn.h>

struct lua_State;

// The two entries of libardour this calls, declared as Ardour declares them.
namespace ARDOUR {
class PluginManager {
  public:
    static PluginManager& instance();
    void refresh(bool cacheOnly);
};
namespace LuaBindings {
void common(lua_State* state);
}  // namespace LuaBindings
}  // namespace ARDOUR

// Stands in for libardour's own, which it calls first.
void ARDOUR::LuaBindings::common(lua_State* state) {
    using Common = void (*)(lua_State*);
    static const auto ardourCommon =
        reinterpret_cast<Common>(dlsym(RTLD_NEXT, "_ZN6ARDOUR11LuaBindings6commonEP9lua_State"));
    if (ardourCommon)
        ardourCommon(state);
    PluginManager::instance().refresh(true);
}
