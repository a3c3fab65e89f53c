#pragma once

// A tree whose catalogue names a costing class without including it: the layers test
// must refuse it.
namespace quelmar {
class cCosteo {};
}  // namespace quelmar
