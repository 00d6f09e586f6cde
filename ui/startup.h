// What the program sets up once before its first window: the stand-in for the layouts'
// font face and the default font of the windows.
#pragma once

namespace zeva::ui {

void configureApplication();

}  // namespace zeva::ui
