#include "render/ViewMatrices.h"

D3DXMATRIX g_ViewMatrix;
D3DXMATRIX g_ProjectionMatrix;
