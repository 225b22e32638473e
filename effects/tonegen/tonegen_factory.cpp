#include "effects/tonegen/tonegen_effect.h"
#include "shell/assembly.h"

TVexmold* createEffectScript() {
    return new tonegen::TVexmoldEffect;
}
