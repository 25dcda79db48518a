#pragma once

namespace qorv {

class TQorvApplication;

/// Creates the four windows once, in their order: main window, About box,
/// settings dialog, page edit dialog; `DestroyWindows` ends them.
void CreateWindows(TQorvApplication& application);
void DestroyWindows();

}  // namespace qorv
