#include "matte.h"

int main(int argc, char** argv)
{
    return MatteMain(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
