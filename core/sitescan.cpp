#include "core/sitescan.h"
