// Who waits behind each door: the prisoners of the five cells, drawn seen from above.
#pragma once
#include "Canvas.h"
#include "Raster.h"

namespace cells {

// A cell's floor in picture coordinates: a point `a` pixels across the opening and `b` pixels out
// from the back wall lies at origin + across * a + out * b.
struct Floor {
    Vec2 origin, across, out;
    double width, depth;
};

// Draws the occupants of door `door` (0 top, 1 right, 2 middle pit, 3 floor pit, 4 lower) onto the
// cell's floor, each shape with a dark outline so it reads at 1x.
void DrawOccupants(Canvas& albedo, int door, const Floor& f);

}  // namespace cells
