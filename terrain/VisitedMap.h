#pragma once
// The visited-map file: beside a saved game (or a level's scene file) the fog of war's
// markers, exactly N x N bytes with no header, row by row from row 0, N the cells per side of
// the level's grid: 0 nothing, 1 a player unit stood there, 2 a player building, 3 the rig.
// The minimap redraws the explored area from them when the game is loaded. Written and read
// by Minimap::SaveVisited and Minimap::LoadVisited (terrain/Minimap.h).
#include <string>

// The file that belongs to a save or scene file: its extension (of the file name, not of a
// folder) replaced by ".vis", slashes normalised as every file path is.
std::string VisitedMapPath(const char* name);
