// The chamber as painted layers (surface colour, incoming light, glow) and their composition.
#pragma once
#include "Canvas.h"
#include "Raster.h"

namespace scene {

constexpr int kWidth = 640, kHeight = 480;
// The round chamber: floor inside kFloorR of the centre, the wall ring out to kWallR.
constexpr double kCx = 330.0, kCy = 262.0, kFloorR = 226.0, kWallR = 300.0;
constexpr double kPi = 3.14159265358979323846;

// A point light on the floor plane: position, colour times strength, reach in pixels.
struct Light {
    double x, y;
    Rgb colour;
    double reach;
};

struct Layers {
    Canvas albedo;  // surface colour
    Canvas light;   // light arriving at the surface
    Canvas emit;    // light given off (flames, glowing cells)
    Mask shadow;    // 0..1 shade cast by props
    Mask ground;    // 1 where the pixel is walkable floor (receives spilled cell light)
};

// Static chamber: floor, walls, door bays, props and their lights, doors not yet drawn.
Layers BuildChamber();
// Light reaching (x, y) from one source.
Rgb LightAt(const Light& l, double x, double y);
// Final colours of the box (x, y, w, h) of the layers.
Canvas Compose(const Layers& layers, int x, int y, int w, int h);

// Props: devices, chains, fires. Adds their lights to `lights`.
void DrawProps(Layers& layers, std::vector<Light>& lights);

}  // namespace scene
