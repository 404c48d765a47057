#include "app/PlovaneApp.h"

int main(int argc, char** argv)
{
    return plovane::PlovaneApp::main(argc, argv);
}
