// The arithmetic of the gradient, apart from any drawing. Every value that
// the drawing keeps in 32 bits is rounded to float where it is stored;
// everything in between is double, so the lines come out the same on every
// build.
#pragma once

#include <cstdint>
#include <vector>

#include "render/cls_gradient.h"

namespace lvx::gradient {

// dividend / divisor, or 0 when the divisor is 0.
double SafeDivide(double dividend, double divisor);

// degrees reduced into [0, 360) in double, then stored as a float (which
// can round a value just below 360 up to 360).
float ReduceDegrees(double degrees);

// Turns point about centre by degrees, counter-clockwise on a screen whose
// y axis points down.
void RotatePoint(const GuidePoint& centre, GuidePoint& point, float degrees);

// The end points of every line for a w x h area at the given angle, in
// drawing order. Throws std::overflow_error when a point leaves 32 bits and
// std::length_error when the area needs more than 2^24 points.
std::vector<LinePoint> SweepLines(float angle, int32_t w, int32_t h);

// Number of colours the lines of n points are given: n / 2 to the nearest,
// a half going to the even neighbour.
int32_t ColourStepsFor(int32_t pointCount);

}  // namespace lvx::gradient
