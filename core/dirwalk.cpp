#include "core/dirwalk.h"
