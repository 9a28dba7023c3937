#include "groups/StoredGrouping.h"

namespace tessel::groups {}  // namespace tessel::groups
