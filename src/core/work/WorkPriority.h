#pragma once

namespace vistrel {

// What background work is for, most urgent first: a worker that frees takes the most
// urgent task waiting, and among equals the oldest. A picture about to be shown goes
// before a frame being captured, that before the next frames of an animation on screen,
// that before more pixels for a zoom, that before the neighbours decoded ahead;
// everything else (reading, writing, scanning) comes last.
enum class WorkPriority { onScreen, capture, animation, zoom, preload, background };

} // namespace vistrel
