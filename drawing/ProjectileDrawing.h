#pragma once
// What the player sees of the attacks in flight: the shots, the beams and the tracers, drawn
// between the world's last two ticks, and the pieces a destroyed thing throws.
class ProjectileSystem;

// Projectile meshes, then the laser and lightning beams and the tracers.
void DrawProjectiles(const ProjectileSystem& system);
// The debris pieces, in the game's entity pass.
void DrawDebris(const ProjectileSystem& system, int pass);
