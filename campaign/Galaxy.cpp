#include "campaign/Galaxy.h"

int Galaxy::GetSelectedStoryId()
{
    // The galaxy's issue fills in the selected body.
    return -1;
}
