#include "trap_indicator.h"

namespace fenwick {

void TrapIndicator::ShowTrapArrived() {
    emit trapIndicatorChanged(true);
}

void TrapIndicator::ShowTrapsViewed() {
    emit trapIndicatorChanged(false);
}

} // namespace fenwick
