// Border, corner marks, crosshair, the two bars and the direction dots.
#pragma once

void drawOverlay();
