#include "app/startup.h"

int main(int argc, char *argv[])
{
    return runLogger(argc, argv);
}
