// The game's globals that the music thread's sources name but this test does not build.
class ConfigFile;
class SoundManager;

ConfigFile* Config = nullptr;
SoundManager* SoundMgr = nullptr;
char LocalAppDataFolder[256] = "<NOT-SET>";
