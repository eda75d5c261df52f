#include "matte_entry.h"

int main(int argc, char** argv)
{
    return RunMatteTool(argc, argv);
}
