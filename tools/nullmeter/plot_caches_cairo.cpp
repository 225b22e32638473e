#include "tools/nullmeter/plot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

namespace nullmeter {

// The toolkit has dropped its faces once its last bitmap is gone; what is
// left are cairo's and fontconfig's own caches.
void releasePlotCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace nullmeter
