#include "tools/nullmeter/plot.h"

namespace nullmeter {

// GDI+ keeps nothing once the toolkit has shut it down with its last bitmap.
void releasePlotCaches() {}

}  // namespace nullmeter
