#include "groups/ArrangeGroups.h"

namespace tessel::groups {}  // namespace tessel::groups
