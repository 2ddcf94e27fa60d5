#include "game.h"
#include "window.h"

int main()
{
    platform::installSdlWindow();
    orvanel::runGame();
}
