#include "matte_entry.h"

int wmain(int argc, wchar_t** argv)
{
    return RunMatteTool(argc, argv);
}
