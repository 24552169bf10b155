// The mouse turned into orders: the order flash first; the orders follow.
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

OrderFlash TheOrderFlash;

void FlashOrderTarget(Entity* target)
{
    TheOrderFlash.timeLeft = ORDER_FLASH_TIME;
    TheOrderFlash.target = target;
    TheOrderFlash.elapsed = 0.0f;
}

void ClearOrderFlash() { TheOrderFlash = OrderFlash(); }

void GameMechanics::ForgetOrderTarget(Entity* entity)
{
    if (entity && TheOrderFlash.target == entity) ClearOrderFlash();
}
