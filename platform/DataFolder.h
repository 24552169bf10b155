#pragma once
// Where the game's data folder is. Every data file is addressed relative to the working folder
// ("data/config.cfg"), so before anything is read the working folder becomes the folder that
// holds "data": the program's own folder when the data lies next to it (an installed game, or
// a build folder), else the folder the game was started in. The player's own files are
// addressed by full paths and are not affected.
#include <string>

// Enters the folder that holds the data folder, looking first in programFolder, then in the
// working folder. Returns the folder entered, or empty (the working folder unchanged) when
// neither holds a data folder.
std::string EnterDataFolder(const std::string& programFolder);
