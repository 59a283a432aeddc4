// The one-time set-up of everything that lives in a rendering context.
#pragma once

// Textures, model textures, fixed state and the world; false when the scene textures failed to load.
bool InitScene();
// The fixed state alone: texturing, depth test, smooth shading, perspective hint.
void ApplySceneState();
