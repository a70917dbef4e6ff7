// The five cell doors and hatches: where they sit, their resource ids, and how each frame looks.
#pragma once
#include <vector>

#include "Scene.h"

namespace doors {

enum class Kind { Wall, Hatch };

struct DoorSpec {
    const char* name;
    int rx, ry, rw, rh;  // the figure's rectangle in the 640x480 picture
    int frames;          // frames 0..frames-1
    Kind kind;
    // Wall door: hinge point, direction along the doorway, normal into the chamber, sizes.
    // Hatch: hinge line from (hx, hy) along +x, opening of `width` x `depth` towards +y.
    double hx, hy, ux, uy, nx, ny;
    double width, depth, thick, maxAngle;
    // Floor carved out of the wall in front of the door (empty when x1 <= x0).
    double bayX0, bayY0, bayX1, bayY1;
};

int Count();
const DoorSpec& Spec(int door);
// Bitmap resource id of frame f of the door.
int ResourceId(int door, int frame);
// Frame 0 and its stone surround belong to the background; these draw the parts that stay.
void DrawBay(scene::Layers& layers, const DoorSpec& d);
// Draws the door as it stands in `frame` (leaf or lid, cell light, glow).
void DrawFrame(scene::Layers& layers, const DoorSpec& d, int frame);
// Opening of the frame, 0 shut to 1 wide open: nearly even steps, so every frame visibly moves.
double Openness(const DoorSpec& d, int frame);

}  // namespace doors
