#include "effects/tonegen/tonegen_effect.h"
#include "plugin/assembly.h"

TVexmold* createEffectScript() {
    return new tonegen::TVexmoldEffect;
}
