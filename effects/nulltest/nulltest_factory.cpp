#include "effects/nulltest/nulltest_effect.h"
#include "plugin/assembly.h"

TVexmold* createEffectScript() {
    return new nulltest::TVexmoldEffect;
}
