#pragma once
// The frame-time graph's device objects (the recording and FrameGraph::Draw live with the
// frame timer, platform/Timer.h). Made on the first frame the graph is shown.

// Frees them (shutdown, or before the device itself goes away); the next draw makes them again.
void ReleaseFrameGraphBuffers();
