#pragma once

namespace qorv {

class Application;

/// Creates the four windows once, in their order: main window, About box,
/// settings dialog, page edit dialog; `DestroyWindows` ends them.
void createWindows(Application& application);
void destroyWindows();

}  // namespace qorv
