#include "effects/nulltest/nulltest_effect.h"
#include "shell/assembly.h"

TVexmold* createEffectScript() {
    return new nulltest::TVexmoldEffect;
}
