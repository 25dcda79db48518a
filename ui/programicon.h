#pragma once

#include <QIcon>

namespace qorv {

/// The program's icon, painted here so the program needs no image plugin;
/// quorvex.svg is the same picture for the desktop's menus.
QIcon programIcon();

}  // namespace qorv
