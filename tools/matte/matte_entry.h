#pragma once

// The tool as the platform starts it: sets up what the platform needs, makes
// an interruption leave no temporary file behind, and runs MatteMain on the
// arguments that follow the program name.
#ifdef _WIN32
int RunMatteTool(int argc, wchar_t** argv);
#else
int RunMatteTool(int argc, char** argv);
#endif
