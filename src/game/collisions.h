#pragma once
// Shots against enemies and the player against sauced enemies, on every pass.

void RunCollisionPass();
