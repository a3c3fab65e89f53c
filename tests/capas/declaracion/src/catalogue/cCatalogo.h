#pragma once

namespace quelmar {
class cCosteo;
class cCatalogo {
    cCosteo* m_Costeo = nullptr;
};
}  // namespace quelmar
