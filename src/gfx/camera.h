#pragma once
// A perspective camera on the device: a quarter-turn-wide (π/4) vertical view of the
// game's 1024 × 768 picture from 1 to 2000 units away, looking from an eye at a target
// with +y up. Meshes drawn afterwards go through it.

// Sets the projection, then the view. Without a device nothing is set. An eye on the
// target, or one straight above or below it, gives no view: the view stays as it was,
// after a one-line message on standard error.
void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ);
