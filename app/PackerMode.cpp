#include "app/ViewerApp.h"

void ViewerApp::RunPackerMode() {}
