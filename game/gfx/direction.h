// The random start direction shared by burst particles and stars.
#pragma once

// One draw: a direction from pi/2 to pi/2 + 2pi radians, computed in double
// from the float draw and kept as a float.
float randomDirection();
